// Observation packets, the report and flush policy, the output step and both result files.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "BaseClasses/KavrinQueue.h"
#include "BaseClasses/KavrinSocket.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"
#include "Simulator/ByteOrder.h"
#include "Simulator/DataPacket.h"
#include "Simulator/OutputFiles.h"
#include "Simulator/ResultRecords.h"
#include "Simulator/SimulatorClass.h"
#include "Trace/TraceFileKavrin.h"
#include "Trace/TraceFileXML.h"

namespace {

// Reused across records so that a report allocates nothing once the largest record has been seen;
// shared by the whole process, which reports from one thread only.
std::vector<unsigned char> RecordBuffer;
std::string CSVBuffer;
ResultRecords::ValueTextCache CSVValueCache;

// One record goes out whole: sent in full first, then written to the stream only if the send
// worked, so a failed send never leaves a truncated record in the binary file.
int SendAndWrite(SimulatorClass& sim, KavrinSocket* s, std::ostream* o, const unsigned char* bytes,
                 size_t count) {
  if (s) {
    const int sent = s->Send(reinterpret_cast<const char*>(bytes), static_cast<int>(count));
    if (sent < 1 || static_cast<size_t>(sent) != count) {
      sim.RaiseSimControl(STOPHARD);
      return -1;
    }
  }
  if (o) o->write(reinterpret_cast<const char*>(bytes), static_cast<std::streamsize>(count));
  return static_cast<int>(count);
}

// Reports the first failure of one file (its bit in sim.OutputFailuresReported); later checks of
// the same file stay quiet.
// `what` names the output as the message shows it ("trace file 'run.txt'").
bool CheckOutput(SimulatorClass& sim, std::ostream* stream, const std::string& what, unsigned bit) {
  const bool reported = (sim.OutputFailuresReported & bit) != 0;
  if (stream == nullptr || reported) return !reported;
  const int error = OutputFiles::WriteError(*stream);
  if (error == 0) return true;
  std::cerr << "ERROR: Unable to write " << what << ": " << std::strerror(error) << std::endl;
  sim.OutputFailuresReported |= bit;
  sim.OutputFailed = true;
  sim.RaiseSimControl(STOPHARD);
  return false;
}

bool CheckFile(SimulatorClass& sim, std::ostream* stream, const char* kind, const std::string& name,
               unsigned bit) {
  return CheckOutput(sim, stream, std::string(kind) + " file '" + name + "'", bit);
}

void ReportOpenFailure(const char* kind, const char* name, int error) {
  std::cerr << "ERROR: Unable to open " << kind << " result file '" << (name ? name : "")
            << "': " << std::strerror(error) << std::endl;
}

}  // namespace

DataPacket* SimulatorClass::CreateDataPacket(int numPV) {
  DataPacket* packet = nullptr;
  try {
    packet = new DataPacket(-1, -1, numPV, ReportSize);
  } catch (const std::bad_alloc&) {
    MemoryAllocationError();
  }
  packet->SetClientId(MyClientID);
  packet->SetExperimentNum(static_cast<int>(TheExperimentNumber));
  return packet;
}

bool SimulatorClass::CheckReportSize(double seconds) {
  if (SimMgrSocket && !SimMgrInputEnded) ListenToSimMgr(SimMgrSocket);
  const double rate = seconds / NumberReports;

  OutputPackets->Push(CurPacket);
  OutputPackets->Push(CurSqrPacket);
  CurPacket = UnusedPackets->Pop();
  if (!CurPacket) CurPacket = CreateDataPacket(NumPVs);
  CurSqrPacket = UnusedPackets->Pop();
  if (!CurSqrPacket) CurSqrPacket = CreateDataPacket(NumPVs);

  if (NumberReports > 10 && rate < 0.2 && OutputPackets->GetCount() < MaxDataPackets &&
      SimControl != STOPSOFT)
    return false;
  ++NumberReports;
  OutputStep();
  return true;
}

void SimulatorClass::OutputStep() {
  while (OutputPackets->GetCount() > 0) {
    DataPacket* dp = OutputPackets->Pop();
    DataPacket* dpsqr = OutputPackets->Pop();
    if (SimMgrSocket) OutputCPUTime(SimMgrSocket, CPUSeconds);
    if (SimMgrSocket || FileBin) OutputDataBinary(SimMgrSocket, FileBin, dp, nullptr);
    if (FileCSV) OutputDataCSV(*FileCSV, dp, nullptr);
    UnusedPackets->Push(dp);
    UnusedPackets->Push(dpsqr);
  }
  if (SimControl == STOPSOFT && OutputPackets->GetCount() == 0) RaiseSimControl(STOPHARD);
  if (FileBin) UpdateBinFileHeader(*FileBin);
  CheckOutputFiles();
}

std::vector<OutputFiles::Output> SimulatorClass::RunOutputs() const {
  std::vector<OutputFiles::Output> outputs;
  if (ASCIIFilename) outputs.push_back({"ASCII result", ASCIIFilename});
  if (BinFilename) outputs.push_back({"binary result", BinFilename});
  if (TraceFilename && EnableKavrinTrace) outputs.push_back({"trace", std::string(TraceFilename) + ".txt"});
  if (TraceFilename && EnableXMLTrace) outputs.push_back({"trace", std::string(TraceFilename) + ".xml"});
  return outputs;
}

bool SimulatorClass::CheckOutputFiles() {
  bool fine = CheckFile(*this, FileCSV, "ASCII result", ASCIIFilename ? ASCIIFilename : "", 1u);
  fine = CheckFile(*this, FileBin, "binary result", BinFilename ? BinFilename : "", 2u) && fine;
  if (TraceFilename) {
    const std::string base = TraceFilename;
    if (traceKavrin) fine = CheckFile(*this, traceKavrin->getStream(), "trace", base + ".txt", 4u) && fine;
    if (traceXML) fine = CheckFile(*this, traceXML->getStream(), "trace", base + ".xml", 8u) && fine;
  } else if (traceKavrin || traceXML) {
    // A trace without a file name goes to standard output, and is lost as surely as a file's.
    fine = CheckOutput(*this, &std::cout, "the trace on standard output", 16u) && fine;
  }
  return fine;
}

void SimulatorClass::CloseOutputFiles() {
  if (FileBin) {
    UpdateBinFileHeader(*FileBin);
    CheckOutputFiles();
    FileBin->close();
    CheckOutputFiles();
    delete FileBin;
    FileBin = nullptr;
  }
  if (FileCSV) {
    WriteAsciiFooter(*FileCSV);
    CheckOutputFiles();
    FileCSV->close();
    CheckOutputFiles();
    delete FileCSV;
    FileCSV = nullptr;
  }
  for (TraceFile* writer : {static_cast<TraceFile*>(traceKavrin), static_cast<TraceFile*>(traceXML)})
    if (writer && writer->getStream()) writer->getStream()->flush();
  CheckOutputFiles();
}

void SimulatorClass::OutputDataBinary(KavrinSocket* s, std::ostream* o, DataPacket* dp, DataPacket* dpsqr) {
  ResultRecords::EncodeDataRecord(RecordBuffer, MyClientID, static_cast<int>(TheExperimentNumber), dp, dpsqr);
  if (SendAndWrite(*this, s, o, RecordBuffer.data(), RecordBuffer.size()) > 0 && o) o->flush();
}

void SimulatorClass::OutputDataCSV(std::ostream& o, DataPacket* dp, DataPacket* dpsqr) {
  CSVBuffer.clear();
  ResultRecords::AppendCSVLines(CSVBuffer, CSVValueCache, dp, dpsqr);
  o.write(CSVBuffer.data(), static_cast<std::streamsize>(CSVBuffer.size()));
  o.flush();
}

void SimulatorClass::OutputCPUTime(KavrinSocket* s, double cpuSeconds) {
  unsigned char record[ResultRecords::kCPUTimeRecordSize];
  ResultRecords::EncodeCPUTimeRecord(record, MyClientID, static_cast<int>(TheExperimentNumber), cpuSeconds);
  SendAndWrite(*this, s, nullptr, record, sizeof record);
}

int SimulatorClass::Output(KavrinSocket* s, std::ostream* o, double* array, int count) {
  if (count < 0) count = 0;
  const size_t bytes = 8 * static_cast<size_t>(count);
  RecordBuffer.resize(bytes);
  for (int i = 0; i < count; ++i) ByteOrder::PutDouble(RecordBuffer.data() + 8 * i, array[i]);
  return SendAndWrite(*this, s, o, RecordBuffer.data(), bytes) < 0 ? -1 : static_cast<int>(bytes);
}

int SimulatorClass::OutputInt(KavrinSocket* s, std::ostream* o, int value) {
  unsigned char b[4];
  ByteOrder::PutI32(b, value);
  return SendAndWrite(*this, s, o, b, sizeof b);
}

int SimulatorClass::OutputShort(KavrinSocket* s, std::ostream* o, short value) {
  unsigned char b[2];
  ByteOrder::PutI16(b, value);
  return SendAndWrite(*this, s, o, b, sizeof b);
}

int SimulatorClass::OutputByte(KavrinSocket* s, std::ostream* o, char value) {
  unsigned char b = static_cast<unsigned char>(value);
  return SendAndWrite(*this, s, o, &b, 1);
}

std::ofstream* SimulatorClass::CreateAsciiFile(char* name) {
  auto* file = new std::ofstream(name ? name : "", std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file->is_open()) {
    ReportOpenFailure("ASCII", name, errno);
    delete file;
    return nullptr;
  }
  *file << ResultRecords::AsciiFileHeader(TheExperimentNumber, RandomNumberSeed,
                                          to_string(RandomNumberGenerator));
  file->flush();
  return file;
}

void SimulatorClass::WriteAsciiFooter(std::ofstream& file) {
  file << "#META_DATA,"
       << "BATCHES=" << BatchRuns << "\n";
  file.flush();
}

void SimulatorClass::CloseAsciiFile(std::ofstream& file) {
  WriteAsciiFooter(file);
  file.close();
}

std::ofstream* SimulatorClass::CreateBinFile(char* name) {
  auto* file = new std::ofstream(name ? name : "", std::ios::out | std::ios::binary | std::ios::trunc);
  if (!file->is_open()) {
    ReportOpenFailure("binary", name, errno);
    delete file;
    return nullptr;
  }
  const std::string header = CreateBinFileHeader(ResultRecords::kFileVersion);
  file->write(header.data(), static_cast<std::streamsize>(header.size()));
  file->flush();
  return file;
}

std::string SimulatorClass::CreateBinFileHeader(int fileVersion) {
  return ResultRecords::BinFileHeader(fileVersion, TheExperimentNumber, RandomNumberSeed,
                                      to_string(RandomNumberGenerator), BatchRuns);
}

void SimulatorClass::UpdateBinFileHeader(std::ofstream& file) {
  const std::string header = CreateBinFileHeader(ResultRecords::kFileVersion);
  file.seekp(0, std::ios::beg);
  file.write(header.data(), static_cast<std::streamsize>(header.size()));
  file.seekp(0, std::ios::end);
  file.flush();
}

void SimulatorClass::CloseBinFile(std::ofstream& file) {
  UpdateBinFileHeader(file);
  file.close();
}

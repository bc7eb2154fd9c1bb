#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "BaseClasses/KavrinQueue.h"
#include "BaseClasses/KavrinSocket.h"
#include "OutputTestSupport.h"
#include "Simulator/ByteOrder.h"

namespace {

using outtest::BareSimulator;
using outtest::FillCurrent;
using outtest::ReadFile;
using outtest::ScratchFile;

constexpr size_t kHeader = 256;
constexpr size_t kRecordOfOne = 9 + 7 + 8;

TEST(FlushPolicy, FirstTenReportsFlushThenHoldUntilTwentyFivePairsWait) {
  ScratchFile bin(".bin");
  auto sim = BareSimulator(1, 1);
  sim->FileBin = sim->CreateBinFile(bin.c_name());
  ASSERT_NE(sim->FileBin, nullptr);

  // Reports 1 to 10 flush at once, whatever the CPU rate.
  for (int k = 1; k <= 10; ++k) {
    FillCurrent(*sim, 1, 4.0);
    ++sim->BatchRuns;
    EXPECT_TRUE(sim->CheckReportSize(0.0)) << "report " << k;
    EXPECT_EQ(ReadFile(bin.name()).size(), kHeader + kRecordOfOne * k);
  }
  EXPECT_EQ(sim->NumberReports, 11);

  // Fast reports are held: 24 pairs wait, the 25th forces the flush of all of them.
  for (int k = 11; k <= 34; ++k) {
    FillCurrent(*sim, 1, 4.0);
    ++sim->BatchRuns;
    EXPECT_FALSE(sim->CheckReportSize(0.001)) << "report " << k;
  }
  EXPECT_EQ(sim->OutputPackets->GetCount(), 48);
  EXPECT_EQ(ReadFile(bin.name()).size(), kHeader + kRecordOfOne * 10);
  FillCurrent(*sim, 1, 4.0);
  ++sim->BatchRuns;
  EXPECT_TRUE(sim->CheckReportSize(0.001));
  EXPECT_EQ(sim->OutputPackets->GetCount(), 0);
  EXPECT_EQ(sim->NumberReports, 12);
  const std::string file = ReadFile(bin.name());
  EXPECT_EQ(file.size(), kHeader + kRecordOfOne * 35);
  EXPECT_NE(file.find("BATCHES=35,,"), std::string::npos);
  EXPECT_EQ(sim->SimControl, GO);
  sim->CloseBinFile(*sim->FileBin);
}

TEST(FlushPolicy, SlowReportsAndFinishingRunsFlushAtOnce) {
  auto sim = BareSimulator(1, 1);
  sim->NumberReports = 11;
  FillCurrent(*sim, 1, 1.0);
  // 0.2 CPU seconds per report on average (2.2 / 11): not held.
  EXPECT_TRUE(sim->CheckReportSize(2.2));
  EXPECT_EQ(sim->NumberReports, 12);
  FillCurrent(*sim, 1, 1.0);
  EXPECT_FALSE(sim->CheckReportSize(0.1));

  // A finishing run sends everything pending, then stops hard.
  sim->RaiseSimControl(STOPSOFT);
  FillCurrent(*sim, 1, 1.0);
  EXPECT_TRUE(sim->CheckReportSize(0.1));
  EXPECT_EQ(sim->OutputPackets->GetCount(), 0);
  EXPECT_EQ(sim->SimControl, STOPHARD);
}

TEST(FlushPolicy, PacketsAreRecycledThroughThePool) {
  auto sim = BareSimulator(1, 1);
  DataPacket* first = sim->CurPacket;
  DataPacket* firstSqr = sim->CurSqrPacket;
  FillCurrent(*sim, 1, 1.0);
  sim->CheckReportSize(0.0);  // flushed: both go back to the pool
  EXPECT_EQ(sim->UnusedPackets->GetCount(), 2);
  FillCurrent(*sim, 1, 1.0);
  sim->CheckReportSize(0.0);
  EXPECT_TRUE(sim->CurPacket == first || sim->CurSqrPacket == first);
  EXPECT_TRUE(sim->CurPacket == firstSqr || sim->CurSqrPacket == firstSqr);
}

TEST(OutputStep, FilesGetTheirHeadersRecordsAndClosingLines) {
  ScratchFile csv(".csv"), bin(".bin");
  auto sim = BareSimulator(2, 3);
  sim->TheExperimentNumber = 2;
  sim->RandomNumberSeed = 7;
  sim->FileCSV = sim->CreateAsciiFile(csv.c_name());
  sim->FileBin = sim->CreateBinFile(bin.c_name());
  ASSERT_NE(sim->FileCSV, nullptr);
  EXPECT_EQ(ReadFile(bin.name()).size(), kHeader);

  sim->CurPacket->SetObs(0, 0, 0.5);
  sim->CurPacket->SetObs(0, 1, 2.0);
  sim->CurPacket->SetNumObs(0, 2);
  sim->CurPacket->SetNumObs(1, 0);
  sim->BatchRuns = 2;
  sim->CheckReportSize(0.0);
  sim->CloseBinFile(*sim->FileBin);
  sim->CloseAsciiFile(*sim->FileCSV);

  EXPECT_EQ(ReadFile(csv.name()),
            "#KAVRIN_SIM_ASCII_FILE,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=2,SEED=7,"
            "RANDOMGEN=Lagged Fibonacci\n#FORMAT: (PV ID Number),(PV Value)\n0,0.5\n0,2.0\n"
            "#META_DATA,BATCHES=2\n");
  const std::string file = ReadFile(bin.name());
  ASSERT_EQ(file.size(), kHeader + 9 + 7 + 16);
  const std::string prefix =
      "KAVRIN_SIM_BIN_FILE,256,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=2,SEED=7,RANDOMGEN=";
  EXPECT_EQ(file.substr(0, prefix.size()), prefix);
  EXPECT_NE(file.find("BATCHES=2,,"), std::string::npos);
  const auto* rec = reinterpret_cast<const unsigned char*>(file.data()) + kHeader;
  EXPECT_EQ(ByteOrder::GetI32(rec), 32);
  EXPECT_EQ(ByteOrder::GetU16(rec + 5), 2);  // experiment
  EXPECT_EQ(ByteOrder::GetDouble(rec + 16), 0.5);
  EXPECT_EQ(ByteOrder::GetDouble(rec + 24), 2.0);
}

TEST(OutputStep, AFailedSendStopsTheRunAndKeepsTheRecordOutOfTheFile) {
  ScratchFile csv(".csv"), bin(".bin");
  auto sim = BareSimulator(1, 1);
  sim->FileCSV = sim->CreateAsciiFile(csv.c_name());
  sim->FileBin = sim->CreateBinFile(bin.c_name());
  sim->SimMgrSocket = new KavrinSocket(false);  // no descriptor: every send fails
  FillCurrent(*sim, 1, 4.0);
  testing::internal::CaptureStderr();
  sim->CheckReportSize(0.0);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(sim->SimControl, STOPHARD);
  EXPECT_EQ(ReadFile(bin.name()).size(), kHeader);
  // The ASCII file is not on the link: it still gets the line.
  EXPECT_NE(ReadFile(csv.name()).find("\n0,4.0\n"), std::string::npos);
  delete sim->SimMgrSocket;
  sim->SimMgrSocket = nullptr;
}

TEST(OutputStep, UnopenableResultFilesAreReportedByName) {
  auto sim = BareSimulator(1, 1);
  char name[] = "no_such_directory_for_results/out.csv";
  testing::internal::CaptureStderr();
  EXPECT_EQ(sim->CreateAsciiFile(name), nullptr);
  EXPECT_EQ(sim->CreateBinFile(name), nullptr);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("'no_such_directory_for_results/out.csv': No such file or directory"),
            std::string::npos);
}

TEST(OutputStep, IntegerAndDoubleHelpersWriteBigEndianAndCountBytes) {
  ScratchFile f(".raw");
  auto sim = BareSimulator(1, 1);
  {
    std::ofstream o(f.name(), std::ios::binary);
    EXPECT_EQ(sim->OutputInt(nullptr, &o, 0x01020304), 4);
    EXPECT_EQ(sim->OutputShort(nullptr, &o, -2), 2);
    EXPECT_EQ(sim->OutputByte(nullptr, &o, '\x7f'), 1);
    double values[2] = {4.0, -0.0};
    EXPECT_EQ(sim->Output(nullptr, &o, values, 2), 16);
  }
  const std::string bytes = ReadFile(f.name());
  EXPECT_EQ(bytes, std::string("\x01\x02\x03\x04\xff\xfe\x7f\x40\x10\0\0\0\0\0\0\x80\0\0\0\0\0\0\0", 23));
  KavrinSocket dead(false);
  testing::internal::CaptureStderr();
  EXPECT_EQ(sim->OutputInt(&dead, nullptr, 1), -1);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(sim->SimControl, STOPHARD);
}

}  // namespace

// The simulator: one object that holds a whole run, from the command line to the last report.
//
// Owns the study (and through it the reward and atomic models), the trace container, the event
// list, the connectivity lists, the packet queues and packets, the manager sockets, the result
// file streams and the group and action containers. The group and action arrays it reads from
// those containers, and the performance-variable array, are borrowed from the model.
// Its operations are spread over several sources (command line, run drivers, packets and files,
// manager link, connectivity lists, simulation steps); everything is public so tests can drive
// each operation on its own.
#ifndef KAVRIN_SIMULATOR_SIMULATORCLASS_H
#define KAVRIN_SIMULATOR_SIMULATORCLASS_H

#include <cstdint>
#include <iosfwd>
#include <list>
#include <string>
#include <vector>

#include "BaseClasses/KavrinEnums.h"
#include "Simulator/OutputFiles.h"

template <class T>
class Heap;
template <class C>
class List;
template <class T>
class KavrinQueue;
class Event;
class EventList;
class PAddress;
class ActionAffectsElement;
class BaseActionClass;
class BaseGroupClass;
class PVModel;
class PerformanceVariableNode;
class BaseStudyClass;
class DataPacket;
class KavrinSocket;
class CPUTime;
class TraceFileContainer;
class TraceFileKavrin;
class TraceFileXML;

// What the firing step does when the next event lies at +infinity. A terminating replication
// takes it as its next event, and its stop time ends the replication; a steady-state run would
// close batches at that event for ever, so it counts the trajectory as absorbed.
enum class EventAtInfinity { IsNext, Absorbs };

// "Lagged Fibonacci", "Tausworthe", "Mersenne Twister", anything else "Unknown".
std::string to_string(RandomNumberGeneratorType type);

class SimulatorClass {
 public:
  // Tag for the bare constructor: containers and defaults only (no parsing, no model, no files),
  // so tests and tools can assemble a simulator by hand.
  struct BareTag {};

  // Start-up: containers, defaults, command line, then the assembly of the run. Ends the process
  // itself on every start-up failure.
  SimulatorClass(int argc, char** argv);
  explicit SimulatorClass(BareTag);
  SimulatorClass() = delete;
  ~SimulatorClass();

  SimulatorClass(const SimulatorClass&) = delete;
  SimulatorClass& operator=(const SimulatorClass&) = delete;

  // ---- Start-up and command line
  // The first two steps of start-up, shared by both constructors: the empty containers, then
  // the defaults (with the packet queues).
  void CreateContainers();
  void SetDefaults();
  // With "--version" among the arguments: prints VersionText for this program and ends the
  // process (exit code 0; 1 when standard output cannot take the text) before anything else is
  // read. Otherwise does nothing.
  static void AnswerVersionOption(int argc, char** argv);
  // "<program name> <version>", then "model description sha256: <hex>", or "model: written by
  // hand" when the hash is empty; each line ended by a line feed.
  static std::string VersionText(const std::string& programPath, const char* version,
                                 const char* descriptionSha256);
  // 0 on success, 1 on any error (after printing it).
  short ParseCommandLineOptions(int argc, char** argv);
  void PrintUsage();
  // The part of start-up that makes the model in TheModel runnable: the group list with one event
  // slot per group, the connectivity lists (BuildConnectivityLists: the builder "SIMTEST" picks,
  // then compacted) and the event list. The command-line start-up and simulators assembled by
  // hand both take it, so both run on the same lists. Ends the process (exit code 1) when the
  // lists cannot be built.
  void AssembleEngine();
  void Run();

  // Run control only ever rises: GO -> STOPSOFT -> STOPHARD, and STOPHARD is final.
  void RaiseSimControl(int level);

  // ---- Run drivers
  void TerminatingSimulation();
  // Where each replication of a terminating run ends: the reward model's stop time (the largest
  // Stop of every variable), except in a model that also has steady-state variables, whose
  // replications end at the largest Stop of the terminating ones.
  double ReplicationStopTime() const;
  void SteadyStateSimulation();
  void CheckCompletedBatches(PerformanceVariableNode** ThePVList, int* ResultCounters,
                             int* ResultSqrCounters);
  void SendSSResults(int* ResultCounters, int* ResultSqrCounters);

  // ---- Observation packets and result files
  DataPacket* CreateDataPacket(int numPV);
  bool CheckReportSize(double seconds);
  // The output step, on the simulating thread: sends and writes every waiting packet pair, then
  // checks the files.
  void OutputStep();
  void OutputDataBinary(KavrinSocket* s, std::ostream* o, DataPacket* dp, DataPacket* dpsqr);
  void OutputDataCSV(std::ostream& o, DataPacket* dp, DataPacket* dpsqr);
  void OutputCPUTime(KavrinSocket* s, double cpuSeconds);
  int Output(KavrinSocket* s, std::ostream* o, double* array, int count);
  int OutputInt(KavrinSocket* s, std::ostream* o, int value);
  int OutputShort(KavrinSocket* s, std::ostream* o, short value);
  int OutputByte(KavrinSocket* s, std::ostream* o, char value);
  std::ofstream* CreateAsciiFile(char* name);
  void CloseAsciiFile(std::ofstream& file);
  void WriteAsciiFooter(std::ofstream& file);
  std::ofstream* CreateBinFile(char* name);
  std::string CreateBinFileHeader(int fileVersion);
  void UpdateBinFileHeader(std::ofstream& file);
  void CloseBinFile(std::ofstream& file);
  // Checks every result and trace file for failed writes. The first failure of each is reported
  // (file name and reason) and stops the run as a quit would; OutputFailed then makes the process
  // exit with 1. True when every file is fine.
  bool CheckOutputFiles();
  // The files this run writes (result files and trace files), as named on the command line.
  std::vector<OutputFiles::Output> RunOutputs() const;
  // Closes both result files (checking them) and flushes and checks the trace files.
  void CloseOutputFiles();

  // ---- Simulation-manager link
  KavrinSocket* WaitForSimMgrConnection(int timeout_ms);
  void ListenToSimMgr(KavrinSocket* s);
  void ListenToSimMgrLoop(KavrinSocket* s);

  // ---- Connectivity lists (builders return 0 on success)
  // The start-up's step: picks the builder from "SIMTEST", prints its name, returns its result.
  short BuildConnectivityLists();
  short GenerateConnectivityList();
  short GenerateConnectivityListOld();
  short AddActionAffects(BaseActionClass* pointee, BaseActionClass* TheAction);
  short AddActionAffectsOld(BaseActionClass* pointee, BaseActionClass* TheAction);
  void ClearActionAffectsList(BaseActionClass* action);
  void DestructConnectivityList();
  // Moves every action's cells, in list order, into one block in action order.
  void CompactConnectivityLists();
  void PrintConnectivityList(std::ostream* out);

  // ---- Simulation step
  void GenerateInitialEnabledList();
  void GenerateCompleteEventList();
  void GenerateCompleteEventListSS();
  // Empties the event list and the reactivation list, as a replication starts.
  void ClearSchedule();
  // Fires the event in NextEvent (CurrAction at CurrentTime), reschedules what the firing
  // affects and takes the next event. False when there is none to take.
  bool SimStep(EventAtInfinity atInfinity);
  void CheckReactivationList();
  void RemoveAffectedActions();
  void InsertAffectedActions();

  // ---- Fields, in declaration order
  char* OverrideString;
  Heap<double>* StopTimes;
  Heap<int>* CompletedBatches;
  CPUTime* _cpuTimer;
  PerformanceVariableNode** PVList;
  // The model's own arrays of its actions and groups (GroupList below), borrowed. The two
  // containers stay empty: listing a large model into them copied both arrays whole.
  BaseActionClass** ActionList;
  List<BaseGroupClass>* TheGroupContainer;
  List<BaseActionClass>* TheActionContainer;
  Event* CurrEvent;
  Event* TempEvent;
  Event* NextEvent;
  BaseActionClass* CurrAction;
  BaseActionClass* TempAction;
  BaseActionClass* NullAction;
  ActionAffectsElement* AffectsAction;
  // The cells of the connectivity lists after compaction; owned, freed with the lists.
  ActionAffectsElement* AffectsBlock = nullptr;
  int AffectsBlockSize = 0;
  // Every list lies in AffectsBlock, in action order, with no loose cell.
  bool AffectsCompact = false;
  EventList* TheEventList;
  // Whether the step prefetches the objects it will visit: only worth it when the model's objects
  // outgrow the caches; in a small model the prefetches are pure cost.
  bool PrefetchObjects = false;
  PAddress* EventPointerArray;
  BaseGroupClass** GroupList;
  BaseActionClass** InitiallyEnabled;
  std::list<BaseActionClass*> TheReactivationList;
  int NumInitiallyEnabled;
  int SimControl;
  double CurrentTime;
  PVModel* TheModel;
  BaseStudyClass* TheStudy;
  KavrinQueue<DataPacket*>* UnusedPackets;
  KavrinQueue<DataPacket*>* OutputPackets;
  DataPacket* CurPacket;
  DataPacket* CurSqrPacket;
  int MaxDataPackets;
  int32_t NumberReports;
  KavrinSocket* SimMgrSocket;
  // The manager's side of the link has ended: no more commands can come.
  bool SimMgrInputEnded = false;
  KavrinSocket* ConnectionSocket;
  int AcceptSelectDelay;
  int ReadSelectDelay;
  int32_t ReportSize;
  short SocketPort;
  int MyClientID;
  uint32_t TheExperimentNumber;
  int NumPVs;
  double CPUSeconds;
  int isTerminatingSimulation;
  char* TraceFilename;
  int TraceLevel;
  bool EnableKavrinTrace;
  bool EnableXMLTrace;
  TraceFileContainer* trace;
  TraceFileKavrin* traceKavrin;
  TraceFileXML* traceXML;
  uint32_t RandomNumberSeed;
  int MaxNumOfBatches;
  char* ASCIIFilename;
  char* BinFilename;
  bool WaitForSocket;
  int64_t _fireActionCount;
  RandomNumberGeneratorType RandomNumberGenerator;
  std::ofstream* FileCSV;
  std::ofstream* FileBin;
  int64_t BatchRuns;
  // A result or trace file could not be written: the process ends with exit code 1.
  bool OutputFailed = false;
  unsigned OutputFailuresReported = 0;  // one bit per file already reported
};

#endif

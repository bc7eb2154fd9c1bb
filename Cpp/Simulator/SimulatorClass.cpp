// Construction, the engine's assembly, run control and teardown of the simulator.
#include "Simulator/SimulatorClass.h"

#include <cstdlib>
#include <fstream>
#include <iostream>

#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/CPUTime.h"
#include "BaseClasses/KavrinQueue.h"
#include "BaseClasses/KavrinSocket.h"
#include "BaseClasses/LargeModelMemory.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"
#include "BaseClasses/state/SharingRecordArena.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/DataPacket.h"
#include "Simulator/EventList.h"
#include "Simulator/Heap.h"
#include "Simulator/PAddress.h"
#include "Simulator/SimMgrLink.h"
#include "Simulator/SimulatorAssembly.h"
#include "Trace/TraceFileContainer.h"

// The start-up from a command line and Run are in SimulatorAssembly.cpp; the teardown finds the
// study's destructor here so that simulators assembled by hand link without a study.
namespace SimulatorAssembly {
void (*StudyTeardown)() = nullptr;
}  // namespace SimulatorAssembly

namespace {
// From about 4,096 groups (a megabyte or more of group objects) the objects a firing visits have
// usually left the second-level cache since their last firing, and the step prefetches them.
constexpr int kPrefetchGroups = 4096;
}  // namespace

SimulatorClass::SimulatorClass(BareTag) {
  CreateContainers();
  SetDefaults();
}

void SimulatorClass::CreateContainers() {
  TheReactivationList.clear();
  OverrideString = nullptr;
  KAVRIN_DEBUG(3, "Starting SimulationClass");
  TheGroupContainer = new List<BaseGroupClass>();
  TheActionContainer = new List<BaseActionClass>();
}

void SimulatorClass::SetDefaults() {
  // Every pointer starts null so that teardown after any failed or partial start-up is safe.
  StopTimes = nullptr;
  CompletedBatches = nullptr;
  _cpuTimer = nullptr;
  PVList = nullptr;
  ActionList = nullptr;
  CurrEvent = nullptr;
  TempEvent = nullptr;
  NextEvent = nullptr;
  CurrAction = nullptr;
  TempAction = nullptr;
  NullAction = nullptr;
  AffectsAction = nullptr;
  TheEventList = nullptr;
  EventPointerArray = nullptr;
  GroupList = nullptr;
  InitiallyEnabled = nullptr;
  NumInitiallyEnabled = 0;
  SimControl = GO;
  CurrentTime = 0.0;
  TheModel = nullptr;
  TheStudy = nullptr;
  MaxDataPackets = 50;
  UnusedPackets = new KavrinQueue<DataPacket*>(MaxDataPackets);
  OutputPackets = new KavrinQueue<DataPacket*>(MaxDataPackets);
  CurPacket = nullptr;
  CurSqrPacket = nullptr;
  NumberReports = 1;
  SimMgrSocket = nullptr;
  ConnectionSocket = nullptr;
  AcceptSelectDelay = 2000;
  ReadSelectDelay = 0;
  ReportSize = 1000;
  SocketPort = 10000;
  MyClientID = 0;
  TheExperimentNumber = 0;
  NumPVs = 0;
  CPUSeconds = 0.0;
  isTerminatingSimulation = 1;
  TraceFilename = nullptr;
  TraceLevel = 1;
  EnableKavrinTrace = false;
  EnableXMLTrace = false;
  trace = nullptr;
  traceKavrin = nullptr;
  traceXML = nullptr;
  RandomNumberSeed = 31415;
  MaxNumOfBatches = 0;
  ASCIIFilename = nullptr;
  BinFilename = nullptr;
  WaitForSocket = false;
  _fireActionCount = 0;
  RandomNumberGenerator = LAGGED_FIBONACCI;
  FileCSV = nullptr;
  FileBin = nullptr;
  BatchRuns = 0;
}

void SimulatorClass::AssembleEngine() {
  // The model is complete: nothing joins its variables any more. The records that joining needs
  // go back before the engine's own tables are made, so that a large model never holds both.
  TheModel->ReleaseSharingRecords();
  SharingRecordArena::ReleaseIfEmpty();
  KAVRIN_DEBUG(3, "Getting groups");
  // The model's own array of its groups, which is what listing them gives (every group once, in
  // the model's order): a copy in a list of the simulator's own took a large model's list twice.
  GroupList = TheModel->getGroupList();
  const int numGroups = TheModel->getNumGroups();
  EventPointerArray = new PAddress[static_cast<size_t>(numGroups > 0 ? numGroups : 0) + 1];
  for (int i = 0; i < numGroups; ++i) GroupList[i]->EventPointer = &EventPointerArray[i];
  KAVRIN_DEBUG(3, "End getting groups");

  CPUTime connectivityTimer;
  connectivityTimer.Start();
  if (BuildConnectivityLists() != 0) {
    std::cerr << "Error Generating Connectivity List\n" << std::flush;
    std::exit(1);
  }
  std::cout << "GenerateConnectivityList() Time=" << connectivityTimer.GetTime() << std::endl;

  TheEventList = new EventList(numGroups + 1, EventPointerArray);
  PrefetchObjects = numGroups >= kPrefetchGroups;
  // The same models are large enough that address translation misses as often as the cache.
  if (PrefetchObjects) LargeModelMemory::UseLargePages();
}

void SimulatorClass::RaiseSimControl(int level) {
  if (level > SimControl) SimControl = level;
}

// Teardown in the order that keeps every borrowed pointer valid until its last user is gone.
SimulatorClass::~SimulatorClass() {
  delete TheGroupContainer;
  delete TheActionContainer;
  delete TheEventList;
  delete[] EventPointerArray;
  if (SimMgrSocket) SimMgrSocket->CloseGracefully(SimMgrLink::CloseDrainMs);
  delete SimMgrSocket;
  delete ConnectionSocket;
  // The writers stay alive until the process ends; only the fan-out goes here.
  delete trace;
  if (FileCSV) {
    CloseAsciiFile(*FileCSV);
    delete FileCSV;
  }
  if (FileBin) {
    CloseBinFile(*FileBin);
    delete FileBin;
  }
  for (KavrinQueue<DataPacket*>* queue : {OutputPackets, UnusedPackets}) {
    if (queue == nullptr) continue;
    while (queue->GetCount() > 0) delete queue->Pop();
    delete queue;
  }
  delete CurPacket;
  delete CurSqrPacket;
  delete[] ASCIIFilename;
  delete[] BinFilename;
  delete[] TraceFilename;
  delete[] InitiallyEnabled;
  if (TheModel) DestructConnectivityList();
  if (SimulatorAssembly::StudyTeardown) SimulatorAssembly::StudyTeardown();
  delete[] OverrideString;
  delete _cpuTimer;
  delete StopTimes;
  delete CompletedBatches;
}

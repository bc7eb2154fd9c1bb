// Construction, run control and teardown of the simulator.
#include "Simulator/SimulatorClass.h"

#include <cstdlib>
#include <cstring>
#include <iostream>

#include "BaseClasses/KavrinQueue.h"
#include "BaseClasses/KavrinSocket.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"
#include "Simulator/DataPacket.h"

SimulatorClass::SimulatorClass(int argc, char** argv) {
  CreateContainers();
  SetDefaults();
  if (ParseCommandLineOptions(argc, argv) != 0) {
    PrintUsage();
    std::cerr << "ERROR: Parsing command line options" << std::endl;
    std::exit(1);
  }
  // TODO(assembly): result files, trace writers, study and models, connectivity lists, event
  // list and generator follow here.
}

SimulatorClass::SimulatorClass(BareTag) {
  CreateContainers();
  SetDefaults();
}

SimulatorClass::SimulatorClass() { std::exit(1); }

void SimulatorClass::CreateContainers() {
  TheReactivationList.clear();
  OverrideString = nullptr;
  db_entity = new char[std::strlen("fake") + 1];
  std::strcpy(db_entity, "fake");
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
  NullEvent = nullptr;
  CurrAction = nullptr;
  TempAction = nullptr;
  OtherAction = nullptr;
  NullAction = nullptr;
  AffectsAction = nullptr;
  TheEventList = nullptr;
  EventPointerArray = nullptr;
  GroupList = nullptr;
  InitiallyEnabled = nullptr;
  ResamplingList = nullptr;
  NumberResampling = 0;
  CheckAlwaysList = nullptr;
  NumberCheckAlways = 0;
  TempPVAffects = nullptr;
  NumInitiallyEnabled = 0;
  AccumulateStartTime = 0.0;
  AccumulateStopTime = 0.0;
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
  InSocket = nullptr;
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
  EventListType = 0;
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

void SimulatorClass::RaiseSimControl(int level) {
  if (level > SimControl) SimControl = level;
}

// TODO(assembly): hand the run to the driver chosen by isTerminatingSimulation.
void SimulatorClass::Run() {}

// TODO(assembly): the full teardown; this releases what the start-up above creates.
SimulatorClass::~SimulatorClass() {
  delete TheGroupContainer;
  delete TheActionContainer;
  delete SimMgrSocket;
  delete ConnectionSocket;
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
  delete[] OverrideString;
  delete[] db_entity;
}

// Start-up from the command line and the run itself.
#include "Simulator/SimulatorAssembly.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/CPUTime.h"
#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Random/MersenneTwister.h"
#include "Random/Tausworthe.h"
#include "Random/UserDistributions.h"
#include "Simulator/OutputFiles.h"
#include "Simulator/SimMgrLink.h"
#include "Simulator/SimulatorClass.h"
#include "Study/BaseStudyClass.h"
#include "Trace/TraceFileContainer.h"
#include "Trace/TraceFileKavrin.h"
#include "Trace/TraceFileXML.h"

namespace {

// Bytes of a global variable's value, by its declared type; 0 for a type this build does not know.
size_t ValueSize(const char* type) {
  const std::string t = type != nullptr ? type : "";
  if (t == "short") return sizeof(short);
  if (t == "int") return sizeof(int);
  if (t == "long") return sizeof(int32_t);
  if (t == "float") return sizeof(float);
  if (t == "double") return sizeof(double);
  if (t == "bool") return sizeof(bool);
  if (t == "char") return sizeof(char);
  return 0;
}

// Shows the values the run will use. A study's printing may set its experiment's values again
// (SetGVs), which would undo the -O overrides: the values are kept around it.
void PrintGlobalValues(BaseStudyClass* study, int experiment) {
  const uint32_t count = study->GetNumGVs();
  if (count == 0) return;
  std::vector<std::pair<void*, std::vector<unsigned char>>> kept;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t size = ValueSize(study->GetGVType(static_cast<int>(i)));
    void* value = size > 0 ? study->GetGVValue(study->GetGVName(static_cast<int>(i))) : nullptr;
    if (value == nullptr) continue;
    const unsigned char* bytes = static_cast<const unsigned char*>(value);
    kept.emplace_back(value, std::vector<unsigned char>(bytes, bytes + size));
  }
  study->PrintGlobalValues(experiment);
  for (const auto& entry : kept) std::memcpy(entry.first, entry.second.data(), entry.second.size());
}

}  // namespace

// The assembly follows the order in which the pieces depend on each other: result files first (an
// unwritable file must stop the run before anything is simulated), then traces, the study and its
// models, the variables the run kind considers, the engine (groups, connectivity lists, event
// list), generator.
SimulatorClass::SimulatorClass(int argc, char** argv) {
  AnswerVersionOption(argc, argv);
  CreateContainers();
  if (TheDistribution == nullptr || TheDistribution->RNG == nullptr)
    TheDistribution = new UserDistributions(0, 31415);
  SetDefaults();
  if (ParseCommandLineOptions(argc, argv) != 0) {
    PrintUsage();
    std::cerr << "ERROR: Parsing command line options" << std::endl;
    std::exit(1);
  }

  // Every output is checked before the first one is truncated: a run refused at start-up leaves
  // every file as it was.
  if (!OutputFiles::CheckBeforeOpening(RunOutputs())) std::exit(1);

  if (ASCIIFilename) {
    FileCSV = CreateAsciiFile(ASCIIFilename);
    if (!FileCSV) std::exit(1);
  }
  if (BinFilename) {
    FileBin = CreateBinFile(BinFilename);
    if (!FileBin) std::exit(1);
  }

  trace = new TraceFileContainer();
  const bool tracing = EnableKavrinTrace || EnableXMLTrace;
  if (tracing) {
    trace->setTraceLevel(TraceLevel);
    if (EnableKavrinTrace) {
      if (TraceFilename) {
        traceKavrin = new TraceFileKavrin((std::string(TraceFilename) + ".txt").c_str());
      } else {
        std::cout << "Adding cout: " << std::endl;
        traceKavrin = new TraceFileKavrin(&std::cout);
      }
      traceKavrin->setTraceLevel(TraceLevel);
      trace->AddTraceFile(traceKavrin);
    }
    if (EnableXMLTrace) {
      if (TraceFilename)
        traceXML = new TraceFileXML((std::string(TraceFilename) + ".xml").c_str());
      else
        traceXML = new TraceFileXML(&std::cout);
      traceXML->setTraceLevel(TraceLevel);
      trace->AddTraceFile(traceXML);
    }
  }

  KAVRIN_DEBUG(3, "Generating Study and getting pv model");
  TheStudy = GenerateStudy();
  SimulatorAssembly::StudyTeardown = &DestructStudy;
  TheStudy->SetGVs(static_cast<int>(TheExperimentNumber));
  if (OverrideString) {
    TheStudy->overrideGVs(OverrideString);
    std::cout << "Overriding global variables in simulator" << std::endl;
  }
  PrintGlobalValues(TheStudy, static_cast<int>(TheExperimentNumber));
  TheModel = TheStudy->GetPVModel(true);
  if (tracing) trace->addPVModel(TheModel);
  trace->printHeader();
  // A file that already failed to take its header would lose the whole run's output.
  if (!CheckOutputFiles()) std::exit(1);

  // Variables of the other run kind never stop a run and are left out of the accumulation.
  const PVType wanted = isTerminatingSimulation != 0 ? terminating : steady_state;
  PVList = TheModel->PerformanceVariableList;
  const int numPVs = TheModel->Number_Of_Performance_Variables;
  std::vector<int> considered;
  for (int i = 0; i < numPVs; ++i) {
    if (PVList[i]->Type == wanted)
      considered.push_back(i);
    else
      PVList[i]->Stop = std::numeric_limits<double>::max();
  }
  TheModel->ConsiderOnly(considered.data(), static_cast<int>(considered.size()));

  AssembleEngine();

  switch (RandomNumberGenerator) {
    case TAUSWORTHE:
      delete TheDistribution->RNG;
      KAVRIN_DEBUG(3, "Using Tausworthe Random Number Generator");
      TheDistribution->RNG = new Tausworthe();
      break;
    case MERSENNE_TWISTER:
      delete TheDistribution->RNG;
      KAVRIN_DEBUG(3, "Using Mersenne Twister Random Number Generator");
      TheDistribution->RNG = new MersenneTwister();
      break;
    default:
      KAVRIN_DEBUG(3, "Using Lagged Fibonacci Random Number Generator");
      break;
  }
  KAVRIN_DEBUG(3, "Done creating random number generator");

  // The model's own array of its actions, as for its groups (AssembleEngine).
  ActionList = TheModel->getActionList();
  for (int i = 0; i < TheModel->NumActions; ++i) ActionList[i]->Reactivation = false;

  TheDistribution->RNG->srnd(RandomNumberSeed == 0 ? 31415u : RandomNumberSeed);

  KAVRIN_DEBUG(3, "About to start simulation");
  NumPVs = TheModel->Number_Of_Performance_Variables;
}

void SimulatorClass::Run() {
  if (WaitForSocket) {
    const int waitMs = SimMgrLink::ConnectionWaitMs(60000);
    SimMgrSocket = WaitForSimMgrConnection(waitMs);
    if (!SimMgrSocket) {
      // The run ends without simulating anything; say so rather than end in silence.
      if (SimControl == GO)
        std::cerr << "No simulation manager connected within " << waitMs / 1000.0
                  << " seconds: nothing was simulated." << std::endl;
      RaiseSimControl(STOPHARD);
    }
  }
  if (isTerminatingSimulation != 0)
    TerminatingSimulation();
  else
    SteadyStateSimulation();
  trace->printFooter();
  CloseOutputFiles();
  std::cout << "Actions fired: " << _fireActionCount << std::endl;
  std::cout << "CPU time (s): " << (_cpuTimer ? _cpuTimer->GetTime() : 0.0) << std::endl;
}

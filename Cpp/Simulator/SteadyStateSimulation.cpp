// The steady-state run driver: one long trajectory cut into batches; each steady-state variable
// yields one observation whenever its current batch interval ends.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <limits>
#include <utility>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/CPUTime.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Simulator/DataPacket.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/Heap.h"
#include "Simulator/SimStepCommon.h"
#include "Simulator/SimulatorClass.h"
#include "Trace/TraceFile.h"
#include "Trace/TraceFileContainer.h"

namespace {

const char* const kAbsorbingMessage =
    "Simulator encountered an absorbing state and is unable to proceed.  Terminating run.";

// An event at +infinity can never fire: the trajectory is as stuck as with no event at all.
bool NoFiniteEvent(const Event* next) { return !next || std::isinf(next->exec_time); }

}  // namespace

void SimulatorClass::SteadyStateSimulation() {
  PerformanceVariableNode** ThePVList = TheModel->PerformanceVariableList;

  int numSteadyState = 0;
  for (int i = 0; i < NumPVs; ++i) {
    PerformanceVariableNode* pv = ThePVList[i];
    if (pv->Type != steady_state) continue;
    ++numSteadyState;
    // A batch that does not move forward would close batches at the same instant for ever.
    if (!(pv->batchSize > 0.0)) {
      std::cerr << "ERROR: steady-state performance variable " << (pv->Name ? pv->Name : "")
                << " has a batch length of " << pv->batchSize << "; it must be positive" << std::endl;
      std::exit(1);
    }
  }
  delete _cpuTimer;
  _cpuTimer = new CPUTime();
  _cpuTimer->Start();
  if (numSteadyState == 0) {
    std::cerr << "The model has no steady-state performance variable: nothing to simulate in a "
                 "steady-state run."
              << std::endl;
    return;
  }

  KAVRIN_DEBUG(3, "Creating initial data structures");
  CreateStepScratch(*this);
  int* ResultCounters = new int[static_cast<size_t>(NumPVs)]();
  int* ResultSqrCounters = new int[static_cast<size_t>(NumPVs)]();
  CurrentTime = 0;

  KAVRIN_DEBUG(3, "Creating initial enabled list");
  GenerateInitialEnabledList();
  KAVRIN_DEBUG(3, "Creating complete event list");
  GenerateCompleteEventListSS();

  TempAction = NullAction;
  StopTimes = new Heap<double>(numSteadyState);
  CompletedBatches = new Heap<int>(numSteadyState);
  for (int i = 0; i < NumPVs; ++i) {
    PerformanceVariableNode* pv = ThePVList[i];
    if (pv->Type != steady_state) continue;
    if (pv->Start == 0.0) {
      StopTimes->Insert(pv->Stop, i);
      CompletedBatches->Insert(0, i);
    } else {
      StopTimes->Insert(pv->Start, i);
      CompletedBatches->Insert(-1, i);
    }
  }

  trace->newBatch();
  CurPacket = CreateDataPacket(NumPVs);
  CurSqrPacket = CreateDataPacket(NumPVs);
  _cpuTimer->Start();

  NextEvent = TheEventList->Earliest();
  if (NoFiniteEvent(NextEvent)) {
    // Nothing can ever happen: the run ends before its first batch, which must not pass unnoticed.
    if (SimControl == GO)
      std::cerr << "The initial state has no event at a finite time: the steady-state run ends "
                   "without simulating anything."
                << std::endl;
    RaiseSimControl(STOPSOFT);
  } else {
    CurrentTime = NextEvent->exec_time;
    CurrAction = NextEvent->action_ptr;
  }
  if (trace->getTraceLevel() > 0) trace->printInitialState();

  while (SimControl == GO) {
    KAVRIN_DEBUG(2, "CurrentTime = " << CurrentTime);
    CheckCompletedBatches(ThePVList, ResultCounters, ResultSqrCounters);
    std::pair<int, int> fewest;
    CompletedBatches->Earliest(fewest);
    if (MaxNumOfBatches > 0 && fewest.first >= MaxNumOfBatches) RaiseSimControl(STOPSOFT);
    if (!SimStep(EventAtInfinity::Absorbs) || NoFiniteEvent(NextEvent)) {
      RaiseSimControl(STOPSOFT);
      std::cout << kAbsorbingMessage << std::endl;
      Traceprintf(0, "%s\n", kAbsorbingMessage);
    }
    if (trace->getTraceLevel() > 2) trace->printState();
  }

  SendSSResults(ResultCounters, ResultSqrCounters);
  delete StopTimes;
  StopTimes = nullptr;
  delete CompletedBatches;
  CompletedBatches = nullptr;
  delete[] ResultCounters;
  delete[] ResultSqrCounters;
  ReleaseStepScratch(*this);
}

void SimulatorClass::CheckCompletedBatches(PerformanceVariableNode** ThePVList, int* ResultCounters,
                                           int* ResultSqrCounters) {
  std::pair<double, int> next;
  StopTimes->Earliest(next);
  while (next.first <= CurrentTime) {
    const int i = next.second;
    PerformanceVariableNode* pv = ThePVList[i];
    const int completed = CompletedBatches->getElement(i);
    if (completed != -1) {
      // One past Stop closes the batch; beyond 2^53 adding 1 no longer moves past Stop.
      const double closing =
          std::max(pv->Stop + 1.0, std::nextafter(pv->Stop, std::numeric_limits<double>::infinity()));
      pv->Accumulate(closing, BaseModelClass::LastActionTime, TheModel->LastAction);
      if (ResultCounters[i] == ReportSize) SendSSResults(ResultCounters, ResultSqrCounters);
      // Still full only when stopping hard: nothing more will be sent, so the observation is
      // dropped rather than written past the row.
      if (ResultCounters[i] < ReportSize) {
        CurPacket->SetObs(i, ResultCounters[i]++, pv->TotalReward);
        CurSqrPacket->SetObs(i, ResultSqrCounters[i]++, pv->TotalRewardSqr);
      }
      pv->Reset();
    }
    StopTimes->ModifyKey(i, pv->Stop);
    CompletedBatches->ModifyKey(i, completed + 1);
    trace->newBatch();
    StopTimes->Earliest(next);
  }
}

void SimulatorClass::SendSSResults(int* ResultCounters, int* ResultSqrCounters) {
  if (SimControl == STOPHARD) return;
  for (int i = 0; i < NumPVs; ++i) {
    CurPacket->SetNumObs(i, ResultCounters[i]);
    CurSqrPacket->SetNumObs(i, ResultSqrCounters[i]);
    ResultCounters[i] = 0;
    ResultSqrCounters[i] = 0;
  }
  CPUSeconds = _cpuTimer->GetTime();
  CheckReportSize(CPUSeconds);
}

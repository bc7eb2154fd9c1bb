// The terminating run driver: independent replications from the saved initial state, one
// observation per performance variable each, reported in groups of ReportSize.
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/CPUTime.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Simulator/DataPacket.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/SimStepCommon.h"
#include "Simulator/SimulatorClass.h"
#include "Trace/TraceFileContainer.h"

double SimulatorClass::ReplicationStopTime() const {
  // A model with both kinds of variable: the steady-state ones are not measured here, and their
  // horizon (warm-up plus batches) would only lengthen every replication for nothing reported.
  bool steadyState = false;
  bool measured = false;
  double stop = 0.0;
  const int numPVs = TheModel->Number_Of_Performance_Variables;
  for (int i = 0; i < numPVs; ++i) {
    const PerformanceVariableNode* pv = TheModel->PerformanceVariableList[i];
    if (pv->Type == steady_state) {
      steadyState = true;
    } else {
      measured = true;
      if (pv->Stop > stop) stop = pv->Stop;
    }
  }
  return steadyState && measured ? stop : TheModel->Simulation_Stop_Time;
}

void SimulatorClass::TerminatingSimulation() {
  PerformanceVariableNode** ThePVList = TheModel->PerformanceVariableList;
  int r = 0;
  CreateStepScratch(*this);

  const int stateSize = TheModel->StateSize();
  KAVRIN_DEBUG(2, "Size of original state = " << stateSize);
  std::vector<char> OriginalState(static_cast<size_t>(stateSize > 0 ? stateSize : 0) + 1);
  TheModel->CurrentState(OriginalState.data());
  for (int i = 0; i < stateSize; ++i)
    KAVRIN_DEBUG_LINE(3, "OriginalState[" << i << "] = " << static_cast<int>(OriginalState[i]));

  const int NextReport = ReportSize;
  const double stop = ReplicationStopTime();
  GenerateInitialEnabledList();
  delete _cpuTimer;
  _cpuTimer = new CPUTime();
  _cpuTimer->Start();
  CurPacket = CreateDataPacket(NumPVs);
  CurSqrPacket = CreateDataPacket(NumPVs);
  trace->newBatch();

  while (SimControl == GO) {
    CurrentTime = 0;
    ClearSchedule();

    GenerateCompleteEventList();
    TempAction = NullAction;
    if (trace->getTraceLevel() > 0) trace->printInitialState();

    NextEvent = TheEventList->Earliest();
    if (NextEvent) {
      CurrentTime = NextEvent->exec_time;
      CurrAction = NextEvent->action_ptr;
      while (CurrentTime <= stop) {
        if (!SimStep(EventAtInfinity::IsNext)) break;
        if (trace->getTraceLevel() > 2) trace->printState();
      }
    }

    KAVRIN_DEBUG(1, "Done with batch  = " << r);
    trace->newBatch();
    TheModel->EndAccumulate(stop);
    for (int i = 0; i < NumPVs; ++i) {
      CurPacket->SetObs(i, r, ThePVList[i]->TotalReward);
      CurSqrPacket->SetObs(i, r, ThePVList[i]->TotalRewardSqr);
    }
    ++r;
    ++BatchRuns;
    KAVRIN_DEBUG(2, "Batch = " << r);
    KAVRIN_DEBUG(2, "NextReport = " << NextReport);

    const bool limitReached = MaxNumOfBatches > 0 && BatchRuns >= MaxNumOfBatches;
    if (limitReached) RaiseSimControl(STOPSOFT);
    if (r == NextReport || limitReached) {
      for (int i = 0; i < NumPVs; ++i) {
        CurPacket->SetNumObs(i, r);
        CurSqrPacket->SetNumObs(i, r);
      }
      CPUSeconds = _cpuTimer->GetTime();
      CheckReportSize(CPUSeconds);
      r = 0;
    }

    KAVRIN_DEBUG(2, "Resetting State of the Model.  State Size: = " << stateSize);
    TheModel->SetState(OriginalState.data());
    TheModel->PVReset();
  }

  ReleaseStepScratch(*this);
}

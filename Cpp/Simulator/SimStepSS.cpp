// Scheduling at the start of a steady-state run, and one firing of it. The trajectory is never
// reset; batch boundaries are the driver's business.
#include <cmath>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/TraceFileContainer.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/ModelCheck.h"
#include "Simulator/SimStepCommon.h"
#include "Simulator/SimulatorClass.h"

short SimulatorClass::GenerateCompleteEventListSS() {
  int numGroups = TheModel->getNumGroups();
  for (int i = 0; i < numGroups; i++) {
    CurrAction = GroupList[i];
    if (CurrAction->Enabled()) {
      KAVRIN_DEBUG(3, "Current Action Enabled");
      KAVRIN_CHECK(CurrEvent != nullptr, "SimStepSS", 135);
      ScheduleGroup(*this, CurrAction);
    }
    KAVRIN_DEBUG(3, "After if Enabled");
  }
  return 0;
}

bool SimulatorClass::SimStepSS() {
  // Nothing scheduled (a start in an absorbing state): nothing fires.
  if (NextEvent == nullptr) return false;
  TheEventList->Remove(NextEvent);
  TheModel->Accumulate(CurrentTime);
  trace->printPreFireAction(CurrAction);
  trace->printFireAction(CurrAction, CurrentTime);
  TempAction = TheModel->FireAction(CurrAction, CurrentTime);
  KAVRIN_CHECK(TempAction != nullptr, "SimStepSS", __LINE__);
  _fireActionCount++;
  trace->printPostFireAction(CurrAction, TempAction);
  KAVRIN_DEBUG(0, "Starting to look at the other actions that are affected by the firing");
  CheckReactivationList();
  RemoveAffectedActions();
  InsertAffectedActions();
#ifdef KAVRIN_MODEL_CHECK
  CheckModelSchedule(*this);
#endif
  NextEvent = TheEventList->Earliest();
  // An event that never completes would close batches for ever: the trajectory is absorbed.
  if (NextEvent != nullptr && std::isinf((*NextEvent)->exec_time) && (*NextEvent)->exec_time > 0)
    NextEvent = nullptr;
  if (NextEvent == nullptr) return false;
  CurrentTime = (*NextEvent)->exec_time;
  CurrAction = (*NextEvent)->action_ptr;
  PrefetchAction(CurrAction);
  return true;
}

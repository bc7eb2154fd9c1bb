// Scheduling at the start of a run (and of each replication), and the one firing step that both
// run drivers take.
#include <cmath>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/ActionAffectsElement.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/ModelCheck.h"
#include "Simulator/SimStepCommon.h"
#include "Simulator/SimulatorClass.h"
#include "Trace/TraceFileContainer.h"

void SimulatorClass::GenerateInitialEnabledList() {
  int numGroups = TheModel->getNumGroups();
  NumInitiallyEnabled = 0;
  delete[] InitiallyEnabled;
  InitiallyEnabled = new BaseActionClass*[numGroups];
  for (int i = 0; i < numGroups; i++) {
    BaseActionClass* group = GroupList[i];
    if (group->Enabled()) {
      KAVRIN_DEBUG(3, "Current Action Enabled");
      InitiallyEnabled[NumInitiallyEnabled++] = group;
      KAVRIN_DEBUG(3, "End if");
    }
  }
  if (NumInitiallyEnabled < numGroups / 2) {
    // A sparse start keeps only what it needs (an empty array is still a valid one).
    BaseActionClass** shrunk = new BaseActionClass*[NumInitiallyEnabled];
    for (int i = 0; i < NumInitiallyEnabled; i++) shrunk[i] = InitiallyEnabled[i];
    delete[] InitiallyEnabled;
    InitiallyEnabled = shrunk;
  }
}

void SimulatorClass::GenerateCompleteEventList() {
  for (int i = 0; i < NumInitiallyEnabled; i++) {
    CurrAction = InitiallyEnabled[i];
    KAVRIN_CHECK(CurrAction->Enabled(), "SimStep", 134);
    // The second call leaves the group's old and new enabling status both true.
    CurrAction->Enabled();
    KAVRIN_CHECK(CurrEvent != nullptr, "SimStep", 135);
    ScheduleGroup(*this, CurrAction);
  }
}

// The steady-state run starts once, so it asks every group rather than keep an initial list.
void SimulatorClass::GenerateCompleteEventListSS() {
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
}

bool SimulatorClass::SimStep(EventAtInfinity atInfinity) {
  // Nothing scheduled (a start in an absorbing state): nothing fires.
  if (NextEvent == nullptr) return false;
  TheEventList->Remove(NextEvent);
  // The groups this firing may affect are visited after it; start loading them now, while the
  // reward model accumulates and the action fires.
  if (PrefetchObjects)
    for (const ActionAffectsElement* cell = NextEvent->affects; cell != nullptr; cell = cell->next())
      PrefetchAction(cell->Action);
  TheModel->Accumulate(CurrentTime);
  trace->printPreFireAction(CurrAction);
  trace->printFireAction(CurrAction, CurrentTime);
#ifdef KAVRIN_MODEL_CHECK
  RememberMarkings(*this);
  CheckCaseProbabilities(*this);
#endif
  TempAction = TheModel->FireAction(CurrAction, CurrentTime);
  // A group always reports the member that fired; nothing else has a connectivity list to walk.
  KAVRIN_CHECK(TempAction != nullptr, "SimStep", 82);
  _fireActionCount++;
#ifdef KAVRIN_MODEL_CHECK
  CheckMarkings(*this);
#endif
  trace->printPostFireAction(CurrAction, TempAction);
  KAVRIN_DEBUG(0, "Starting to look at the other actions that are affected by the firing");
  CheckReactivationList();
  RemoveAffectedActions();
  InsertAffectedActions();
#ifdef KAVRIN_MODEL_CHECK
  CheckModelSchedule(*this);
#endif
  NextEvent = TheEventList->Earliest();
  if (NextEvent == nullptr) return false;
  if (atInfinity == EventAtInfinity::Absorbs && std::isinf(NextEvent->exec_time) &&
      NextEvent->exec_time > 0) {
    NextEvent = nullptr;
    return false;
  }
  CurrentTime = NextEvent->exec_time;
  CurrAction = NextEvent->action_ptr;
  if (PrefetchObjects) {
    PrefetchAction(CurrAction);
    // A group of several members has no list of its own; a null address would be a slow prefetch.
    if (NextEvent->affects != nullptr) __builtin_prefetch(NextEvent->affects);
  }
  return true;
}

// The three phases that follow a firing, shared by the terminating and the steady-state step,
// and the scheduling of one group. A phase touches only the fired action's connectivity list and
// the reactivation list, never the whole model.
#include "Simulator/SimStepCommon.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "BaseClasses/BaseActionClass.h"
#include "Simulator/ActionAffectsElement.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/PAddress.h"
#include "Simulator/SimulatorClass.h"

namespace {

PAddress* addressOf(BaseActionClass* group) { return static_cast<PAddress*>(group->EventPointer); }

// Reports the action and the sampler's text (without its marker) and ends the run.
[[noreturn]] void HandleInvalidDistParams(const BaseActionClass* action, std::string message) {
  const std::string marker = "INVALID_DIST_PARAMS:";
  const size_t at = message.find(marker);
  if (at != std::string::npos) message.erase(at, marker.size());
  std::cerr << "FATAL ERROR: In action " << (action && action->ActionName ? action->ActionName : "") << ","
            << message << std::endl;
  std::exit(1);
}

// A positive delay too small to move a clock this far along (t + delay == t) would fire the group
// at the same instant for ever.
[[noreturn]] void FrozenClock(const BaseActionClass* action, double delay, double time) {
  std::ostringstream text;
  text.precision(17);
  text << "FATAL ERROR: In action " << (action && action->ActionName ? action->ActionName : "")
       << ", the delay " << delay << " drawn at time " << time
       << " does not move the simulation clock (time + delay == time); the run cannot go on.";
  std::cerr << text.str() << std::endl;
  std::exit(1);
}

// The completion time of a delay drawn now. The comparison costs one test per scheduling: only
// instantaneous groups (delay 0) take the second one.
inline double CompletionTime(const BaseActionClass* group, double now, double delay) {
  const double completion = now + delay;
  if (completion == now && delay > 0.0) FrozenClock(group, delay, now);
  return completion;
}

void watchForReactivation(SimulatorClass& sim, BaseActionClass* group, PAddress* address) {
  group->Reactivation = true;
  sim.TheReactivationList.push_front(group);
  address->setReact(sim.TheReactivationList.begin());
}

}  // namespace

double SampleDelay(BaseActionClass* group) {
  try {
    return group->SampleDistribution();
  } catch (const std::string& message) {
    HandleInvalidDistParams(group, message);
  } catch (const char* message) {
    HandleInvalidDistParams(group, message);
  }
}

void ScheduleGroup(SimulatorClass& sim, BaseActionClass* group) {
  Event* record = sim.CurrEvent;
  record->exec_time = CompletionTime(group, sim.CurrentTime, SampleDelay(group));
  record->start_time = sim.CurrentTime;
  record->action_ptr = group;
  record->affects = group->Affects;
  if (group->ReactivationPredicate()) watchForReactivation(sim, group, addressOf(group));
  sim.TheEventList->Insert(record);
}

void SimulatorClass::CheckReactivationList() {
  std::list<BaseActionClass*>::iterator entry = TheReactivationList.begin();
  while (entry != TheReactivationList.end()) {
    // Step past the entry first: it may be erased, and groups pushed back on the front of the
    // list are not visited again in this walk.
    std::list<BaseActionClass*>::iterator current = entry++;
    BaseActionClass* group = *current;
    PAddress* address = addressOf(group);
    Event* event = TheEventList->Scheduled(group);
    if (event == nullptr) {
      address->setReactNull();
      group->Reactivation = false;
      TheReactivationList.erase(current);
    } else if (!group->Enabled()) {
      TheEventList->Remove(event);
      address->setReactNull();
      group->Reactivation = false;
      TheReactivationList.erase(current);
    } else if (group->ReactivationFunction()) {
      event->exec_time = CompletionTime(group, CurrentTime, SampleDelay(group));
      event->start_time = CurrentTime;
      TheEventList->ModifyKey(event);
      group->Reactivation = false;
      address->setReactNull();
      TheReactivationList.erase(current);
      if (group->ReactivationPredicate()) watchForReactivation(*this, group, address);
    }
  }
}

void SimulatorClass::RemoveAffectedActions() {
  for (AffectsAction = TempAction->Affects; AffectsAction != nullptr; AffectsAction = AffectsAction->next()) {
    BaseActionClass* group = AffectsAction->Action;
    Event* event = TheEventList->Scheduled(group);
    if (event == nullptr) continue;
    if (group->EnablingChange() || (group->Reactivation && group->ReactivationFunction())) {
      group->Reactivation = false;
      TheEventList->Remove(event);
      PAddress* address = addressOf(group);
      if (!address->isReactNull()) {
        TheReactivationList.erase(address->getReact());
        address->setReactNull();
      }
    }
  }
}

void SimulatorClass::InsertAffectedActions() {
  for (AffectsAction = TempAction->Affects; AffectsAction != nullptr; AffectsAction = AffectsAction->next()) {
    BaseActionClass* group = AffectsAction->Action;
    // Enabled() is asked of every group on the list: an activity keeps its last two answers.
    if (group->Enabled() && TheEventList->Scheduled(group) == nullptr) ScheduleGroup(*this, group);
  }
}

void SimulatorClass::ClearSchedule() {
  TheEventList->ClearEventList();
  for (BaseActionClass* group : TheReactivationList) {
    group->Reactivation = false;
    addressOf(group)->setReactNull();
  }
  TheReactivationList.clear();
}

void CreateStepScratch(SimulatorClass& sim) {
  sim.TempEvent = new Event();
  sim.CurrEvent = new Event();
  sim.NullAction = new BaseActionClass();
}

void ReleaseStepScratch(SimulatorClass& sim) {
  delete sim.CurrEvent;
  sim.CurrEvent = nullptr;
  delete sim.TempEvent;
  sim.TempEvent = nullptr;
  delete sim.NullAction;
  sim.NullAction = nullptr;
  sim.TempAction = nullptr;
}

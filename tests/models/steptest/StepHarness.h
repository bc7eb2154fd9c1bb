// Assembles a bare simulator around a reward model through the start-up's own engine assembly
// (group list, one event slot per group, compacted connectivity lists, event list), adds a trace
// container and the driver's working records, and starts replications the way the terminating
// driver does. Owns the simulator and everything it creates for it; the reward model is borrowed
// and must outlive the harness.
#ifndef KAVRIN_TESTS_MODELS_STEPTEST_STEPHARNESS_H
#define KAVRIN_TESTS_MODELS_STEPTEST_STEPHARNESS_H

#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/List.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/PAddress.h"
#include "Simulator/SimulatorClass.h"
#include "Trace/TraceFileContainer.h"

class StepHarness {
 public:
  explicit StepHarness(PVModel* model) : sim(SimulatorClass::BareTag{}) {
    sim.TheModel = model;
    sim.AssembleEngine();
    sim.trace = new TraceFileContainer();
    sim.CurrEvent = new Event();
    sim.TempEvent = new Event();
    sim.NullAction = new BaseActionClass();
    sim.TempAction = sim.NullAction;
  }

  // The simulator's own teardown frees what the assembly made; the scratch is the driver's.
  ~StepHarness() {
    delete sim.CurrEvent;
    sim.CurrEvent = nullptr;
    delete sim.TempEvent;
    sim.TempEvent = nullptr;
    delete sim.NullAction;
    sim.NullAction = nullptr;
  }

  StepHarness(const StepHarness&) = delete;
  StepHarness& operator=(const StepHarness&) = delete;

  // What the terminating driver does before the first step of a replication. True when there
  // is an event to fire.
  bool startReplication() {
    sim.CurrentTime = 0.0;
    sim.ClearSchedule();
    sim.GenerateCompleteEventList();
    return takeEarliest();
  }

  // The steady-state driver's start.
  bool startSteadyState() {
    sim.CurrentTime = 0.0;
    sim.GenerateCompleteEventListSS();
    return takeEarliest();
  }

  bool takeEarliest() {
    sim.NextEvent = sim.TheEventList->Earliest();
    if (sim.NextEvent == nullptr) return false;
    sim.CurrentTime = sim.NextEvent->exec_time;
    sim.CurrAction = sim.NextEvent->action_ptr;
    return true;
  }

  // The completion time of the group's event, or a negative value when it has none.
  double scheduledTime(BaseActionClass* group) const {
    const Event* event = sim.TheEventList->Scheduled(group);
    return event == nullptr ? -1.0 : event->exec_time;
  }
  bool onReactivationList(BaseActionClass* group) const {
    for (BaseActionClass* g : sim.TheReactivationList)
      if (g == group) return true;
    return false;
  }

  SimulatorClass sim;
};

#endif

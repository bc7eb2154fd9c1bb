// Scheduling shared by the start of a run and the firing step: one group gets an event at the
// current time plus a fresh delay, and goes on the reactivation list when it asks to be watched;
// and the scratch objects every run driver's steps work with. Used only by the step and driver
// sources.
#ifndef KAVRIN_SIMULATOR_SIMSTEPCOMMON_H
#define KAVRIN_SIMULATOR_SIMSTEPCOMMON_H

class SimulatorClass;
class BaseActionClass;

// Fills the simulator's CurrEvent for the group, records it on the reactivation list when its
// ReactivationPredicate holds, and inserts the event. A sampler's parameter message ends the run
// (exit code 1, after "FATAL ERROR: In action <name>,<message>").
void ScheduleGroup(SimulatorClass& sim, BaseActionClass* group);

// The group's delay; a sampler's parameter message ends the run as above.
double SampleDelay(BaseActionClass* group);

// The steps' scratch: TempEvent, CurrEvent, then NullAction (an action, so it takes the next action
// id). Each run driver makes them before its first step and releases them when it ends.
void CreateStepScratch(SimulatorClass& sim);
void ReleaseStepScratch(SimulatorClass& sim);

// Starts loading the object of the action that fires next. The next step sifts the event list
// before it fires the action; on a large model the object would otherwise miss the cache then.
inline void PrefetchAction(const BaseActionClass* action) {
  const char* p = reinterpret_cast<const char*>(action);
  for (int line = 0; line < 5; line++) __builtin_prefetch(p + 64 * line);
}

#endif

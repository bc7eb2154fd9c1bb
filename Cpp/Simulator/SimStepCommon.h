// Scheduling shared by the terminating and the steady-state simulation steps: one group gets an
// event at the current time plus a fresh delay, and goes on the reactivation list when it asks to
// be watched. Used only by the step sources.
#ifndef KAVRIN_SIM_STEP_COMMON_H
#define KAVRIN_SIM_STEP_COMMON_H

class SimulatorClass;
class BaseActionClass;

// Fills the simulator's CurrEvent for the group, records it on the reactivation list when its
// ReactivationPredicate holds, and inserts the event. A sampler's parameter message ends the run
// through HandleInvalidDistParams.
void ScheduleGroup(SimulatorClass& sim, BaseActionClass* group);

// The group's delay; a sampler's parameter message ends the run through HandleInvalidDistParams.
double SampleDelay(SimulatorClass& sim, BaseActionClass* group);

#endif

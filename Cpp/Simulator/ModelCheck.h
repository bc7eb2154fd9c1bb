// The model check of builds configured with KAVRIN_MODEL_CHECK: after every firing it asks every
// group again whether it is enabled and compares the answer with the event list, and compares the
// delay parameters of every scheduled activity with those its delay was drawn with. A model whose
// arcs miss a place its enabling or its delay reads leaves such a schedule stale; the check stops
// the run there, naming the activity and the firing. It also watches every place's 16-bit marking
// for a wrap past its range, and the case probabilities that read the marking for a sum other
// than 1. Ordinary builds never call it.
#ifndef KAVRIN_SIMULATOR_MODELCHECK_H
#define KAVRIN_SIMULATOR_MODELCHECK_H

class SimulatorClass;

// Checks the schedule after the firing just completed; ends the process (exit code 1) when it is stale.
void CheckModelSchedule(SimulatorClass& sim);

// Takes the marking of every place of the model, just before a firing.
void RememberMarkings(SimulatorClass& sim);
// Compares every place's marking with the one taken before the firing just completed; ends the
// process (exit code 1), naming the place, when a marking has wrapped past the 16-bit range.
void CheckMarkings(SimulatorClass& sim);

// Before a case group fires: when its cases carry probabilities that read the marking, ends the
// process (exit code 1), naming the activity and the sum, unless they sum to 1 in this marking.
void CheckCaseProbabilities(SimulatorClass& sim);

#endif

// The link between the simulator's teardown and the generated study.
//
// Only the full start-up (SimulatorAssembly.cpp) calls into the generated study, so only programs
// that build a simulator from a command line need one linked in; a simulator assembled by hand in
// a test has no study to destroy. The start-up registers the study's destructor here and the
// teardown calls it when it is set.
#ifndef KAVRIN_SIMULATOR_SIMULATORASSEMBLY_H
#define KAVRIN_SIMULATOR_SIMULATORASSEMBLY_H

namespace SimulatorAssembly {

// DestructStudy of the generated study once the start-up has created it, else null.
extern void (*StudyTeardown)();

}  // namespace SimulatorAssembly

#endif

// Which kinds of run a study needs: a model's variables are terminating (estimated by
// independent replications, simulators without -t) or steady state (batch means, simulators
// with -t 0), as the sidecar of its description says.
#ifndef KAVRIN_SIMMGR_RUNKINDS_H
#define KAVRIN_SIMMGR_RUNKINDS_H

#include <string>
#include <vector>

#include "Options.h"
#include "PVDescription.h"

namespace simmgr {

// The kinds to run, in order, true for terminating: with -t among the simulator options that
// kind alone, refused (false, with a message naming the kinds the model has and the option to
// use) when the model has no variable of it; without -t every kind the model has, terminating
// first; terminating when the description says nothing of kinds.
bool PlanRunKinds(const Options& o, const PVDescription& pv, std::vector<bool>& kinds, std::string& error);

// Whether the simulator options choose the kind of run (-t).
bool KindGiven(const Options& o);

// "terminating" / "steady state", and the JSON's "terminating" / "steady_state".
const char* KindText(bool terminating);
const char* KindKey(bool terminating);

}  // namespace simmgr

#endif

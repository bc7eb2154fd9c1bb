// When an experiment stops, where the stopping rule looks, and the verdict the report gives.
// Everything here looks only at the variables' statistics, the options and a few plain facts
// about the run, never at a clock, a process or a stream, so that every case can be tried
// without running anything.
#ifndef KAVRIN_SIMMGR_STOPPINGRULE_H
#define KAVRIN_SIMMGR_STOPPINGRULE_H

#include <cstdint>
#include <map>
#include <string>

#include "Options.h"
#include "VariableResult.h"

namespace simmgr {

struct RunFacts {
  bool interrupted = false;
  double elapsed = 0.0;         // seconds since the experiment started
  bool simulatorsLeft = false;  // some simulator is linked, or still on its way to a link
};

// What the observations at one checkpoint say, in the words of the report; "" to go on. The
// first that holds wins: every variable flagged for non-finite observations; every variable
// precise ("precision reached"); every variable not flagged precise ("other variables
// precise": a flagged variable cannot become precise, so it does not hold the others back);
// every variable not flagged at --max-obs.
std::string CheckpointStop(const std::map<int, VariableResult>& variables, const Options& o);

// Why the experiment stops now, whatever the observations say: an interrupt, the time limit,
// or no simulator left; "" while it goes on.
std::string RunStop(const Options& o, const RunFacts& run);

// Both, the run's facts first: the stop reason of a run that looks at every observation as it
// comes.
std::string StopReason(const std::map<int, VariableResult>& variables, const Options& o, const RunFacts& run);

// The checkpoint after k (observations per simulator) in the fixed schedule step, 2 step, ...
// until a quarter of k is more than a step, then a quarter beyond the last (step 100: 100,
// 200, 300, 400, 500, 625, 781, ...). Every look at the stopping rule is a chance to stop on a
// lucky sample (tests passing by chance, a variance low by chance), so looks are spaced
// geometrically rather than taken at every report, and never closer than one report of each
// simulator (the step is --report-size).
uint64_t NextCheckpoint(uint64_t k, uint64_t step);

// The reason as reported: the cause, then every variable whose interval is not to be trusted
// and why ("max-obs reached; mean_in_system unreliable: batches correlated"). A variable that
// is only wider than asked is not listed: the cause already says the run stopped short.
std::string StopVerdict(const std::string& cause, const std::map<int, VariableResult>& variables,
                        const Options& o);

// Whether the variable's interval is to be trusted less than its width says (unreliable or
// flagged); such a variable makes the results incomplete.
bool Untrusted(const VariableResult& v, const Options& o);

}  // namespace simmgr

#endif

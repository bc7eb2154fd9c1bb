// When an experiment stops, and when a steady-state variable is analysed again. Both look only
// at the variables' statistics, the options and a few plain facts about the run, never at a
// clock, a process or a stream, so that every case can be tried without running anything.
#ifndef SIMMGR_STOPPINGRULE_H
#define SIMMGR_STOPPINGRULE_H

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

// Why the experiment stops now, in the words of the report; "" while it goes on. The first
// that holds wins: an interrupt; every variable flagged for non-finite observations; every
// other variable precise; every other variable at --max-obs; the time limit; no simulator left.
// A flagged variable cannot become precise, so it does not hold the others back.
std::string StopReason(const std::map<int, VariableResult>& variables, const Options& o, const RunFacts& run);

// Whether a steady-state variable's batch-means analysis is due: once a quarter more
// observations have come since the last one. Every look at the stopping rule is a chance to
// stop on a lucky sample (tests passing by chance, a variance low by chance), so looks are
// spaced geometrically rather than taken at every report.
bool AnalysisDue(const VariableResult& v);

}  // namespace simmgr

#endif

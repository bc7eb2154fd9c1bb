// What a progress line says about when an experiment will stop: the worst relative half-width
// against the wanted precision, and the time left, estimated from the half-width's 1/sqrt(n)
// decline and the rate at which observations have come so far. Looks only at figures, never at a
// clock, so every case can be tried without running anything.
#ifndef KAVRIN_SIMMGR_PROGRESSESTIMATE_H
#define KAVRIN_SIMMGR_PROGRESSESTIMATE_H

#include <map>
#include <string>

#include "Options.h"
#include "VariableResult.h"

namespace simmgr {

struct ProgressEstimate {
  bool worstKnown = false;  // some variable has a finite relative half-width
  double worst = 0.0;       // the largest relative half-width among the variables that can be precise
  std::string worstName;
  bool timeKnown = false;
  double secondsLeft = 0.0;
  bool atLeast = false;    // a steady-state variable's batches still fail a test: it may take longer
  std::string unknownWhy;  // when the time is not known, why
};

// `variables`: the latest checkpoint's figures; `elapsed`: seconds since the phase started.
// Observations needed by each variable: n (r / precision)^2, at least --min-obs, at most
// --max-obs; their rate: what the checkpoint holds over `elapsed`; --time-limit caps the rest.
ProgressEstimate EstimateProgress(const std::map<int, VariableResult>& variables, const Options& o,
                                  double elapsed);

// The estimate in words, for the end of a progress line ("worst rel.hw 0.134 (arrivals) of 0.1,
// about 12 s left", "..., time left not known yet: fewer than 2 observations").
std::string ProgressText(const ProgressEstimate& e, const Options& o);

}  // namespace simmgr

#endif

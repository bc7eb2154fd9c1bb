// One performance variable's observations in one experiment, pooled over its simulators (or
// result files), and what they say: the interval, and whether the wanted precision is reached.
#ifndef KAVRIN_SIMMGR_VARIABLERESULT_H
#define KAVRIN_SIMMGR_VARIABLERESULT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "BatchMeansAnalysis.h"
#include "Options.h"
#include "Statistics.h"

namespace simmgr {

struct VariableResult {
  int index = 0;
  std::string name;
  RunningStats stats;
  // Observations that were NaN or infinite (a broken model): kept out of the estimate,
  // counted, and the variable can no longer reach its precision.
  uint64_t nonFinite = 0;
  // Steady-state runs: each simulator's batch means in the order it sent them (by client)
  // and the analysis of them.
  bool steadyState = false;
  std::vector<std::vector<double>> perSimulator;
  stats::BatchMeansResult batch;
  // Terminating runs, in the final results only: every finite observation they hold, ascending,
  // for the percentiles and the histogram.
  std::vector<double> sorted;
};

// Brings a steady-state variable's batch-means analysis up to date with its observations.
void AnalyseVariable(VariableResult& v, const Options& o);

// Adds one observation that simulator `simulator` (its client id, or a file's position) sent:
// kept for the estimate, and for a steady-state variable also in that simulator's batch
// sequence. A NaN or infinite value is only counted (nonFinite); returns false for it.
bool AddObservation(VariableResult& v, size_t simulator, double value);
// The interval reported for a variable: Student-t over the observations in a terminating
// run, the batch-means analysis in a steady-state run.
Interval VariableInterval(const VariableResult& v, const Options& o);
// In words, why a variable that has not reached its precision has not ("" when it has).
std::string ShortOfPrecision(const VariableResult& v, const Options& o);

// The words of the "reached" column: whether this variable reached the wanted precision
// (never for a variable flagged for non-finite observations).
bool PrecisionReached(const VariableResult& v, const Options& o);

}  // namespace simmgr

#endif

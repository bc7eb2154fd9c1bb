#include "VariableResult.h"

#include <cmath>

namespace simmgr {

void AnalyseVariable(VariableResult& v, const Options& o) {
  if (!v.steadyState) return;
  stats::BatchMeansSettings settings;
  settings.confidence = o.confidence;
  settings.minBatches = static_cast<size_t>(o.minBatches);
  settings.testLevel = o.batchTestLevel;
  v.batch = stats::AnalyseBatchMeans(v.perSimulator, settings);
}

bool AddObservation(VariableResult& v, size_t simulator, double value) {
  if (!std::isfinite(value)) {
    ++v.nonFinite;
    return false;
  }
  v.stats.Add(value);
  if (v.steadyState) {
    if (v.perSimulator.size() <= simulator) v.perSimulator.resize(simulator + 1);
    v.perSimulator[simulator].push_back(value);
  }
  return true;
}

Interval VariableInterval(const VariableResult& v, const Options& o) {
  if (!v.steadyState) return ConfidenceInterval(v.stats, o.confidence);
  Interval iv;
  iv.mean = v.batch.mean;
  iv.halfWidth = v.batch.halfWidth;
  iv.low = iv.mean - iv.halfWidth;
  iv.high = iv.mean + iv.halfWidth;
  iv.relative = v.batch.relative;
  return iv;
}

std::string ShortOfPrecision(const VariableResult& v, const Options& o) {
  if (v.nonFinite > 0) return "non-finite observations";
  const RunningStats& s = v.stats;
  if (s.Count() < o.minObs || s.Count() < 2) return "too few observations";
  if (v.steadyState) {
    if (!v.batch.enoughBatches) return "too few batches";
    if (!v.batch.independent) return "batches correlated";
    if (!v.batch.normal) return "batch means skewed";
  }
  if (!(VariableInterval(v, o).relative <= o.precision)) return "interval too wide";
  return "";
}

bool PrecisionReached(const VariableResult& v, const Options& o) { return ShortOfPrecision(v, o).empty(); }

}  // namespace simmgr

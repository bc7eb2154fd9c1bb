#include "StoppingRule.h"

#include <algorithm>

namespace simmgr {

std::string StopReason(const std::map<int, VariableResult>& variables, const Options& o,
                       const RunFacts& run) {
  bool allPrecise = !variables.empty(), allMax = o.maxObs > 0 && !variables.empty(),
       allFlagged = !variables.empty();
  for (const auto& kv : variables) {
    const VariableResult& v = kv.second;
    if (v.nonFinite > 0) continue;
    allFlagged = false;
    if (!PrecisionReached(v, o)) allPrecise = false;
    if (v.stats.Count() < o.maxObs) allMax = false;
  }
  if (run.interrupted) return "interrupted";
  if (allFlagged) return "every variable received non-finite observations";
  if (allPrecise) return "precision reached";
  if (allMax) return "max-obs reached";
  if (o.timeLimit > 0 && run.elapsed >= o.timeLimit) return "time limit";
  if (!run.simulatorsLeft) return "all simulators ended";
  return "";
}

bool AnalysisDue(const VariableResult& v) {
  const uint64_t n = v.stats.Count();
  return v.steadyState && n > v.analysedAt && n - v.analysedAt >= std::max<uint64_t>(1, v.analysedAt / 4);
}

}  // namespace simmgr

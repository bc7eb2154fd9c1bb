#include "StoppingRule.h"

#include <algorithm>

namespace simmgr {

std::string CheckpointStop(const std::map<int, VariableResult>& variables, const Options& o) {
  bool allPrecise = !variables.empty(), allMax = o.maxObs > 0 && !variables.empty(),
       allFlagged = !variables.empty(), anyFlagged = false;
  for (const auto& kv : variables) {
    const VariableResult& v = kv.second;
    if (v.nonFinite > 0) {
      anyFlagged = true;
      continue;
    }
    allFlagged = false;
    if (!PrecisionReached(v, o)) allPrecise = false;
    if (v.stats.Count() < o.maxObs) allMax = false;
  }
  if (allFlagged) return "every variable received non-finite observations";
  if (allPrecise) return anyFlagged ? "other variables precise" : "precision reached";
  if (allMax) return "max-obs reached";
  return "";
}

std::string RunStop(const Options& o, const RunFacts& run) {
  if (run.interrupted) return "interrupted";
  if (o.timeLimit > 0 && run.elapsed >= o.timeLimit) return "time limit";
  if (!run.simulatorsLeft) return "all simulators ended";
  return "";
}

std::string StopReason(const std::map<int, VariableResult>& variables, const Options& o,
                       const RunFacts& run) {
  if (run.interrupted) return "interrupted";
  const std::string seen = CheckpointStop(variables, o);
  return seen.empty() ? RunStop(o, run) : seen;
}

uint64_t NextCheckpoint(uint64_t k, uint64_t step) {
  return k + std::max<uint64_t>(std::max<uint64_t>(1, step), k / 4);
}

bool Untrusted(const VariableResult& v, const Options& o) {
  const std::string why = ShortOfPrecision(v, o);
  return !why.empty() && why != "interval too wide";
}

std::string StopVerdict(const std::string& cause, const std::map<int, VariableResult>& variables,
                        const Options& o) {
  std::string text = cause;
  for (const auto& kv : variables) {
    const VariableResult& v = kv.second;
    if (!Untrusted(v, o)) continue;
    text += "; " + v.name + (v.nonFinite > 0 ? " flagged: " : " unreliable: ") + ShortOfPrecision(v, o);
  }
  return text;
}

}  // namespace simmgr

#include "ProgressEstimate.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <limits>
#include <sstream>

namespace simmgr {

namespace {

std::string Short(double v, int digits) {
  std::ostringstream s;
  s << std::setprecision(digits) << v;
  return s.str();
}

std::string Duration(double seconds) {
  std::ostringstream s;
  if (seconds < 60)
    s << static_cast<long long>(std::ceil(seconds)) << " s";
  else if (seconds < 3600)
    s << std::fixed << std::setprecision(1) << seconds / 60 << " min";
  else
    s << std::fixed << std::setprecision(1) << seconds / 3600 << " h";
  return s.str();
}

}  // namespace

ProgressEstimate EstimateProgress(const std::map<int, VariableResult>& variables, const Options& o,
                                  double elapsed) {
  ProgressEstimate e;
  const double inf = std::numeric_limits<double>::infinity();
  double forPrecision = 0.0, forMaxObs = 0.0;
  bool any = false;
  std::string testsFailing;
  for (const auto& kv : variables) {
    const VariableResult& v = kv.second;
    if (v.nonFinite > 0) continue;  // flagged: it cannot become precise and holds nothing back
    any = true;
    const double n = static_cast<double>(v.stats.Count());
    const double r = VariableInterval(v, o).relative;
    if (n >= 2 && std::isfinite(r) && (!e.worstKnown || r > e.worst)) {
      e.worstKnown = true;
      e.worst = r;
      e.worstName = v.name;
    }
    if (n < 2) {
      e.unknownWhy = "fewer than 2 observations";
      continue;
    }
    if (!std::isfinite(r)) {
      if (e.unknownWhy.empty()) e.unknownWhy = v.steadyState ? "too few batches" : "no interval yet";
      continue;
    }
    if (v.steadyState && !(v.batch.enoughBatches && v.batch.independent && v.batch.normal)) {
      e.atLeast = true;
      testsFailing = v.name;
    }
    const double rate = elapsed > 0 ? n / elapsed : 0.0;
    // The half-width falls as 1/sqrt(n): r (n / m)^(1/2) <= precision once m >= n (r / precision)^2.
    double needed =
        r <= o.precision ? n : (o.precision > 0 ? n * (r / o.precision) * (r / o.precision) : inf);
    needed = std::max(needed, static_cast<double>(o.minObs));
    forPrecision = std::max(forPrecision, rate > 0 ? (needed - n) / rate : inf);
    if (o.maxObs > 0)
      forMaxObs = std::max(forMaxObs, rate > 0 ? (static_cast<double>(o.maxObs) - n) / rate : inf);
  }
  if (!any) {
    e.unknownWhy = variables.empty() ? "no observations yet" : "every variable is flagged";
    return e;
  }
  if (!e.unknownWhy.empty()) return e;
  double left = forPrecision;
  if (o.maxObs > 0) left = std::min(left, forMaxObs);
  if (o.timeLimit > 0) left = std::min(left, o.timeLimit - elapsed);
  if (!std::isfinite(left)) {
    e.unknownWhy = "the precision is never reached and no limit is set";
    return e;
  }
  if (left <= 0 && e.atLeast) {
    // Precise enough already, but its batches fail a test: longer batches are needed, and how
    // many the 1/sqrt(n) rule cannot say.
    e.unknownWhy = "the batches of " + testsFailing + " still fail a test";
    return e;
  }
  e.timeKnown = true;
  e.secondsLeft = std::max(0.0, left);
  return e;
}

std::string ProgressText(const ProgressEstimate& e, const Options& o) {
  std::string text = "worst rel.hw ";
  text += e.worstKnown ? Short(e.worst, 3) + " (" + e.worstName + ")" : std::string("-");
  text += " of " + Short(o.precision, 6) + ", ";
  if (!e.timeKnown) return text + "time left not known yet: " + e.unknownWhy;
  if (!e.atLeast && e.secondsLeft < 1.0) return text + "less than 1 s left";
  return text + (e.atLeast ? "at least about " : "about ") + Duration(e.secondsLeft) + " left";
}

}  // namespace simmgr

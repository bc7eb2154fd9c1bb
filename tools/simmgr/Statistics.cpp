#include "Statistics.h"

#include <cmath>

#include "StudentInterval.h"

namespace simmgr {

void RunningStats::Add(double x) {
  ++_n;
  const double delta = x - _mean;
  _mean += delta / static_cast<double>(_n);
  _m2 += delta * (x - _mean);
}

void RunningStats::Merge(const RunningStats& other) {
  if (other._n == 0) return;
  if (_n == 0) {
    *this = other;
    return;
  }
  const double n1 = static_cast<double>(_n), n2 = static_cast<double>(other._n);
  const double delta = other._mean - _mean;
  const double n = n1 + n2;
  _mean += delta * n2 / n;
  _m2 += other._m2 + delta * delta * n1 * n2 / n;
  _n += other._n;
}

double RunningStats::Variance() const {
  if (_n < 2) return 0.0;
  const double v = _m2 / static_cast<double>(_n - 1);
  return v < 0.0 ? 0.0 : v;
}

double StudentQuantile(double confidence, uint64_t degreesOfFreedom) {
  return stats::StudentQuantile(confidence, degreesOfFreedom);
}

Interval ConfidenceInterval(const RunningStats& s, double confidence) {
  Interval iv;
  iv.mean = s.Mean();
  const stats::HalfWidth h = stats::StudentHalfWidth(iv.mean, s.Variance(), s.Count(), confidence);
  iv.halfWidth = h.halfWidth;
  iv.relative = h.relative;
  iv.low = iv.mean - iv.halfWidth;
  iv.high = iv.mean + iv.halfWidth;
  return iv;
}

}  // namespace simmgr

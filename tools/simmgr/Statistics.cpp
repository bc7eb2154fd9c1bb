#include "Statistics.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

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
  boost::math::students_t dist(static_cast<double>(degreesOfFreedom));
  return boost::math::quantile(dist, (1.0 + confidence) / 2.0);
}

Interval ConfidenceInterval(const RunningStats& s, double confidence) {
  Interval iv;
  iv.mean = s.Mean();
  const double inf = std::numeric_limits<double>::infinity();
  if (s.Count() < 2) {
    iv.halfWidth = inf;
  } else {
    const double var = s.Variance();
    iv.halfWidth = var == 0.0 ? 0.0
                              : StudentQuantile(confidence, s.Count() - 1) *
                                    std::sqrt(var / static_cast<double>(s.Count()));
  }
  iv.low = iv.mean - iv.halfWidth;
  iv.high = iv.mean + iv.halfWidth;
  if (iv.halfWidth == 0.0)
    iv.relative = 0.0;
  else if (iv.mean == 0.0)
    iv.relative = inf;
  else
    iv.relative = iv.halfWidth / std::fabs(iv.mean);
  return iv;
}

}  // namespace simmgr

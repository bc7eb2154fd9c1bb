#include "StudentInterval.h"

#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <limits>

namespace simmgr {
namespace stats {

double StudentQuantile(double confidence, uint64_t degreesOfFreedom) {
  const boost::math::students_t dist(static_cast<double>(degreesOfFreedom));
  return boost::math::quantile(dist, (1.0 + confidence) / 2.0);
}

HalfWidth StudentHalfWidth(double mean, double variance, uint64_t n, double confidence) {
  const double inf = std::numeric_limits<double>::infinity();
  HalfWidth h;
  if (n < 2)
    h.halfWidth = inf;
  else if (variance > 0.0)
    h.halfWidth = StudentQuantile(confidence, n - 1) * std::sqrt(variance / static_cast<double>(n));
  if (h.halfWidth == 0.0)
    h.relative = 0.0;
  else if (mean == 0.0)
    h.relative = inf;
  else
    h.relative = h.halfWidth / std::fabs(mean);
  return h;
}

}  // namespace stats
}  // namespace simmgr

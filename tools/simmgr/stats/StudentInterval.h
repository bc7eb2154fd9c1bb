// The Student-t half-width of a confidence interval around a sample mean, and that width
// relative to the mean: the one formula both the manager's plain intervals and its batch-means
// intervals use.
#ifndef KAVRIN_SIMMGR_STATS_STUDENTINTERVAL_H
#define KAVRIN_SIMMGR_STATS_STUDENTINTERVAL_H

#include <cstdint>

namespace simmgr {
namespace stats {

// Student-t quantile at (1 + confidence) / 2 with the given degrees of freedom.
double StudentQuantile(double confidence, uint64_t degreesOfFreedom);

struct HalfWidth {
  double halfWidth = 0.0;  // +inf with fewer than two values, 0 when the variance is 0
  double relative = 0.0;   // halfWidth / |mean|; 0 when the width is 0, +inf when only the mean is 0
};

// Over n values with this mean and sample variance: t(n - 1) * sqrt(variance / n).
HalfWidth StudentHalfWidth(double mean, double variance, uint64_t n, double confidence);

}  // namespace stats
}  // namespace simmgr

#endif

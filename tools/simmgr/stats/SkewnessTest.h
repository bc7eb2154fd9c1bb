// Test of normality, through their skewness, for batch means that come from several
// independent sequences of the same process. A t interval on few batch means of a skewed
// output (a heavily loaded queue) is too narrow exactly when the mean is low, so batches are
// merged until their means no longer look skewed.
//
// The statistic is the sample skewness g1 = m3 / m2^(3/2) about the grand mean; for n
// independent normal values Var[g1] = 6 (n - 2) / ((n + 1)(n + 3)), and normality is
// rejected at level alpha when |g1| / sd[g1] exceeds the normal quantile at 1 - alpha / 2.
#ifndef KAVRIN_SIMMGR_STATS_SKEWNESSTEST_H
#define KAVRIN_SIMMGR_STATS_SKEWNESSTEST_H

#include <cstddef>
#include <vector>

namespace simmgr {
namespace stats {

struct NormalityTest {
  size_t values = 0;
  double skewness = 0.0;  // g1
  double sd = 0.0;
  double z = 0.0;
  bool rejected = false;
};

// Fewer than three values, or all equal, cannot be tested: not rejected.
NormalityTest TestSkewness(const std::vector<std::vector<double>>& sequences, double alpha);

}  // namespace stats
}  // namespace simmgr

#endif

// A percentile of a sample and its distribution-free confidence interval from two order
// statistics: for the p-quantile xi of any distribution, the number of values at most xi is
// binomial (n, p) when the distribution is continuous, so ranks chosen from the binomial
// distribution give an interval [x_(l), x_(u)] that holds xi with at least the wanted probability
// (exactly the binomial probability for a continuous distribution, at least it otherwise).
#ifndef KAVRIN_SIMMGR_STATS_PERCENTILEINTERVAL_H
#define KAVRIN_SIMMGR_STATS_PERCENTILEINTERVAL_H

#include <cstdint>
#include <vector>

namespace simmgr {
namespace stats {

struct PercentileInterval {
  double p = 0.5;
  double value = 0.0;  // linear interpolation between order statistics ((n - 1) p from the smallest)
  // The bounds x_(lowRank) and x_(highRank) (ranks from 1); -inf / +inf with rank 0 / n + 1 when
  // the sample is too small for the bound at this confidence.
  double low = 0.0;
  double high = 0.0;
  uint64_t lowRank = 0;
  uint64_t highRank = 0;
  // The binomial probability P(lowRank <= B < highRank), B ~ binomial(n, p): the interval's
  // coverage for a continuous distribution, a lower bound for any other.
  double coverage = 0.0;
};

// `sorted`: the finite values in ascending order (at least one). `confidence` in (0, 1): each
// bound misses on its side with probability at most (1 - confidence) / 2.
PercentileInterval EstimatePercentile(const std::vector<double>& sorted, double p, double confidence);

// The binomial distribution function P(B <= k), B ~ binomial(n, p); 0 for k < 0, 1 for k >= n.
double BinomialCdf(int64_t k, uint64_t n, double p);

}  // namespace stats
}  // namespace simmgr

#endif

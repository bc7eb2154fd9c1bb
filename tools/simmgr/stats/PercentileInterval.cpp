#include "PercentileInterval.h"

#include <boost/math/distributions/binomial.hpp>
#include <cmath>
#include <limits>

namespace simmgr {
namespace stats {

double BinomialCdf(int64_t k, uint64_t n, double p) {
  if (k < 0) return 0.0;
  if (static_cast<uint64_t>(k) >= n) return 1.0;
  if (p <= 0.0) return 1.0;
  if (p >= 1.0) return 0.0;
  const boost::math::binomial_distribution<double> b(static_cast<double>(n), p);
  return boost::math::cdf(b, static_cast<double>(k));
}

namespace {

// The largest k in [-1, n] with P(B <= k) <= tail (-1 when even P(B <= 0) is larger).
int64_t LastAtMost(uint64_t n, double p, double tail) {
  int64_t lo = -1, hi = static_cast<int64_t>(n);  // cdf(lo) <= tail holds; find the last such k
  if (BinomialCdf(hi, n, p) <= tail) return hi;
  while (hi - lo > 1) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (BinomialCdf(mid, n, p) <= tail)
      lo = mid;
    else
      hi = mid;
  }
  return lo;
}

// The smallest k in [0, n] with P(B <= k) >= level.
int64_t FirstAtLeast(uint64_t n, double p, double level) {
  int64_t lo = -1, hi = static_cast<int64_t>(n);  // cdf(hi) = 1 >= level
  while (hi - lo > 1) {
    const int64_t mid = lo + (hi - lo) / 2;
    if (BinomialCdf(mid, n, p) >= level)
      hi = mid;
    else
      lo = mid;
  }
  return hi;
}

}  // namespace

PercentileInterval EstimatePercentile(const std::vector<double>& sorted, double p, double confidence) {
  PercentileInterval r;
  r.p = p;
  const uint64_t n = sorted.size();
  if (n == 0) {
    r.value = r.low = r.high = std::numeric_limits<double>::quiet_NaN();
    return r;
  }
  const double h = static_cast<double>(n - 1) * p;
  const size_t below = static_cast<size_t>(std::floor(h));
  const size_t above = below + 1 < n ? below + 1 : below;
  r.value = sorted[below] + (h - static_cast<double>(below)) * (sorted[above] - sorted[below]);

  // x_(l) <= xi exactly when at least l values are at most xi: P = 1 - F(l - 1). x_(u) > xi when
  // at most u - 1 are: P = F(u - 1). Each bound may miss with probability at most alpha / 2.
  const double tail = (1.0 - confidence) / 2.0;
  const int64_t lowRank = LastAtMost(n, p, tail) + 1;           // F(l - 1) <= alpha / 2
  const int64_t highRank = FirstAtLeast(n, p, 1.0 - tail) + 1;  // F(u - 1) >= 1 - alpha / 2
  const double inf = std::numeric_limits<double>::infinity();
  r.lowRank = static_cast<uint64_t>(lowRank);
  r.highRank = static_cast<uint64_t>(highRank);
  r.low = lowRank >= 1 ? sorted[static_cast<size_t>(lowRank - 1)] : -inf;
  r.high = static_cast<uint64_t>(highRank) <= n ? sorted[static_cast<size_t>(highRank - 1)] : inf;
  r.coverage = BinomialCdf(highRank - 1, n, p) - BinomialCdf(lowRank - 1, n, p);
  return r;
}

}  // namespace stats
}  // namespace simmgr

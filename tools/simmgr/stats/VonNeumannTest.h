// Test of independence against positive lag-1 autocorrelation for batch means that come
// from several independent sequences (one per simulator), all of the same process.
//
// The statistic is the von Neumann ratio r = D / Q: D sums the squared differences of
// consecutive batch means within each sequence, Q the squared deviations of all batch means
// from their grand mean. For independent normal batch means r does not depend on Q, which
// gives its exact first two moments; with N batch means in P sequences of n_i >= 1 each:
//   E[r]   = 2 (N - P') / (N - 1)                       (P' sequences with at least one pair)
//   E[r^2] = 4 (sum over those of (3 n_i - 4) + (N - P')^2) / ((N - 1)(N + 1))
// (one sequence: E[r] = 2, Var[r] = 4 (n - 2) / (n^2 - 1), von Neumann's result). Positive
// autocorrelation makes r small; independence is rejected at level alpha when
// z = (r - E[r]) / sd[r] is below the normal quantile at alpha (one-sided).
#ifndef KAVRIN_SIMMGR_STATS_VONNEUMANNTEST_H
#define KAVRIN_SIMMGR_STATS_VONNEUMANNTEST_H

#include <cstddef>
#include <vector>

namespace simmgr {
namespace stats {

struct IndependenceTest {
  size_t batches = 0;  // N
  double ratio = 0.0;  // r
  double expected = 0.0;
  double sd = 0.0;
  double z = 0.0;
  double lag1 = 0.0;  // pooled lag-1 autocorrelation about the grand mean
  bool rejected = false;
  bool constant = false;  // every batch mean equal: nothing to test, not rejected
};

// Fewer than three batch means, or no consecutive pair, cannot be tested: not rejected,
// with batches set so the caller can tell.
IndependenceTest TestIndependence(const std::vector<std::vector<double>>& sequences, double alpha);

// The lower alpha quantile of the standard normal distribution.
double NormalQuantile(double p);

}  // namespace stats
}  // namespace simmgr

#endif

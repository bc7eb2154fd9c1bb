#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "Histogram.h"
#include "PercentileInterval.h"

using namespace simmgr::stats;

namespace {

// P(B <= k), B ~ binomial(n, p), summed term by term: a second method beside the library's.
double BinomialByHand(int k, int n, double p) {
  double sum = 0.0, term = std::pow(1.0 - p, n);  // P(B = 0)
  for (int j = 0; j <= k; ++j) {
    sum += term;
    term *= static_cast<double>(n - j) / static_cast<double>(j + 1) * p / (1.0 - p);
  }
  return sum;
}

std::vector<double> OneTo(int n) {
  std::vector<double> v;
  for (int i = 1; i <= n; ++i) v.push_back(i);
  return v;
}

}  // namespace

TEST(PercentileInterval, RanksOfTheClassicalTablesAndTheirCoverage) {
  // n = 30: the 95% interval of the median runs from the 10th to the 21st value (distribution-free
  // tables), with coverage 1 - 2 P(B <= 9), B ~ binomial(30, 1/2).
  const std::vector<double> x = OneTo(30);
  const PercentileInterval median = EstimatePercentile(x, 0.5, 0.95);
  EXPECT_EQ(median.lowRank, 10u);
  EXPECT_EQ(median.highRank, 21u);
  EXPECT_EQ(median.low, 10.0);
  EXPECT_EQ(median.high, 21.0);
  EXPECT_DOUBLE_EQ(median.value, 15.5);  // halfway between the 15th and 16th
  EXPECT_NEAR(median.coverage, 1.0 - 2.0 * BinomialByHand(9, 30, 0.5), 1e-12);
  EXPECT_NEAR(median.coverage, 0.957226, 1e-6);

  // The 5th percentile of 30: 0.95^30 = 0.2146 > 0.025, so no value is low enough for a lower
  // bound; the upper bound is the 5th value, P(B <= 4) = 0.9844 being the first above 0.975.
  const PercentileInterval low = EstimatePercentile(x, 0.05, 0.95);
  EXPECT_EQ(low.lowRank, 0u);
  EXPECT_EQ(low.low, -std::numeric_limits<double>::infinity());
  EXPECT_EQ(low.highRank, 5u);
  EXPECT_EQ(low.high, 5.0);
  EXPECT_DOUBLE_EQ(low.value, 1.0 + 29 * 0.05);
  EXPECT_NEAR(low.coverage, BinomialByHand(4, 30, 0.05), 1e-12);
  EXPECT_LT(BinomialByHand(3, 30, 0.05), 0.975);

  // The 95th mirrors it: the 26th value and no upper bound.
  const PercentileInterval high = EstimatePercentile(x, 0.95, 0.95);
  EXPECT_EQ(high.lowRank, 26u);
  EXPECT_EQ(high.highRank, 31u);
  EXPECT_EQ(high.high, std::numeric_limits<double>::infinity());

  // One value: the estimate is that value, both bounds open.
  const PercentileInterval one = EstimatePercentile({7.0}, 0.5, 0.95);
  EXPECT_EQ(one.value, 7.0);
  EXPECT_TRUE(std::isinf(one.low) && std::isinf(one.high));
  EXPECT_DOUBLE_EQ(one.coverage, 1.0);
}

TEST(PercentileInterval, LargeSamplesAgreeWithTheNormalApproximation) {
  // n = 100,000, p = 0.95: the ranks lie about 1.96 sqrt(n p (1 - p)) = 135 either side of n p.
  const std::vector<double> x = OneTo(100000);
  const PercentileInterval q = EstimatePercentile(x, 0.95, 0.95);
  const double centre = 95000, spread = 1.959964 * std::sqrt(100000 * 0.95 * 0.05);
  EXPECT_NEAR(static_cast<double>(q.lowRank), centre - spread, 3.0);
  EXPECT_NEAR(static_cast<double>(q.highRank), centre + spread, 3.0);
  EXPECT_GE(q.coverage, 0.95);
  EXPECT_LT(q.coverage, 0.952);
  EXPECT_NEAR(BinomialCdf(95000, 100000, 0.95), 0.5 + 0.5 * std::erf(0.5 / std::sqrt(2 * 4750.0)), 2e-3);
}

TEST(PercentileInterval, CoverageOfAContinuousDistributionIsTheBinomialProbability) {
  // Exponential samples of 40 (fixed seed, inverse transform of the 53 high bits): the interval
  // holds the true quantile -ln(1 - p) exactly as often as its coverage says, within sampling error.
  std::mt19937_64 engine(20261209);
  const int trials = 4000, n = 40;
  for (double p : {0.05, 0.5, 0.95}) {
    const double truth = -std::log(1.0 - p);
    int held = 0;
    double coverage = 0.0;
    for (int t = 0; t < trials; ++t) {
      std::vector<double> x;
      for (int i = 0; i < n; ++i) x.push_back(-std::log(1.0 - static_cast<double>(engine() >> 11) * 0x1p-53));
      std::sort(x.begin(), x.end());
      const PercentileInterval q = EstimatePercentile(x, p, 0.95);
      coverage = q.coverage;
      if (q.low <= truth && truth <= q.high) ++held;
    }
    EXPECT_GE(coverage, 0.95);
    const double sigma = std::sqrt(coverage * (1 - coverage) / trials);
    EXPECT_NEAR(static_cast<double>(held) / trials, coverage, 3.5 * sigma) << "p = " << p;
  }
}

TEST(Histogram, IntegerCountsGetOneBinEachOtherwiseEqualWidths) {
  // Counts 2, 3, 3, 5: one bin per integer from 2 to 5, centred on it.
  const Histogram counts = MakeHistogram({2, 3, 3, 5});
  EXPECT_EQ(counts.edges, (std::vector<double>{1.5, 2.5, 3.5, 4.5, 5.5}));
  EXPECT_EQ(counts.counts, (std::vector<uint64_t>{1, 2, 0, 1}));

  // Eight real values: the Rice rule's 2 * 8^(1/3) = 4 bins over [0, 2]; the maximum goes into
  // the last bin.
  const Histogram real = MakeHistogram({0.0, 0.1, 0.4, 0.6, 1.0, 1.2, 1.9, 2.0});
  EXPECT_EQ(real.edges, (std::vector<double>{0.0, 0.5, 1.0, 1.5, 2.0}));
  EXPECT_EQ(real.counts, (std::vector<uint64_t>{3, 1, 2, 2}));

  // One value repeated: one bin of width 1 around it; integers too far apart: equal widths.
  const Histogram constant = MakeHistogram({4, 4, 4});
  EXPECT_EQ(constant.edges, (std::vector<double>{3.5, 4.5}));
  EXPECT_EQ(constant.counts, (std::vector<uint64_t>{3}));
  const Histogram wide = MakeHistogram({0, 1000});
  EXPECT_EQ(wide.counts.size(), 3u);  // ceil(2 * 2^(1/3)) = 3
  EXPECT_EQ(wide.counts.front() + wide.counts.back(), 2u);
  EXPECT_TRUE(MakeHistogram({}).counts.empty());
}

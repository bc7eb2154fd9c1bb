#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "Statistics.h"

using namespace simmgr;

TEST(Statistics, MeanVarianceAndIntervalMatchTheTextbook) {
  // 2, 4, 4, 4, 5, 5, 7, 9: mean 5, sum of squared deviations 32, sample variance 32/7.
  RunningStats s;
  for (double x : {2, 4, 4, 4, 5, 5, 7, 9}) s.Add(x);
  EXPECT_EQ(s.Count(), 8u);
  EXPECT_DOUBLE_EQ(s.Mean(), 5.0);
  EXPECT_DOUBLE_EQ(s.Variance(), 32.0 / 7.0);
  // t(0.975, 7) = 2.364624251592785.
  EXPECT_NEAR(StudentQuantile(0.95, 7), 2.364624251592785, 1e-12);
  const Interval iv = ConfidenceInterval(s, 0.95);
  const double hw = 2.364624251592785 * std::sqrt(32.0 / 7.0 / 8.0);
  EXPECT_NEAR(iv.halfWidth, hw, 1e-12);
  EXPECT_NEAR(iv.low, 5.0 - hw, 1e-12);
  EXPECT_NEAR(iv.relative, hw / 5.0, 1e-12);
}

TEST(Statistics, DegenerateSamples) {
  RunningStats one;
  one.Add(3.0);
  EXPECT_TRUE(std::isinf(ConfidenceInterval(one, 0.95).halfWidth));
  EXPECT_TRUE(std::isinf(ConfidenceInterval(one, 0.95).relative));

  RunningStats constant;  // the carried study's answer: every replication gives 4
  for (int i = 0; i < 1000; ++i) constant.Add(4.0);
  const Interval iv = ConfidenceInterval(constant, 0.95);
  EXPECT_EQ(iv.mean, 4.0);
  EXPECT_EQ(iv.halfWidth, 0.0);
  EXPECT_EQ(iv.relative, 0.0);

  RunningStats zeroMean;
  for (double x : {-1.0, 1.0}) zeroMean.Add(x);
  EXPECT_TRUE(std::isinf(ConfidenceInterval(zeroMean, 0.95).relative));
}

TEST(Statistics, StableForLargeOffsetsAndMergeEqualsOnePass) {
  // Values 1e9 + {1, 2, 3}: the naive sum of squares loses the variance 1 entirely.
  RunningStats big;
  for (double x : {1e9 + 1, 1e9 + 2, 1e9 + 3}) big.Add(x);
  EXPECT_DOUBLE_EQ(big.Variance(), 1.0);

  std::mt19937_64 rng(7);
  std::normal_distribution<double> nd(3.0, 2.0);
  RunningStats all, a, b;
  for (int i = 0; i < 1000; ++i) {
    const double x = nd(rng);
    all.Add(x);
    (i % 3 ? a : b).Add(x);
  }
  a.Merge(b);
  EXPECT_EQ(a.Count(), all.Count());
  EXPECT_NEAR(a.Mean(), all.Mean(), 1e-12);
  EXPECT_NEAR(a.Variance(), all.Variance(), 1e-10);
}

TEST(Statistics, IntervalCoversTheMeanAsOftenAsTheConfidenceSays) {
  // 4000 samples of 10 normal values: the 95% interval should miss about 200 times
  // (binomial standard deviation about 14).
  std::mt19937_64 rng(12345);
  std::normal_distribution<double> nd(10.0, 3.0);
  int covered = 0;
  const int reps = 4000;
  for (int r = 0; r < reps; ++r) {
    RunningStats s;
    for (int i = 0; i < 10; ++i) s.Add(nd(rng));
    const Interval iv = ConfidenceInterval(s, 0.95);
    if (iv.low <= 10.0 && 10.0 <= iv.high) ++covered;
  }
  EXPECT_NEAR(static_cast<double>(covered) / reps, 0.95, 0.012);
}

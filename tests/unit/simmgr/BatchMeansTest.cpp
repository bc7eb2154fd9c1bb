// The steady-state statistics against values worked out by hand, against the known
// distribution of the test statistics under independence (checked by simulation), and
// against AR(1) sequences, whose autocorrelation is known in closed form.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "BatchMeansAnalysis.h"
#include "Mser.h"
#include "SkewnessTest.h"
#include "VonNeumannTest.h"

using namespace simmgr::stats;

namespace {

// Standard normals by Box-Muller from a generator whose output the standard fixes.
class Normal {
 public:
  explicit Normal(uint64_t seed) : _g(seed) {}
  double operator()() {
    if (_have) {
      _have = false;
      return _spare;
    }
    const double u1 = (static_cast<double>(_g() >> 11) + 1.0) / 9007199254740993.0;
    const double u2 = static_cast<double>(_g() >> 11) / 9007199254740992.0;
    const double r = std::sqrt(-2.0 * std::log(u1));
    _spare = r * std::sin(2.0 * M_PI * u2);
    _have = true;
    return r * std::cos(2.0 * M_PI * u2);
  }

 private:
  std::mt19937_64 _g;
  bool _have = false;
  double _spare = 0.0;
};

// x_t = phi x_{t-1} + e_t with unit innovations, started at x0.
std::vector<double> Ar1(Normal& z, double phi, size_t n, double x0) {
  std::vector<double> x(n);
  double v = x0;
  for (size_t t = 0; t < n; ++t) x[t] = v = phi * v + z();
  return x;
}

// Lag-1 autocorrelation of means of k consecutive values of a stationary AR(1):
// phi (1 - phi^k)^2 / (k (1 - phi^2) - 2 phi (1 - phi^k)); phi itself for k = 1.
double Ar1MergedLag1(double phi, double k) {
  const double pk = std::pow(phi, k);
  return phi * (1 - pk) * (1 - pk) / (k * (1 - phi * phi) - 2 * phi * (1 - pk));
}

}  // namespace

TEST(Mser, HandComputedTruncationPoints) {
  // 5 3 1 2 1 2 1 2, groups of one. MSER(d) = SS of the last 8-d values / (8-d)^2:
  // d=0: 12.875/64 = 0.201, d=1: 3.4286/49 = 0.070, d=2: 1.5/36 = 0.0417,
  // d=3: 1.2/25 = 0.048, d=4: 1/16 = 0.0625 (the search stops at half): delete 2.
  const std::vector<double> x{5, 3, 1, 2, 1, 2, 1, 2};
  MserTruncation t = Mser(x.data(), x.size(), 1);
  EXPECT_EQ(t.deleted, 2u);
  EXPECT_NEAR(t.statistic, 1.5 / 36.0, 1e-12);

  // The same group means, each spread over five values: MSER-5 deletes two groups of five.
  std::vector<double> y;
  for (double v : x)
    for (double off : {-1.0, 1.0, 0.0, -0.5, 0.5}) y.push_back(v + off);
  y.push_back(100.0);  // an incomplete last group does not count
  t = Mser(y.data(), y.size());
  EXPECT_EQ(t.deleted, 10u);
  EXPECT_NEAR(t.statistic, 1.5 / 36.0, 1e-12);

  // 1 2 1 2 1 2 1 2: d=0 gives 2/64 = 0.03125, every later d more: nothing is deleted.
  const std::vector<double> flat{1, 2, 1, 2, 1, 2, 1, 2};
  EXPECT_EQ(Mser(flat.data(), flat.size(), 1).deleted, 0u);
  // Three groups are too few to judge.
  EXPECT_EQ(Mser(x.data(), 3, 1).deleted, 0u);
}

TEST(Mser, RemovesTheTransientOfAnAr1StartedFarFromItsMean) {
  // x0 = 50, phi = 0.8: the mean decays as 50 * 0.8^t, below one stationary standard
  // deviation (1.67) after about 15 steps and below a tenth of it after about 25.
  Normal z(7);
  size_t total = 0;
  for (int rep = 0; rep < 20; ++rep) {
    const std::vector<double> x = Ar1(z, 0.8, 2000, 50.0);
    const size_t d = Mser(x.data(), x.size()).deleted;
    EXPECT_GE(d, 10u);
    EXPECT_LE(d, 200u);
    total += d;
  }
  EXPECT_LE(total / 20, 60u);
}

TEST(VonNeumann, HandComputedStatistics) {
  // 1..5: differences all 1, D = 4, Q = 10, r = 0.4; E = 2, Var = 4 * 3 / 24 = 0.5,
  // z = -1.6 / sqrt(0.5) = -2.2627; lag-1 = (2 + 0 + 0 + 2) / 10 = 0.4.
  IndependenceTest t = TestIndependence({{1, 2, 3, 4, 5}}, 0.05);
  EXPECT_DOUBLE_EQ(t.ratio, 0.4);
  EXPECT_DOUBLE_EQ(t.expected, 2.0);
  EXPECT_NEAR(t.sd, std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(t.z, -1.6 / std::sqrt(0.5), 1e-12);
  EXPECT_NEAR(t.lag1, 0.4, 1e-12);
  EXPECT_TRUE(t.rejected);  // below -1.645

  // {1, 3} and {2, 4}: grand mean 2.5, Q = 5, D = 4 + 4 = 8, r = 1.6. N = 4, P = 2:
  // E = 2 * 2 / 3, E[r^2] = 4 * ((2 + 2) + 4) / 15 = 32/15, Var = 32/15 - 16/9 = 16/45.
  // Lag-1 pairs about the grand mean: (-1.5)(0.5) + (-0.5)(1.5) = -1.5, over 5.
  t = TestIndependence({{1, 3}, {2, 4}}, 0.1);
  EXPECT_DOUBLE_EQ(t.ratio, 1.6);
  EXPECT_NEAR(t.expected, 4.0 / 3.0, 1e-12);
  EXPECT_NEAR(t.sd, std::sqrt(16.0 / 45.0), 1e-12);
  EXPECT_NEAR(t.lag1, -0.3, 1e-12);
  EXPECT_FALSE(t.rejected);

  // Nothing to test: too few values, no pair, or no variation.
  EXPECT_FALSE(TestIndependence({{1, 2}}, 0.1).rejected);
  EXPECT_FALSE(TestIndependence({{1}, {2}, {3}}, 0.1).rejected);
  EXPECT_TRUE(TestIndependence({{4, 4, 4, 4}}, 0.1).constant);
}

TEST(VonNeumann, PooledMomentsAndLevelHoldForIndependentNormals) {
  // Sequences of unequal lengths, as simulators of different speeds give.
  const std::vector<size_t> lengths{5, 8, 12, 20};
  Normal z(11);
  const int reps = 20000;
  double sum = 0, sum2 = 0, expected = 0, sd = 0;
  int rejected = 0;
  for (int r = 0; r < reps; ++r) {
    std::vector<std::vector<double>> seqs;
    for (size_t n : lengths) {
      seqs.emplace_back();
      for (size_t i = 0; i < n; ++i) seqs.back().push_back(3.0 + 2.0 * z());
    }
    const IndependenceTest t = TestIndependence(seqs, 0.1);
    sum += t.ratio;
    sum2 += t.ratio * t.ratio;
    expected = t.expected;
    sd = t.sd;
    rejected += t.rejected;
  }
  const double mean = sum / reps, var = sum2 / reps - mean * mean;
  EXPECT_NEAR(mean, expected, 4 * sd / std::sqrt(reps));
  EXPECT_NEAR(var, sd * sd, 0.05 * sd * sd);
  // 45 values: the normal approximation is close; the binomial sd of the rate is 0.002.
  EXPECT_NEAR(rejected / double(reps), 0.1, 0.015);
}

TEST(VonNeumann, DetectsTheKnownAutocorrelationOfAnAr1) {
  Normal z(5);
  std::vector<std::vector<double>> seqs;
  for (int s = 0; s < 4; ++s) seqs.push_back(Ar1(z, 0.5, 2500, 0.0));
  const IndependenceTest t = TestIndependence(seqs, 0.1);
  EXPECT_NEAR(t.lag1, 0.5, 3 * std::sqrt((1 - 0.25) / 10000.0));
  EXPECT_TRUE(t.rejected);
  EXPECT_LT(t.z, -20.0);
}

TEST(Skewness, HandComputedStatisticAndLevel) {
  // 1 2 3 10: mean 4, deviations -3 -2 -1 6, m2 = 50/4 = 12.5, m3 = 180/4 = 45,
  // g1 = 45 / 12.5^1.5 = 1.01823; sd = sqrt(6 * 2 / (5 * 7)); z = 1.739.
  const NormalityTest t = TestSkewness({{1, 2}, {3, 10}}, 0.1);
  EXPECT_NEAR(t.skewness, 45.0 / std::pow(12.5, 1.5), 1e-12);
  EXPECT_NEAR(t.sd, std::sqrt(12.0 / 35.0), 1e-12);
  EXPECT_TRUE(t.rejected);                                       // above 1.645
  EXPECT_FALSE(TestSkewness({{1, 2}, {3, 10}}, 0.05).rejected);  // below 1.96

  Normal z(3);
  int rejected = 0;
  for (int r = 0; r < 4000; ++r) {
    std::vector<double> x;
    for (int i = 0; i < 300; ++i) x.push_back(z());
    rejected += TestSkewness({x}, 0.1).rejected;
  }
  EXPECT_NEAR(rejected / 4000.0, 0.1, 0.02);
}

TEST(BatchMeans, MergedBatchesAndTheirIntervalByHand) {
  EXPECT_EQ(MergeBatches({1, 2, 3, 4, 5, 6, 7}, 1, 2), (std::vector<double>{2.5, 4.5, 6.5}));
  EXPECT_TRUE(MergeBatches({1, 2}, 2, 1).empty());

  // Constant output: nothing deleted, nothing merged, a zero-width interval that passes.
  BatchMeansSettings s;
  s.minBatches = 10;
  BatchMeansResult r = AnalyseBatchMeans({std::vector<double>(30, 4.0), std::vector<double>(12, 4.0)}, s);
  EXPECT_EQ(r.observations, 42u);
  EXPECT_EQ(r.deleted, 0u);
  EXPECT_EQ(r.mergeFactor, 1u);
  EXPECT_EQ(r.batches, 42u);
  EXPECT_EQ(r.mean, 4.0);
  EXPECT_EQ(r.halfWidth, 0.0);
  EXPECT_TRUE(r.independent && r.normal && r.enoughBatches);

  // Too few batches: the interval is still given, but flagged.
  s.minBatches = 40;
  r = AnalyseBatchMeans({{1, 2, 3, 2, 1, 2, 3, 2, 1, 2}}, s);
  EXPECT_FALSE(r.enoughBatches);
  EXPECT_EQ(r.mergeFactor, 1u);
  EXPECT_EQ(r.batches, 10u);
  EXPECT_DOUBLE_EQ(r.mean, 1.9);
  // Sample variance of 1 2 3 2 1 2 3 2 1 2 is 4.9 / 9; t(0.975, 9) = 2.262157163.
  EXPECT_NEAR(r.halfWidth, 2.262157163 * std::sqrt(4.9 / 9.0 / 10.0), 1e-8);
}

TEST(BatchMeans, MergesAnAr1UntilItsMergedBatchesAreNearlyIndependent) {
  // phi = 0.9: merged lag-1 is 0.9 at k = 1, 0.755 at k = 4, 0.380 at k = 16, 0.087 at
  // k = 64, 0.019 at k = 256. Four simulators of 20,000 values each.
  const double phi = 0.9;
  Normal z(9);
  std::vector<std::vector<double>> seqs;
  for (int s = 0; s < 4; ++s) seqs.push_back(Ar1(z, phi, 20000, 0.0));
  BatchMeansSettings settings;
  settings.minBatches = 40;
  const BatchMeansResult r = AnalyseBatchMeans(seqs, settings);
  ASSERT_TRUE(r.independent) << r.mergeFactor;
  const double theory = Ar1MergedLag1(phi, static_cast<double>(r.mergeFactor));
  // The test passes only once the true lag-1 is within reach of its noise (sd about 1/sqrt(B)),
  // and the estimate agrees with theory within that noise.
  EXPECT_LT(theory, 3.5 / std::sqrt(static_cast<double>(r.batches)));
  EXPECT_NEAR(r.lag1, theory, 3.5 / std::sqrt(static_cast<double>(r.batches)));
  EXPECT_GE(r.mergeFactor, 32u);
  EXPECT_GE(r.batches, 40u);
  // Variance of the mean of n AR(1) values ~ 1 / ((1 - phi)^2 n): sd 0.0354 for 80,000.
  EXPECT_NEAR(r.mean, 0.0, 4 * 0.0354);
  EXPECT_GT(r.halfWidth, 0.5 * 1.96 * 0.0354);
  EXPECT_LT(r.halfWidth, 2.0 * 1.96 * 0.0354);
}

TEST(BatchMeans, IntervalsFromMergedAr1BatchesCoverTheMean) {
  // 200 studies of four AR(1) simulators (phi 0.8, 2,000 values each) at 90%: a binomial
  // count of covers has mean 180 and sd 4.2; raw values with t would cover far less.
  Normal z(21);
  BatchMeansSettings settings;
  settings.confidence = 0.9;
  settings.minBatches = 20;
  int covered = 0;
  for (int study = 0; study < 200; ++study) {
    std::vector<std::vector<double>> seqs;
    for (int s = 0; s < 4; ++s) seqs.push_back(Ar1(z, 0.8, 2000, 0.0));
    const BatchMeansResult r = AnalyseBatchMeans(seqs, settings);
    covered += std::fabs(r.mean) <= r.halfWidth;
  }
  EXPECT_GE(covered, 168);
  EXPECT_LE(covered, 195);
}

TEST(BatchMeans, OneTruncationPointFromTheSimulatorsAverage) {
  // Group means (groups of five) 5 3 1 2 1 2 1 2 delete two groups (see the MSER test). One
  // simulator carries that shape, the other a flat 1.5 throughout: their average has group
  // means 3.25 2.25 1.25 1.75 1.25 1.75 1.25 1.75, the same shape, so both lose ten values,
  // the flat one included. Only the first 40 values, the length both have reached, enter
  // the average; the flat simulator's last ten are still part of the estimate.
  std::vector<double> shaped;
  for (double v : {5, 3, 1, 2, 1, 2, 1, 2})
    for (double off : {-1.0, 1.0, 0.0, -0.5, 0.5}) shaped.push_back(v + off);
  std::vector<double> flat(50, 1.5);
  BatchMeansSettings s;
  s.minBatches = 10;
  const BatchMeansResult r = AnalyseBatchMeans({shaped, flat}, s);
  EXPECT_EQ(r.observations, 90u);
  EXPECT_EQ(r.deleted, 20u);
  EXPECT_EQ(Mser(shaped.data(), shaped.size()).deleted, 10u);
  EXPECT_EQ(Mser(flat.data(), flat.size()).deleted, 0u);
}

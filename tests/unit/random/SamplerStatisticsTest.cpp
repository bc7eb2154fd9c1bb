// Sample means and variances of every sampler against their closed forms, over many draws from a
// fixed-seed generator. Bounds: five standard errors for the mean, a relative band for the variance.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "Random/Distributions.h"
#include "Random/MersenneTwister.h"
#include "Random/Tausworthe.h"

namespace {

const int kDraws = 200000;

struct Moments {
  double mean;
  double variance;
};

Moments Sample(const std::function<double()>& f) {
  // Welford's update keeps the variance accurate for large means.
  double mean = 0, m2 = 0;
  for (int n = 1; n <= kDraws; n++) {
    double x = f();
    double delta = x - mean;
    mean += delta / n;
    m2 += delta * (x - mean);
  }
  return {mean, m2 / (kDraws - 1)};
}

void ExpectMoments(const std::string& name, const std::function<double()>& f, double mean, double variance,
                   double varianceBand = 0.05) {
  SCOPED_TRACE(name);
  Moments m = Sample(f);
  EXPECT_NEAR(m.mean, mean, 5 * std::sqrt(variance / kDraws));
  EXPECT_NEAR(m.variance, variance, varianceBand * variance);
}

class SamplerStatistics : public ::testing::TestWithParam<int> {
 protected:
  SamplerStatistics() {
    delete d.RNG;
    if (GetParam() == 0) {
      d.RNG = new MersenneTwister();
      d.RNG->srnd(20240601u);
    } else {
      d.RNG = new Tausworthe();
      d.RNG->srnd(987654321u);
    }
  }
  Distributions d;
};

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }
double NormalPdf(double x) { return std::exp(-x * x / 2) / std::sqrt(2 * M_PI); }

}  // namespace

TEST_P(SamplerStatistics, ContinuousSamplers) {
  ExpectMoments(
      "Exponential", [&] { return d.Exponential(2); }, 0.5, 0.25);
  ExpectMoments(
      "Erlang", [&] { return d.Erlang(3, 6); }, 6, 12);
  ExpectMoments(
      "Gamma shape 0.5", [&] { return d.Gamma(0.5, 2); }, 1, 2, 0.08);
  ExpectMoments(
      "Gamma shape 1", [&] { return d.Gamma(1, 2); }, 2, 4);
  ExpectMoments(
      "Gamma shape 3", [&] { return d.Gamma(3, 2); }, 6, 12);
  ExpectMoments(
      "Beta", [&] { return d.Beta(2, 3); }, 0.4, 0.04);
  ExpectMoments(
      "Uniform", [&] { return d.Uniform(1, 3); }, 2, 4.0 / 12);
  ExpectMoments(
      "Triangular", [&] { return d.Triangular(0, 3, 1); }, 4.0 / 3, 7.0 / 18);

  // Normal(1, 1) truncated at 0: mean 1 + lambda, variance 1 - lambda - lambda^2, with
  // lambda = pdf(-1) / (1 - cdf(-1)).
  const double lambda = NormalPdf(-1) / (1 - NormalCdf(-1));
  ExpectMoments(
      "Normal truncated", [&] { return d.Normal(1, 1); }, 1 + lambda, 1 - lambda - lambda * lambda);
  ExpectMoments(
      "Normal far from zero", [&] { return d.Normal(50, 4); }, 50, 4);

  const double s2 = 0.25;
  ExpectMoments(
      "Lognormal", [&] { return d.Lognormal(0, s2); }, std::exp(s2 / 2), (std::exp(s2) - 1) * std::exp(s2));

  const double g1 = std::tgamma(1.5), g2 = std::tgamma(2.0);
  ExpectMoments(
      "Weibull", [&] { return d.Weibull(2, 3); }, 3 * g1, 9 * (g2 - g1 * g1));
  // Shape 1 is memoryless: the remaining life is exponential with the scale as mean.
  ExpectMoments(
      "ConditionalWeibull", [&] { return d.ConditionalWeibull(1, 2, 5); }, 2, 4);
  ExpectMoments(
      "Pareto", [&] { return d.Pareto(1, 10); }, 10.0 / 9, 10.0 / (81 * 8), 0.1);

  double hyper[] = {1, 0.25, 4, 0.75};
  const double hyperMean = 0.25 / 1 + 0.75 / 4;
  const double hyperSecond = 2 * (0.25 / 1 + 0.75 / 16);
  ExpectMoments(
      "HyperExponential", [&] { return d.HyperExponential(2, hyper); }, hyperMean,
      hyperSecond - hyperMean * hyperMean);
  double hypo[] = {1, 2, 4};
  ExpectMoments(
      "HypoExponential", [&] { return d.HypoExponential(3, hypo); }, 1.75, 1.3125);
}

TEST_P(SamplerStatistics, ConditionalWeibullMatchesSurvivorsOfWeibull) {
  // Remaining life of Weibull(2, 1) survivors of age 1, from rejection of plain Weibull samples.
  double sum = 0;
  int n = 0;
  while (n < kDraws / 4) {
    double x = d.Weibull(2, 1);
    if (x > 1) {
      sum += x - 1;
      n++;
    }
  }
  Moments cond = Sample([&] { return d.ConditionalWeibull(2, 1, 1); });
  EXPECT_NEAR(cond.mean, sum / n, 5 * std::sqrt(cond.variance / n));
}

TEST_P(SamplerStatistics, DiscreteSamplers) {
  ExpectMoments(
      "Geometric", [&] { return d.Geometric(0.25); }, 3, 12);
  ExpectMoments(
      "Binomial", [&] { return d.Binomial(10, 0.3); }, 3, 2.1);
  ExpectMoments(
      "NegativeBinomial", [&] { return d.NegativeBinomial(3, 0.25); }, 9, 36);
  for (int i = 0; i < 1000; i++) {
    double b = d.Binomial(10, 0.3);
    ASSERT_EQ(b, std::floor(b));
    ASSERT_GE(b, 0);
    ASSERT_LE(b, 10);
  }
}

TEST_P(SamplerStatistics, NormalNeverNegative) {
  for (int i = 0; i < 20000; i++) ASSERT_GE(d.Normal(-2, 1), 0.0);
}

INSTANTIATE_TEST_SUITE_P(Generators, SamplerStatistics, ::testing::Values(0, 1),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return param.param == 0 ? std::string("MersenneTwister")
                                                   : std::string("Tausworthe");
                         });

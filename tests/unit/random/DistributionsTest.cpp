// Parameter checks, known answers and the exact number of uniforms each sampler consumes,
// with scripted uniforms.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "Random/Distributions.h"
#include "support/ScriptedGenerator.h"

namespace {

// A sampler whose generator is a script; the script is borrowed, never deleted by the sampler.
class Scripted : public ::testing::Test {
 protected:
  Scripted() {
    delete d.RNG;
    d.RNG = &gen;
  }
  ~Scripted() override { d.RNG = nullptr; }

  // Runs f expecting the exact invalid-parameter text; returns the draws it made.
  std::size_t ExpectInvalid(const std::function<void()>& f, const std::string& message) {
    std::size_t before = gen.draws();
    try {
      f();
      ADD_FAILURE() << "no error, expected: " << message;
    } catch (const std::string& thrown) {
      EXPECT_EQ(thrown, "INVALID_DIST_PARAMS: " + message);
    }
    return gen.draws() - before;
  }

  ScriptedGenerator gen;
  Distributions d;
};

}  // namespace

TEST_F(Scripted, ParameterErrorsInOrderWithoutDrawing) {
  struct Case {
    std::function<void()> f;
    const char* message;
  };
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<Case> cases = {
      {[&] { d.Exponential(0); }, "rate is non-positive"},
      {[&] { d.Exponential(nan); }, "rate is not a number"},
      {[&] { d.Deterministic(0); }, "value is non-positive"},
      {[&] { d.Geometric(0); }, "p is not in the range (0,1)"},
      {[&] { d.Geometric(1); }, "p is not in the range (0,1)"},
      {[&] { d.Weibull(0, 0); }, "Beta is non-positive"},
      {[&] { d.Weibull(0, 1); }, "Alpha is zero"},
      {[&] { d.ConditionalWeibull(0, -1, 1); }, "Beta is non-positive"},
      {[&] { d.ConditionalWeibull(0, 1, 1); }, "Alpha is zero"},
      {[&] { d.Normal(1, -1); }, "variance is negative"},
      {[&] { d.Normal(-1, 0); }, "mean is too far below zero for a non-negative sample"},
      {[&] { d.Normal(-12.5, 1); }, "mean is too far below zero for a non-negative sample"},
      {[&] { d.Lognormal(0, -0.5); }, "Alpha_Squared is negative"},
      {[&] { d.Erlang(0, -1); }, "m is non-positive"},
      {[&] { d.Erlang(2.5, -1); }, "m is non-integer"},
      {[&] { d.Erlang(3e9, 1); }, "m is non-integer"},
      {[&] { d.Erlang(3, 0); }, "Beta is non-positive"},
      {[&] { d.Triangular(2, 1, 5); }, "A is larger than B"},
      {[&] { d.Triangular(1, 2, 0.5); }, "C is not in the range [A,B]"},
      {[&] { d.Triangular(3, 3, 5); }, "C is not in the range [A,B]"},
      {[&] { d.Gamma(0, 0); }, "Beta is non-positive"},
      {[&] { d.Gamma(0, 1); }, "Alpha is non-positive"},
      {[&] { d.Beta(-1, 2); }, "Alpha is non-positive"},
      {[&] { d.Beta(2, 0); }, "Alpha is non-positive"},
      {[&] { d.Uniform(-1, -2); }, "LowerBound is negative"},
      {[&] { d.Uniform(2, 1); }, "LowerBound is larger than UpperBound"},
      {[&] { d.Binomial(2.5, 1.5); }, "p is not in the range [0,l]"},
      {[&] { d.Binomial(2.5, 0.5); }, "t is non-integer"},
      {[&] { d.NegativeBinomial(2.5, 1); }, "p is not in the range [0,l)"},
      {[&] { d.NegativeBinomial(2, 0); }, "p is not in the range [0,l)"},
      {[&] { d.NegativeBinomial(2.5, 0.5); }, "s is non-integer"},
      {[&] { d.HyperExponential(0, nullptr); }, "Phases is less than 1"},
      {[&] {
         double r[] = {1, 2, -1};
         d.HypoExponential(3, r);
       },
       "rate is non-positive"},
      {[&] { d.Pareto(0, 0); }, "LowerBound is non-positive"},
      {[&] { d.Pareto(1, 0); }, "Shape is non-positive"},
      // NaN and infinite parameters, each with its own text rather than an unrelated one.
      {[&] { d.Exponential(inf); }, "rate is not finite"},
      {[&] { d.Deterministic(-inf); }, "value is not finite"},
      {[&] { d.Weibull(nan, 1); }, "Alpha is not a number"},
      {[&] { d.Weibull(1, inf); }, "Beta is not finite"},
      {[&] { d.ConditionalWeibull(nan, 1, 1); }, "Alpha is not a number"},
      {[&] { d.ConditionalWeibull(1, 1, inf); }, "t is not finite"},
      {[&] { d.Normal(nan, 1); }, "mean is not a number"},
      {[&] { d.Normal(1, inf); }, "variance is not finite"},
      {[&] { d.Lognormal(nan, 1); }, "mu is not a number"},
      {[&] { d.Erlang(inf, 1); }, "m is not finite"},
      {[&] { d.Triangular(0, inf, 1); }, "B is not finite"},
      {[&] { d.Gamma(nan, 1); }, "Alpha is not a number"},
      {[&] { d.Beta(1, nan); }, "Beta is not a number"},
      {[&] { d.Uniform(0, inf); }, "UpperBound is not finite"},
      {[&] { d.Binomial(nan, 0.5); }, "t is not a number"},
      {[&] { d.NegativeBinomial(inf, 0.5); }, "s is not finite"},
      {[&] {
         double r[] = {1, inf};
         d.HypoExponential(2, r);
       },
       "rate is not finite"},
      {[&] { d.Pareto(1, inf); }, "Shape is not finite"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(ExpectInvalid(c.f, c.message), 0u);
  }
}

TEST_F(Scripted, HyperExponentialDrawsItsChoiceBeforeTestingProbabilities) {
  gen.push({0.5, 0.5});
  double zeroProb[] = {1, 1, 1, 0};  // (rate, p) pairs: p1 = 0
  EXPECT_EQ(ExpectInvalid([&] { d.HyperExponential(2, zeroProb); }, "p1 is non-positive"), 1u);
  // 0.5 >= 0.25 / 1: phase 1, whose rate is 0.
  double zeroRate[] = {1, 0.25, 0, 0.75};
  EXPECT_EQ(ExpectInvalid([&] { d.HyperExponential(2, zeroRate); }, "Rate1 is non-positive"), 1u);
  gen.push({0.5, 0.5});
  double nanProb[] = {1, 1, 1, std::nan("")};
  EXPECT_EQ(ExpectInvalid([&] { d.HyperExponential(2, nanProb); }, "p1 is not a number"), 1u);
  double infiniteRate[] = {1, 0.25, std::numeric_limits<double>::infinity(), 0.75};
  EXPECT_EQ(ExpectInvalid([&] { d.HyperExponential(2, infiniteRate); }, "Rate1 is not finite"), 1u);
}

TEST_F(Scripted, OneDrawSamplersByHand) {
  gen.push({0.5, 0.25, 0.5, 0.5, 0.5, 0.5, 0.25, 0.5});
  EXPECT_DOUBLE_EQ(d.Exponential(2), std::log(2.0) / 2);
  EXPECT_EQ(d.Geometric(0.5), 2.0);  // floor(ln 0.25 / ln 0.5)
  EXPECT_DOUBLE_EQ(d.Weibull(2, 3), 3 * std::sqrt(std::log(2.0)));
  EXPECT_DOUBLE_EQ(d.Weibull(-1, 1), 1 / std::log(2.0));               // a negative shape is accepted
  EXPECT_DOUBLE_EQ(d.ConditionalWeibull(1, 2, 5), 2 * std::log(2.0));  // memoryless
  EXPECT_DOUBLE_EQ(d.Uniform(1, 3), 2.0);
  EXPECT_DOUBLE_EQ(d.Pareto(2, 1), 8.0);  // 2 * 0.25^-1
  EXPECT_DOUBLE_EQ(d.Pareto(1, 1), 2.0);
  EXPECT_EQ(gen.draws(), 8u);
}

// The uniforms below are away from 1/2, so u and 1 - u give different samples, and the
// parameters are asymmetric (p != 1 - p, a mode off the middle). Each expected value is the
// inverse of the distribution's survival function S(x) = u (or of its CDF where stated), solved by
// hand; the other half of each comment is what the mirrored draw 1 - u would give instead.
TEST_F(Scripted, InverseTransformsTellUFromOneMinusU) {
  gen.push({0.2, 0.1, 0.2, 0.2, 0.2, 0.25, 0.04});
  // S(x) = exp(-2x) = 0.2: x = ln(5)/2, about 0.805 (1 - u: ln(1.25)/2, about 0.112).
  EXPECT_DOUBLE_EQ(d.Exponential(2), std::log(5.0) / 2);
  // Failures before a success of probability 0.2: P(X >= k) = 0.8^k, and 0.8^10 = 0.107 >= 0.1 >
  // 0.8^11 = 0.086, so X = 10 (1 - u = 0.9: 0; ln(p) for ln(1 - p): 1).
  EXPECT_EQ(d.Geometric(0.2), 10.0);
  // Shape 2, scale 3: S(x) = exp(-(x/3)^2) = 0.2, x = 3 sqrt(ln 5) (a power of 2 for 1/2: 3 ln(5)^2).
  EXPECT_DOUBLE_EQ(d.Weibull(2, 3), 3 * std::sqrt(std::log(5.0)));
  // Shape 2, scale 2, age 1: S(1 + x) / S(1) = exp(-((1 + x)/2)^2 + 1/4) = 0.2 gives
  // x = 2 sqrt(ln 5 + 1/4) - 1.
  EXPECT_DOUBLE_EQ(d.ConditionalWeibull(2, 2, 1), 2 * std::sqrt(std::log(5.0) + 0.25) - 1);
  // CDF (x - 1)/4 = 0.2: x = 1.8 (1 - u: 4.2).
  EXPECT_DOUBLE_EQ(d.Uniform(1, 5), 1.8);
  // Scale 2, shape 2: S(x) = (2/x)^2 = 0.25, x = 4 (1 - u: 2.31).
  EXPECT_DOUBLE_EQ(d.Pareto(2, 2), 4.0);
  // Scale 1, shape 1/2: S(x) = x^-0.5 = 0.04, x = 625 (shape multiplied instead of divided: 5).
  EXPECT_DOUBLE_EQ(d.Pareto(1, 0.5), 625.0);
  EXPECT_EQ(gen.draws(), 7u);
}

TEST_F(Scripted, TriangularWithTheModeOffTheMiddle) {
  // Minimum 0, maximum 4, mode 1. CDF x^2/4 below the mode, 1 - (4 - x)^2/12 above it.
  gen.push({0.16, 0.64});
  EXPECT_DOUBLE_EQ(d.Triangular(0, 4, 1), 0.8);                  // x^2/4 = 0.16
  EXPECT_DOUBLE_EQ(d.Triangular(0, 4, 1), 4 - std::sqrt(4.32));  // (4 - x)^2 = 12 * 0.36
  EXPECT_EQ(gen.draws(), 2u);
}

TEST_F(Scripted, SumsOfExponentialPhasesWithUniformsAwayFromOneHalf) {
  // Each phase of rate r inverts S(x) = exp(-r x): x = -ln(u)/r.
  double rates[] = {1, 2, 4};
  gen.push({0.2, 0.5, 0.8});
  EXPECT_DOUBLE_EQ(d.HypoExponential(3, rates), std::log(5.0) + std::log(2.0) / 2 + std::log(1.25) / 4);
  // Two phases of mean 3/2 each (rate 2/3): 1.5 (ln 5 + ln 2.5) = 1.5 ln 12.5.
  gen.push({0.2, 0.4});
  EXPECT_DOUBLE_EQ(d.Erlang(2, 3), 1.5 * std::log(12.5));
  // Shape 1, scale 3 is the exponential of mean 3: 3 ln 5.
  gen.push(0.2);
  EXPECT_DOUBLE_EQ(d.Gamma(1, 3), 3 * std::log(5.0));
  // (rate, p) pairs (1, 1/4), (4, 3/4): 0.6 >= 1/4 chooses the second phase, then ln(5)/4.
  double params[] = {1, 0.25, 4, 0.75};
  gen.push({0.6, 0.2});
  EXPECT_DOUBLE_EQ(d.HyperExponential(2, params), std::log(5.0) / 4);
  // Two geometric failure counts with p = 0.2: 0.8^10 >= 0.1 > 0.8^11 and 0.8^3 >= 0.5 > 0.8^4.
  gen.push({0.1, 0.5});
  EXPECT_EQ(d.NegativeBinomial(2, 0.2), 13.0);
  EXPECT_EQ(gen.draws(), 10u);
}

TEST_F(Scripted, GammaAboveOneAcceptsAwayFromTheMiddle) {
  // Shape 2: a1 = 1/sqrt(3), b1 = 2 - ln 4, q1 = 2 + sqrt(3), d1 = 1 + ln 4.5. U1 = 3/4 gives
  // V1 = ln(3)/sqrt(3), Y = 2 * 3^(1/sqrt(3)) (about 3.771), Z = 9/32, W = b1 + q1 V1 - Y (about
  // -0.790), and d1 + W - 4.5 Z (about 0.448) >= 0 accepts. With ln((1 - U1)/U1), Y would be
  // 2 * 3^(-1/sqrt(3)), about 1.061.
  gen.push({0.75, 0.5});
  EXPECT_DOUBLE_EQ(d.Gamma(2, 3), 3 * 2 * std::pow(3.0, 1 / std::sqrt(3.0)));
  EXPECT_EQ(gen.draws(), 2u);
}

TEST_F(Scripted, SamplersThatDoNotDraw) {
  EXPECT_EQ(d.Deterministic(2.5), 2.5);
  EXPECT_EQ(d.Triangular(3, 3, 3), 3.0);
  double none[1] = {0};
  EXPECT_EQ(d.HypoExponential(0, none), 0.0);
  EXPECT_EQ(d.Binomial(0, 0.5), 0.0);
  EXPECT_EQ(gen.draws(), 0u);
}

TEST_F(Scripted, UniformOfEqualBoundsStillDraws) {
  gen.push(0.7);
  EXPECT_EQ(d.Uniform(2, 2), 2.0);
  EXPECT_EQ(gen.draws(), 1u);
}

TEST_F(Scripted, TriangularBothBranches) {
  gen.push({0.5, 0.875});
  // r = 0.5 >= 0.5: X = sqrt(0.25) = 0.5, sample 1.
  EXPECT_DOUBLE_EQ(d.Triangular(0, 2, 1), 1.0);
  // r = 0.5 < 0.875: X = 1 - sqrt(0.5 * 0.125) = 0.75, sample 1.5.
  EXPECT_DOUBLE_EQ(d.Triangular(0, 2, 1), 1.5);
}

TEST_F(Scripted, NormalRejectsOutsideDiscZeroRadiusAndNegativeValues) {
  // (0.9, 0.9): W = 1.28 > 1; (0.5, 0.5): W = 0; (0.25, 0.5): V1 = -0.5, a negative value;
  // (0.75, 0.5): V1 = 0.5, W = 0.25, accepted.
  gen.push({0.9, 0.9, 0.5, 0.5, 0.25, 0.5, 0.75, 0.5});
  const double y = std::sqrt(-2 * std::log(0.25) / 0.25);
  EXPECT_DOUBLE_EQ(d.Normal(-1, 1), -1 + 0.5 * y);
  EXPECT_EQ(gen.draws(), 8u);
  EXPECT_EQ(d.V1, 0.5);
}

TEST_F(Scripted, NormalFarBelowZeroStillSamplesWhenReachable) {
  // V1 about 1e-14 with V2 = 0 gives a standard deviate of V1 * sqrt(-2 ln S / S) with S = V1^2,
  // that is sqrt(-4 ln V1), about 11.35: -11 + 11.35 is accepted at the first try.
  gen.push({0.500000000000005, 0.5});
  const double v1 = 2 * 0.500000000000005 - 1;
  const double s = v1 * v1;
  const double deviate = v1 * std::sqrt(-2 * std::log(s) / s);
  ASSERT_GT(deviate, 11.0);
  EXPECT_DOUBLE_EQ(d.Normal(-11, 1), -11 + deviate);
  EXPECT_EQ(gen.draws(), 2u);
}

TEST_F(Scripted, LognormalUsesOnePolarStepWithoutTruncation) {
  gen.push({0.5, 0.5, 0.25, 0.5});  // W = 0 repeats; then V1 = -0.5, W = 0.25
  const double y = std::sqrt(-2 * std::log(0.25) / 0.25);
  EXPECT_DOUBLE_EQ(d.Lognormal(1, 4), std::exp(1 + 2 * -0.5 * y));
  EXPECT_EQ(gen.draws(), 4u);
}

TEST_F(Scripted, ErlangMultipliesMUniforms) {
  gen.push({0.5, 0.25, 0.125});
  EXPECT_EQ(d.Erlang(3, 6), -(6.0 / 3) * std::log(0.5 * 0.25 * 0.125));
  EXPECT_EQ(gen.draws(), 3u);
}

TEST_F(Scripted, ErlangWithManyPhasesStaysFinite) {
  // 0.3^1000 is far below the smallest double; the sample is -(beta/m) * sum of ln u = -beta ln 0.3.
  for (int i = 0; i < 1000; i++) gen.push(0.3);
  double v = d.Erlang(1000, 2);
  EXPECT_TRUE(std::isfinite(v));
  EXPECT_NEAR(v, -2 * std::log(0.3), 1e-12);
  EXPECT_EQ(gen.draws(), 1000u);
}

TEST_F(Scripted, ConditionalWeibullLongSurvivalStaysFinite) {
  gen.push({0.5, 0.5});
  // (30/1)^2 = 900: exp(-900) underflows. Remaining life sqrt(900 - ln 0.5) - 30.
  EXPECT_NEAR(d.ConditionalWeibull(2, 1, 30), std::sqrt(900 - std::log(0.5)) - 30, 1e-12);
  // Small ages keep the direct form bit for bit.
  const double z = std::exp(-std::pow(1.0 / 2, 2));
  EXPECT_EQ(d.ConditionalWeibull(2, 2, 1), 2 * std::pow(-std::log(0.5 * z), 0.5) - 1);
}

TEST_F(Scripted, GammaShapeOneIsExponential) {
  gen.push(0.25);
  EXPECT_DOUBLE_EQ(d.Gamma(1, 3), -3 * std::log(0.25));
  EXPECT_EQ(gen.draws(), 1u);
}

TEST_F(Scripted, GammaAboveOneRejectsThenAccepts) {
  // alpha 2: U1 = 0.999 gives Y about 108 and W about -92, rejected by both tests;
  // U1 = 0.5 gives V1 = 0, Y = 2, Z = 0.125, d1 + W - 4.5 Z = 0.555 >= 0: accepted.
  gen.push({0.999, 0.9, 0.5, 0.5});
  EXPECT_EQ(d.Gamma(2, 1.5), 3.0);
  EXPECT_EQ(gen.draws(), 4u);
}

TEST_F(Scripted, GammaBelowOneBothBranches) {
  const double b = (2.718281828459045 + 0.5) / 2.718281828459045;
  // P = b/2 <= 1: Y = P^2 about 0.350; U2 = 0.9 > exp(-Y) about 0.704 rejects, 0.5 accepts.
  gen.push({0.5, 0.9, 0.5, 0.5});
  EXPECT_DOUBLE_EQ(d.Gamma(0.5, 2), std::pow(b * 0.5, 2) * 2);
  EXPECT_EQ(gen.draws(), 4u);
  // P = 0.95 b > 1: Y = -ln((b - P)/0.5) about 2.13; Y^-0.5 about 0.68 >= 0.5 accepts.
  gen.push({0.95, 0.5});
  EXPECT_DOUBLE_EQ(d.Gamma(0.5, 1), -std::log((b - b * 0.95) / 0.5));
  EXPECT_EQ(gen.draws(), 6u);
}

TEST_F(Scripted, BetaIsARatioOfTwoGammas) {
  gen.push({0.25, 0.5});
  // Gamma(1, 1) twice: -ln 0.25 and -ln 0.5, ratio 2/3.
  EXPECT_DOUBLE_EQ(d.Beta(1, 1), 2.0 / 3);
  EXPECT_EQ(gen.draws(), 2u);
}

TEST_F(Scripted, BinomialCountsDrawsAtOrBelowP) {
  gen.push({0.5, 0.6, 0.1, 0.9});
  EXPECT_EQ(d.Binomial(4, 0.5), 2.0);
  EXPECT_EQ(gen.draws(), 4u);
  EXPECT_EQ(d.Binomial(-3, 0.5), 0.0);  // a negative count draws nothing
}

TEST_F(Scripted, NegativeBinomialSumsGeometricFailures) {
  gen.push({0.25, 0.5});
  EXPECT_EQ(d.NegativeBinomial(2, 0.5), 3.0);  // 2 + 1
  EXPECT_EQ(gen.draws(), 2u);
}

TEST_F(Scripted, HyperExponentialPhaseChoice) {
  double params[] = {1, 0.25, 4, 0.75};
  gen.push({0.2, 0.5, 0.25, 0.5});
  EXPECT_DOUBLE_EQ(d.HyperExponential(2, params), std::log(2.0));      // 0.2 < 0.25: phase 0
  EXPECT_DOUBLE_EQ(d.HyperExponential(2, params), std::log(2.0) / 4);  // 0.25 >= 0.25: phase 1
  EXPECT_EQ(gen.draws(), 4u);
}

TEST_F(Scripted, HyperExponentialStopsAtTheLastPhase) {
  // A draw of exactly 1.0 (possible with Tausworthe) reaches the total; the entries after the
  // two phases would be phase 2 with a bad rate if the walk went past the end.
  double params[] = {1, 0.25, 4, 0.75, -1, 1};
  gen.push({1.0, 0.5});
  EXPECT_DOUBLE_EQ(d.HyperExponential(2, params), std::log(2.0) / 4);
}

TEST_F(Scripted, HypoExponentialOneDrawPerPhase) {
  double rates[] = {1, 2, 4};
  gen.push({0.5, 0.5, 0.5});
  EXPECT_DOUBLE_EQ(d.HypoExponential(3, rates), std::log(2.0) * (1 + 0.5 + 0.25));
  EXPECT_EQ(gen.draws(), 3u);
}

TEST(ScriptedGeneratorHelper, InstallsAndRestoresTheGlobalGenerator) {
  RandomNumberGenerator* before = TheDistribution->RNG;
  ScriptedGenerator gen({0.5});
  {
    ScopedGenerator install(&gen);
    EXPECT_EQ(TheDistribution->RNG, &gen);
    EXPECT_DOUBLE_EQ(TheDistribution->Exponential(1), std::log(2.0));
  }
  EXPECT_EQ(TheDistribution->RNG, before);
  EXPECT_EQ(gen.draws(), 1u);
  EXPECT_EQ(gen.remaining(), 0u);
}

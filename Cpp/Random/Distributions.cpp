#include "Random/Distributions.h"

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "Random/LaggedFibonacci.h"

namespace {

[[noreturn]] void Invalid(const char* what) { throw std::string("INVALID_DIST_PARAMS: ") + what; }

// Not an integer: converting toward zero to 32 bits and back does not give the value.
// Values outside the 32-bit range (and NaN) are never integers; this avoids an undefined conversion.
bool NonInteger(double v) {
  if (!(v >= -2147483648.0 && v < 2147483648.0)) return true;
  return static_cast<double>(static_cast<int32_t>(v)) != v;
}

// A NaN or infinite parameter is refused before any other test of it: NaN would otherwise meet an
// unrelated message (or none) and an infinite rate gives delays of 0, so time never moves on.
void Finite(const char* name, double v) {
  if (std::isnan(v)) Invalid((std::string(name) + " is not a number").c_str());
  if (std::isinf(v)) Invalid((std::string(name) + " is not finite").c_str());
}

}  // namespace

// Parameter tests are written so that a NaN parameter fails them too: a NaN delay would break the
// event list's order.

Distributions::Distributions() : RNG(new LaggedFibonacci()) {}

Distributions::~Distributions() { delete RNG; }

double Distributions::Exponential(double rate) {
  Finite("rate", rate);
  if (!(rate > 0)) Invalid("rate is non-positive");
  return -std::log(RNG->rnd()) / rate;
}

double Distributions::Deterministic(double value) {
  Finite("value", value);
  if (!(value > 0)) Invalid("value is non-positive");
  return value;
}

double Distributions::Geometric(double p) {
  Finite("p", p);
  if (!(p > 0 && p < 1)) Invalid("p is not in the range (0,1)");
  return std::floor(std::log(RNG->rnd()) / std::log(1 - p));
}

double Distributions::Weibull(double alpha, double beta) {
  Finite("Beta", beta);
  Finite("Alpha", alpha);
  if (!(beta > 0)) Invalid("Beta is non-positive");
  if (alpha == 0) Invalid("Alpha is zero");
  return beta * std::pow(-std::log(RNG->rnd()), 1 / alpha);
}

double Distributions::ConditionalWeibull(double alpha, double beta, double t) {
  Finite("Beta", beta);
  Finite("Alpha", alpha);
  Finite("t", t);
  if (!(beta > 0)) Invalid("Beta is non-positive");
  if (alpha == 0) Invalid("Alpha is zero");
  const double scaledAge = std::pow(t / beta, alpha);
  const double z = std::exp(-scaledAge);
  const double u = RNG->rnd();
  // Once z underflows, u * z loses precision and then reaches 0 (an infinite remaining life); the
  // log form is the same quantity without the product.
  if (z < DBL_MIN) return beta * std::pow(scaledAge - std::log(u), 1 / alpha) - t;
  return beta * std::pow(-std::log(u * z), 1 / alpha) - t;
}

void Distributions::PolarStep() {
  // W == 0 (both draws exactly 0.5) would give 0 * inf: draw again, as for W > 1.
  do {
    U1 = RNG->rnd();
    U2 = RNG->rnd();
    V1 = 2 * U1 - 1;
    V2 = 2 * U2 - 1;
    W = V1 * V1 + V2 * V2;
  } while (W > 1 || W == 0);
  Y = std::sqrt(-2 * std::log(W) / W);
}

double Distributions::Normal(double mean, double variance) {
  Finite("variance", variance);
  Finite("mean", mean);
  if (!(variance >= 0)) Invalid("variance is negative");
  const double sd = std::sqrt(variance);
  // No generator can produce a standard deviate of 12 or more through the polar step: the loop
  // below could never end.
  if (mean < 0 && (variance == 0 || mean + 12 * sd < 0))
    Invalid("mean is too far below zero for a non-negative sample");
  double value;
  do {
    PolarStep();
    value = mean + sd * V1 * Y;
  } while (value < 0);
  return value;
}

double Distributions::Lognormal(double mu, double alphasqrd) {
  Finite("Alpha_Squared", alphasqrd);
  Finite("mu", mu);
  if (!(alphasqrd >= 0)) Invalid("Alpha_Squared is negative");
  PolarStep();
  return std::exp(mu + std::sqrt(alphasqrd) * V1 * Y);
}

double Distributions::Erlang(double m, double beta) {
  Finite("m", m);
  Finite("Beta", beta);
  if (!(m > 0)) Invalid("m is non-positive");
  if (NonInteger(m)) Invalid("m is non-integer");
  if (!(beta > 0)) Invalid("Beta is non-positive");
  // The product of m uniforms underflows for m of several hundred; only then are its partial
  // logarithms accumulated, so every sample whose product stays normal is unchanged.
  double product = 1;
  double logsum = 0;
  bool spilled = false;
  for (double i = 1; i <= m; i++) {
    const double u = RNG->rnd();
    const double next = product * u;
    if (next < DBL_MIN) {
      logsum += std::log(product);
      product = u;
      spilled = true;
    } else {
      product = next;
    }
  }
  if (spilled) return -(beta / m) * (logsum + std::log(product));
  return -(beta / m) * std::log(product);
}

double Distributions::Triangular(double a, double b, double c) {
  Finite("A", a);
  Finite("B", b);
  Finite("C", c);
  if (!(b >= a)) Invalid("A is larger than B");
  if (!(c >= a && c <= b)) Invalid("C is not in the range [A,B]");
  if (a == b) return a;
  const double r = (c - a) / (b - a);
  U1 = RNG->rnd();
  if (r >= U1)
    X = std::sqrt(U1 * r);
  else
    X = 1 - std::sqrt((1 - r) * (1 - U1));
  return a + (b - a) * X;
}

double Distributions::Gamma(double alpha, double beta) {
  Finite("Beta", beta);
  Finite("Alpha", alpha);
  if (!(beta > 0)) Invalid("Beta is non-positive");
  if (!(alpha > 0)) Invalid("Alpha is non-positive");
  if (alpha == 1) return -beta * std::log(RNG->rnd());
  if (alpha > 1) {
    const double theta = 4.5;
    a1 = 1 / std::sqrt(2 * alpha - 1);
    b1 = alpha - 1.3862943611198906;
    q1 = alpha + 1 / a1;
    d1 = 1 + std::log(theta);
    for (;;) {
      U1 = RNG->rnd();
      U2 = RNG->rnd();
      V1 = a1 * std::log(U1 / (1 - U1));
      Y = alpha * std::exp(V1);
      Z = U1 * U1 * U2;
      W = b1 + q1 * V1 - Y;
      if (d1 + W - theta * Z >= 0) return Y * beta;
      if (W >= std::log(Z)) return Y * beta;
    }
  }
  const double e = 2.718281828459045;
  b1 = (e + alpha) / e;
  for (;;) {
    U1 = RNG->rnd();
    P = b1 * U1;
    if (P <= 1) {
      Y = std::pow(P, 1 / alpha);
      U2 = RNG->rnd();
      if (U2 <= std::exp(-Y)) return Y * beta;
    } else {
      Y = -std::log((b1 - P) / alpha);
      U2 = RNG->rnd();
      if (std::pow(Y, alpha - 1) >= U2) return Y * beta;
    }
  }
}

double Distributions::Beta(double alpha1, double beta1) {
  // Both shapes are tested before the first gamma variate is drawn.
  Finite("Alpha", alpha1);
  Finite("Beta", beta1);
  if (!(alpha1 > 0) || !(beta1 > 0)) Invalid("Alpha is non-positive");
  // The second gamma variate overwrites the scratch V1 (shape above 1): keep the first apart.
  const double first = Gamma(alpha1, 1.0);
  const double second = Gamma(beta1, 1.0);
  V1 = first;
  V2 = second;
  return V1 / (V2 + V1);
}

double Distributions::Uniform(double lbound, double ubound) {
  Finite("LowerBound", lbound);
  Finite("UpperBound", ubound);
  if (!(lbound >= 0)) Invalid("LowerBound is negative");
  if (!(ubound >= lbound)) Invalid("LowerBound is larger than UpperBound");
  return lbound + (ubound - lbound) * RNG->rnd();
}

double Distributions::Binomial(double t, double p) {
  Finite("p", p);
  Finite("t", t);
  if (!(p >= 0 && p <= 1)) Invalid("p is not in the range [0,l]");
  if (NonInteger(t)) Invalid("t is non-integer");
  const int32_t trials = static_cast<int32_t>(t);
  double count = 0;
  for (int32_t i = 0; i < trials; i++)
    if (RNG->rnd() <= p) count += 1;
  return count;
}

double Distributions::NegativeBinomial(double s, double p) {
  Finite("p", p);
  Finite("s", s);
  // p = 0 would make every term ln(u)/0, an infinitely negative delay.
  if (!(p > 0 && p < 1)) Invalid("p is not in the range [0,l)");
  if (NonInteger(s)) Invalid("s is non-integer");
  const int32_t successes = static_cast<int32_t>(s);
  const double logq = std::log(1 - p);
  double sum = 0;
  for (int32_t i = 0; i < successes; i++) sum += std::floor(std::log(RNG->rnd()) / logq);
  return sum;
}

double Distributions::HyperExponential(int phases, double* params) {
  char message[64];
  if (phases < 1) Invalid("Phases is less than 1");
  const double prob = RNG->rnd();
  double sum_prob = 0;
  for (int i = 0; i < phases; i++) {
    const double p = params[2 * i + 1];
    std::snprintf(message, sizeof message, "p%d", i);
    Finite(message, p);
    if (!(p > 0)) {
      std::snprintf(message, sizeof message, "p%d is non-positive", i);
      Invalid(message);
    }
    sum_prob += p;
  }
  // A draw at (or rounding to) the total would walk past the last phase: stop there.
  int phase = 0;
  double running_sum = params[1];
  while (phase < phases - 1 && prob >= running_sum / sum_prob) {
    phase++;
    running_sum += params[2 * phase + 1];
  }
  const double rate = params[2 * phase];
  std::snprintf(message, sizeof message, "Rate%d", phase);
  Finite(message, rate);
  if (!(rate > 0)) {
    std::snprintf(message, sizeof message, "Rate%d is non-positive", phase);
    Invalid(message);
  }
  return -std::log(RNG->rnd()) / rate;
}

double Distributions::HypoExponential(int phases, double* rates) {
  // Every rate is tested before the first phase is drawn.
  for (int i = 0; i < phases; i++) {
    Finite("rate", rates[i]);
    if (!(rates[i] > 0)) Invalid("rate is non-positive");
  }
  double sum = 0;
  for (int i = 0; i < phases; i++) sum += Exponential(rates[i]);
  return sum;
}

double Distributions::Pareto(double xm, double k) {
  Finite("LowerBound", xm);
  Finite("Shape", k);
  if (!(xm > 0)) Invalid("LowerBound is non-positive");
  if (!(k > 0)) Invalid("Shape is non-positive");
  return std::exp(std::log(xm) - std::log(RNG->rnd()) / k);
}

// The samplers of the delay distributions: each turns uniforms from the owned generator RNG into
// one sample after checking its parameters.
//
// A sampler that finds an invalid parameter does not return: it throws a std::string beginning
// "INVALID_DIST_PARAMS: ", which the simulation step reports before it ends the run.
// Scratch values are members, so one object must not be used by two threads at once.
// Every draw a sampler makes is part of the stream's contract: do not reorder or skip any.
//
// Anyone who needs a bare uniform (tie breaking, case selection) draws it as
// TheDistribution->RNG->rnd() (see BaseClasses/DistributionDefinition.h).
#ifndef KAVRIN_RANDOM_DISTRIBUTIONS_H
#define KAVRIN_RANDOM_DISTRIBUTIONS_H

#include "Random/RandomNumberGenerator.h"

class Distributions {
 public:
  // RNG = a new, unseeded LaggedFibonacci.
  Distributions();
  ~Distributions();

  Distributions(const Distributions&) = delete;
  Distributions& operator=(const Distributions&) = delete;

  double Exponential(double rate);
  double Deterministic(double value);
  double Geometric(double p);
  double Weibull(double alpha, double beta);
  double ConditionalWeibull(double alpha, double beta, double t);
  double Normal(double mean, double variance);
  double Lognormal(double mu, double alphasqrd);
  double Erlang(double m, double beta);
  double Triangular(double a, double b, double c);
  double Gamma(double alpha, double beta);
  double Beta(double alpha1, double beta1);
  double Uniform(double lbound, double ubound);
  double Binomial(double t, double p);
  double NegativeBinomial(double s, double p);
  // params holds `phases` pairs (rate_i, p_i), rate first.
  double HyperExponential(int phases, double* params);
  double HypoExponential(int phases, double* rates);
  double Pareto(double xm, double k);

  RandomNumberGenerator* RNG;  // owned
  double U1 = 0, U2 = 0;
  double V1 = 0, V2 = 0;
  double P = 0;
  double W = 0;
  double X = 0;
  double Y = 0;
  double Z = 0;
  double a1 = 0, b1 = 0, d1 = 0, q1 = 0;

 private:
  // The polar step shared by Normal and Lognormal: fills U1, U2, V1, V2, W and Y.
  void PolarStep();
};

#endif

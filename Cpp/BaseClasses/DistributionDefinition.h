// The process-wide sampler and the pointer everybody samples and draws through.
//
// TheGenerator is built during static initialisation as UserDistributions(0, 31415): a lagged
// Fibonacci generator seeded with 31415. TheDistribution points at it until the start-up replaces
// the generator (TheDistribution->RNG) or, if it finds none, the whole sampler.
//
//   double delay = TheDistribution->Exponential(rate);   // a sample (may throw INVALID_DIST_PARAMS)
//   double u = TheDistribution->RNG->rnd();               // a bare uniform
#ifndef KAVRIN_BASECLASSES_DISTRIBUTIONDEFINITION_H
#define KAVRIN_BASECLASSES_DISTRIBUTIONDEFINITION_H

#include "Random/UserDistributions.h"

extern UserDistributions TheGenerator;
extern UserDistributions* TheDistribution;

#endif

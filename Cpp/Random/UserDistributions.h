// The sampler class the simulator instantiates: its constructors choose and seed the generator.
// The process-wide instance is reached through TheDistribution (BaseClasses/DistributionDefinition.h).
#ifndef KAVRIN_RANDOM_USERDISTRIBUTIONS_H
#define KAVRIN_RANDOM_USERDISTRIBUTIONS_H

#include <cstdint>

#include "Random/Distributions.h"

class UserDistributions : public Distributions {
 public:
  // An unseeded LaggedFibonacci.
  UserDistributions();
  // type 1 makes a Tausworthe, anything else (Mersenne Twister included) a LaggedFibonacci;
  // then seeds it with the seed taken as unsigned 32-bit.
  UserDistributions(int type, int32_t seed);
  ~UserDistributions() = default;
};

#endif

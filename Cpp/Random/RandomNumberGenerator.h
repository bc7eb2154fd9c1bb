// The one interface behind which every uniform generator stands.
//
// The generator in use is owned by the process-wide sampler (TheDistribution->RNG, see
// BaseClasses/DistributionDefinition.h); callers draw only through rnd() and seed only through
// srnd(). Seeds are unsigned 32-bit throughout.
#ifndef KAVRIN_RANDOM_RANDOMNUMBERGENERATOR_H
#define KAVRIN_RANDOM_RANDOMNUMBERGENERATOR_H

#include <cstdint>

class RandomNumberGenerator {
 public:
  RandomNumberGenerator() = default;
  virtual ~RandomNumberGenerator() = default;

  RandomNumberGenerator(const RandomNumberGenerator&) = delete;
  RandomNumberGenerator& operator=(const RandomNumberGenerator&) = delete;

  // The next uniform variate; the base has no stream and returns 0.0.
  virtual double rnd() { return 0.0; }

  // (Re)seeds the stream; the base has nothing to seed.
  virtual void srnd(uint32_t seed) { (void)seed; }
};

#endif

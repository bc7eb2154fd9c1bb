// The 32-bit Mersenne Twister (period 2^19937 - 1) as a uniform generator on the open interval
// (0, 1). An unseeded instance behaves as if seeded with 18671867.
#ifndef KAVRIN_RANDOM_MERSENNETWISTER_H
#define KAVRIN_RANDOM_MERSENNETWISTER_H

#include "Random/RandomNumberGenerator.h"

class MersenneTwister : public RandomNumberGenerator {
 public:
  MersenneTwister() = default;
  ~MersenneTwister() override = default;

  // (rnd_int32() + 0.5) * 2^-32: never 0.0, never 1.0.
  double rnd() override;
  void srnd(uint32_t s) override;

  // The next tempered 32-bit word.
  uint32_t rnd_int32();
  static uint32_t getMatrixA(uint32_t x);

  uint32_t stateVector[624] = {};
  bool sVInit = false;
  int sVIdx = 624;
};

#endif

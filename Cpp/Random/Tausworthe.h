// A small shift-register uniform generator whose whole state is one 32-bit word.
//
// Output range [0, 1]: 1.0 exactly when the state is 2^31 - 1; the state 0 is a fixed point that
// yields 0.0 for ever. Seeds whose first step lands on 0 are listed by leadsToZeroState().
#ifndef KAVRIN_RANDOM_TAUSWORTHE_H
#define KAVRIN_RANDOM_TAUSWORTHE_H

#include "Random/RandomNumberGenerator.h"

class Tausworthe : public RandomNumberGenerator {
 public:
  Tausworthe() = default;
  ~Tausworthe() override = default;

  double rnd() override;
  void srnd(uint32_t newSeed) override { seed = newSeed; }

  // True when seeding with s puts the generator in the state 0 (0.0 for ever): s = 0 and
  // s = 0x80000000, the only 32-bit values whose first step clears every significant bit.
  static bool leadsToZeroState(uint32_t s);

  // Until seeded, behaves as seeded with the default seed 31415.
  uint32_t seed = 31415;
};

#endif

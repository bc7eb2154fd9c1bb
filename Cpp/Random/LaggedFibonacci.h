// The default uniform generator: blocks of 100 values from the process-wide lagged-Fibonacci
// stream (Random/Rnd-KnuthLaggedFibonacci.h), handed out one at a time.
//
// The lag table and the read position are shared by every instance: there is one such stream per
// process, and the simulator never holds two instances in use at once. Each instance owns only its
// current block. Output range [0, 1).
#ifndef KAVRIN_RANDOM_LAGGEDFIBONACCI_H
#define KAVRIN_RANDOM_LAGGEDFIBONACCI_H

#include "Random/RandomNumberGenerator.h"

class LaggedFibonacci : public RandomNumberGenerator {
 public:
  LaggedFibonacci();
  ~LaggedFibonacci() override = default;

  // The next value of the current block; a fresh block is produced after every 100 values.
  // An instance that was never seeded first seeds itself with the default seed 31415.
  double rnd() override;

  // Restarts the process-wide stream from the seed (taken as a signed 32-bit value) and loads the
  // second block of 100 values. The read position is left where it was.
  void srnd(uint32_t seed) override;

  // Process-wide read position into the current block (0..100); exposed for tests.
  static int getReadPosition();

  double rndArr[100];

 private:
  bool Seeded = false;
};

#endif

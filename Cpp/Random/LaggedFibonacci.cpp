#include "Random/LaggedFibonacci.h"

#include "Random/Rnd-KnuthLaggedFibonacci.h"

namespace {
// Read position into the current block, shared by all instances like the lag table itself.
// Constant-initialised: the global sampler draws on it during static initialisation.
int k = 0;
}  // namespace

LaggedFibonacci::LaggedFibonacci() : rndArr() {}

double LaggedFibonacci::rnd() {
  if (!Seeded) srnd(31415);
  if (k == 100) {
    k = 0;
    ranf_array(rndArr, 100);
  }
  return rndArr[k++];
}

void LaggedFibonacci::srnd(uint32_t seed) {
  ranf_start(static_cast<int32_t>(seed));
  ranf_array(rndArr, 100);  // the first block is discarded
  ranf_array(rndArr, 100);
  Seeded = true;
}

int LaggedFibonacci::getReadPosition() { return k; }

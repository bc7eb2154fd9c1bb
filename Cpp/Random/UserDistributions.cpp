#include "Random/UserDistributions.h"

#include "Random/LaggedFibonacci.h"
#include "Random/Tausworthe.h"

// Both constructors run during static initialisation (the global sampler): they must touch
// nothing but constant-initialised state, and print nothing.

UserDistributions::UserDistributions() {
  delete RNG;
  RNG = new LaggedFibonacci();
}

UserDistributions::UserDistributions(int type, int32_t seed) {
  delete RNG;
  RNG = nullptr;
  switch (type) {
    case 0:
      RNG = new LaggedFibonacci();
      break;
    case 1:
      RNG = new Tausworthe();
      break;
    default:
      RNG = new LaggedFibonacci();
      break;
  }
  RNG->srnd(static_cast<uint32_t>(seed));
}

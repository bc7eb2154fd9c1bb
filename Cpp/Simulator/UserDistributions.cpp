#include "Simulator/UserDistributions.h"

#include "BaseClasses/debug.h"
#include "Simulator/LaggedFibonacci.h"
#include "Simulator/Tausworthe.h"

// Both constructors run during static initialisation (the global sampler): they must touch
// nothing but constant-initialised state, and print only behind the debug level.

UserDistributions::UserDistributions() {
  KAVRIN_DEBUG(3, "Entering UserDistributions::UserDistributions()");
  delete RNG;
  RNG = new LaggedFibonacci();
}

UserDistributions::UserDistributions(int type, int32_t seed) {
  KAVRIN_DEBUG(3, "Entering UserDistributions(int, long)");
  delete RNG;
  RNG = nullptr;
  switch (type) {
    case 0:
      KAVRIN_DEBUG(0, "Creating Lagged Fibonacci Random Number Generator");
      RNG = new LaggedFibonacci();
      break;
    case 1:
      KAVRIN_DEBUG(0, "Creating Tausworthe Random Number Generator");
      RNG = new Tausworthe();
      break;
    default:
      KAVRIN_DEBUG(0, "Creating Lagged Fibonacci Random Number Generator (by default)");
      RNG = new LaggedFibonacci();
      break;
  }
  RNG->srnd(static_cast<uint32_t>(seed));
}

#include "Random/MersenneTwister.h"

namespace {
const uint32_t MT_MATRIX_A = 0x9908B0DFu;
const uint32_t MT_UPPER_MASK = 0x80000000u;
const uint32_t MT_LOWER_MASK = 0x7FFFFFFFu;
}  // namespace

uint32_t MersenneTwister::getMatrixA(uint32_t x) { return x != 0 ? MT_MATRIX_A : 0u; }

void MersenneTwister::srnd(uint32_t s) {
  stateVector[0] = s;
  for (uint32_t i = 1; i < 624; ++i) {
    const uint32_t prev = stateVector[i - 1];
    stateVector[i] = 1812433253u * (prev ^ (prev >> 30)) + i;
  }
  sVIdx = 624;
  sVInit = true;
}

uint32_t MersenneTwister::rnd_int32() {
  uint32_t y;
  if (sVIdx > 623) {
    if (!sVInit) srnd(18671867u);
    int i = 0;
    for (; i < 227; ++i) {
      y = (stateVector[i] & MT_UPPER_MASK) | (stateVector[i + 1] & MT_LOWER_MASK);
      stateVector[i] = stateVector[i + 397] ^ (y >> 1) ^ getMatrixA(y & 1u);
    }
    for (; i < 623; ++i) {
      y = (stateVector[i] & MT_UPPER_MASK) | (stateVector[i + 1] & MT_LOWER_MASK);
      stateVector[i] = stateVector[i - 227] ^ (y >> 1) ^ getMatrixA(y & 1u);
    }
    y = (stateVector[623] & MT_UPPER_MASK) | (stateVector[0] & MT_LOWER_MASK);
    stateVector[623] = stateVector[396] ^ (y >> 1) ^ getMatrixA(y & 1u);
    sVIdx = 0;
  }
  y = stateVector[sVIdx++];
  y ^= y >> 11;
  y ^= (y << 7) & 0x9D2C5680u;
  y ^= (y << 15) & 0xEFC60000u;
  y ^= y >> 18;
  return y;
}

double MersenneTwister::rnd() { return (rnd_int32() + 0.5) * 2.3283064365386963e-10; }

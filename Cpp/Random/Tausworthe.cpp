#include "Random/Tausworthe.h"

double Tausworthe::rnd() {
  static const double f = 1.0 / 2147483647.0;
  uint32_t x = seed ^ (seed << 13);
  x &= 0x7FFFFFFFu;
  x ^= x >> 18;
  seed = x;
  return x * f;
}

bool Tausworthe::leadsToZeroState(uint32_t s) {
  Tausworthe t;
  t.srnd(s);
  t.rnd();
  return t.seed == 0;
}

/* The floating-point lagged-Fibonacci generator: the old seeding form, with a parallel array of
 * low-order marks and no warm-up calls at the end of ranf_start. */
#include "Random/Rnd-KnuthLaggedFibonacci.h"

#include <stdint.h>

#define KK KAVRIN_RANF_KK /* the long lag */
#define LL 37             /* the short lag */
#define TT 70             /* guaranteed separation between streams */

/* Sum modulo 1 of two fractions in [0, 1): the sum is below 2, so the conversion is defined. */
static double mod_sum(double x, double y) { return (x + y) - (int32_t)(x + y); }

double ran_u[KK];

void ranf_array(double aa[], int n) {
  int i, j;
  for (j = 0; j < KK; j++) aa[j] = ran_u[j];
  for (; j < n; j++) aa[j] = mod_sum(aa[j - KK], aa[j - LL]);
  for (i = 0; i < LL; i++, j++) ran_u[i] = mod_sum(aa[j - KK], aa[j - LL]);
  for (; i < KK; i++, j++) ran_u[i] = mod_sum(aa[j - KK], ran_u[i - LL]);
}

void ranf_start(int seed) {
  int t, s, j;
  double u[KK + KK - 1], ul[KK + KK - 1];
  const double ulp = (1.0 / (1L << 30)) / (1L << 22); /* 2^-52 */
  double ss;

  /* A negative seed never shifts down to 0 (arithmetic shift), and 2147483646/7 overflow the
   * sum below; the mask keeps such seeds usable without touching any other seed's stream. */
  if (seed < 0 || seed > 2147483645) seed &= 0x3fffffff;

  ss = 2.0 * ulp * (double)(seed + 2);
  for (j = 0; j < KK; j++) {
    u[j] = ss;
    ul[j] = 0.0;
    ss += ss;
    if (ss >= 1.0) ss -= 1.0 - 2 * ulp;
  }
  for (; j < KK + KK - 1; j++) u[j] = ul[j] = 0.0;
  u[1] += ulp;
  ul[1] = ulp;
  s = seed;
  t = TT - 1;
  while (t) {
    for (j = KK - 1; j > 0; j--) { /* square */
      ul[j + j] = ul[j];
      u[j + j] = u[j];
    }
    for (j = KK + KK - 2; j > KK - LL; j -= 2) {
      ul[KK + KK - 1 - j] = 0.0;
      u[KK + KK - 1 - j] = u[j] - ul[j];
    }
    for (j = KK + KK - 2; j >= KK; j--) {
      if (ul[j] != 0.0) {
        ul[j - (KK - LL)] = ulp - ul[j - (KK - LL)];
        u[j - (KK - LL)] = mod_sum(u[j - (KK - LL)], u[j]);
        ul[j - KK] = ulp - ul[j - KK];
        u[j - KK] = mod_sum(u[j - KK], u[j]);
      }
    }
    if (s & 1) { /* multiply by z */
      for (j = KK; j > 0; j--) {
        ul[j] = ul[j - 1];
        u[j] = u[j - 1];
      }
      ul[0] = ul[KK];
      u[0] = u[KK];
      if (ul[KK] != 0.0) {
        ul[LL] = ulp - ul[LL];
        u[LL] = mod_sum(u[LL], u[KK]);
      }
    }
    if (s)
      s >>= 1;
    else
      t--;
  }
  for (j = 0; j < LL; j++) ran_u[j + KK - LL] = u[j];
  for (; j < KK; j++) ran_u[j - LL] = u[j];
}

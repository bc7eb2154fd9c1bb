/* The floating-point lagged-Fibonacci generator (long lag 100, short lag 37) as a C unit.
 *
 * Its lag table ran_u is process-wide: there is one such stream per process, whichever
 * LaggedFibonacci object hands it out. ranf_array needs n >= 100; with n == 100 the block it
 * returns is the lag table before the advance. */
#ifndef KAVRIN_RANDOM_RND_KNUTHLAGGEDFIBONACCI_H
#define KAVRIN_RANDOM_RND_KNUTHLAGGEDFIBONACCI_H

#ifdef __cplusplus
extern "C" {
#endif

#define KAVRIN_RANF_KK 100

/* The lag table: fractions in [0, 1), each a multiple of 2^-52. */
extern double ran_u[KAVRIN_RANF_KK];

/* Fills aa[0..n-1] with the next n values and advances ran_u; n must be at least 100. */
void ranf_array(double aa[], int n);

/* Initialises ran_u from a seed (no warm-up). Seeds below 0 or above 2147483645 cannot run the
 * seeding loop (it would never end, or seed + 2 would overflow); those are first masked with
 * 0x3fffffff. Every other seed gives the stream unchanged. */
void ranf_start(int seed);

#ifdef __cplusplus
}
#endif

#endif

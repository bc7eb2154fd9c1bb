// Cost of one uniform from each generator and of one exponential sample.
#include <benchmark/benchmark.h>

#include "Random/Distributions.h"
#include "Random/LaggedFibonacci.h"
#include "Random/MersenneTwister.h"
#include "Random/Tausworthe.h"

template <class Generator>
static void BM_Uniform(benchmark::State& state) {
  Generator gen;
  gen.srnd(31415);
  RandomNumberGenerator* base = &gen;  // callers draw through the base class
  for (auto _ : state) benchmark::DoNotOptimize(base->rnd());
}
BENCHMARK_TEMPLATE(BM_Uniform, LaggedFibonacci);
BENCHMARK_TEMPLATE(BM_Uniform, Tausworthe);
BENCHMARK_TEMPLATE(BM_Uniform, MersenneTwister);

static void BM_Exponential(benchmark::State& state) {
  Distributions d;
  d.RNG->srnd(31415);
  for (auto _ : state) benchmark::DoNotOptimize(d.Exponential(2.0));
}
BENCHMARK(BM_Exponential);

static void BM_NormalTruncated(benchmark::State& state) {
  Distributions d;
  d.RNG->srnd(31415);
  for (auto _ : state) benchmark::DoNotOptimize(d.Normal(1.0, 1.0));
}
BENCHMARK(BM_NormalTruncated);

// Steps per second of the terminating step on models of n independent timed exponential
// activities (each always enabled, each rescheduled after its own firing). A step should cost
// about the same whatever n: it touches only the fired action's list and the heap.
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/DistributionDefinition.h"
#include "Random/UserDistributions.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

StepTestSAN* buildModel(int n) {
  std::vector<std::pair<std::string, Distribution> > activities;
  activities.reserve(n);
  for (int i = 0; i < n; i++) activities.emplace_back("T" + std::to_string(i), Exponential);
  StepTestSAN* san = new StepTestSAN({}, activities);
  for (int i = 0; i < n; i++) san->activity(i)->delay = [] { return TheDistribution->Exponential(1.0); };
  return san;
}

void BM_SimStepTimedExponential(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  StepTestPV pv(buildModel(n));
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  h.startReplication();
  for (auto _ : state) {
    benchmark::DoNotOptimize(h.sim.SimStep(EventAtInfinity::IsNext));
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["activities"] = n;
}

}  // namespace

BENCHMARK(BM_SimStepTimedExponential)->Arg(10)->Arg(1000)->Arg(100000);

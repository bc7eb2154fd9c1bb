// The classic "hold" model on the future event list: the list holds one event per group; each
// step takes the earliest event, removes it and schedules the same group again a random
// increment later. Distinct real times, so ties (and their draws) do not occur.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/PAddress.h"

namespace {

class HoldGroup : public BaseActionClass {
 public:
  int Rank() override { return 1; }
  double Weight() override { return 1.0; }
};

// A small deterministic stream for the increments; the benchmark must not depend on the
// simulator's generators.
struct Increments {
  uint64_t x = 88172645463325252ull;
  double next() {
    x ^= x << 13;
    x ^= x >> 7;
    x ^= x << 17;
    return static_cast<double>(x >> 11) * (1.0 / 9007199254740992.0);
  }
};

void BM_Hold(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<HoldGroup> groups(n);
  std::vector<PAddress> addresses(n);
  EventList list(n, addresses.data());
  Increments inc;
  for (int i = 0; i < n; i++) {
    groups[i].EventPointer = &addresses[i];
    Event ev(inc.next(), 0.0, &groups[i]);
    list.Insert(&ev);
  }
  for (auto _ : state) {
    Event* slot = list.Earliest();
    Event next(*slot);
    list.Remove(slot);
    next.start_time = next.exec_time;
    next.exec_time += inc.next();
    list.Insert(&next);
  }
  state.SetItemsProcessed(state.iterations());
}

// The same step when the group keeps its event and only the key changes.
void BM_HoldModifyKey(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<HoldGroup> groups(n);
  std::vector<PAddress> addresses(n);
  EventList list(n, addresses.data());
  Increments inc;
  for (int i = 0; i < n; i++) {
    groups[i].EventPointer = &addresses[i];
    Event ev(inc.next(), 0.0, &groups[i]);
    list.Insert(&ev);
  }
  for (auto _ : state) {
    Event* slot = list.Earliest();
    slot->start_time = slot->exec_time;
    slot->exec_time += inc.next();
    list.ModifyKey(slot);
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Hold)->Arg(10)->Arg(1000)->Arg(100000);
BENCHMARK(BM_HoldModifyKey)->Arg(10)->Arg(1000)->Arg(100000);

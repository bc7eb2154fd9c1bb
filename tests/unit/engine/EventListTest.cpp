#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <random>
#include <sstream>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/PAddress.h"
#include "support/ScriptedGenerator.h"

// Counts every allocation of the process, so a test can show that a stretch of code allocates nothing.
// The replacement pair is malloc/free underneath, which the compiler cannot see across the pair.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
static long g_allocations = 0;
void* operator new(std::size_t n) {
  g_allocations++;
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class FakeGroup : public BaseActionClass {
 public:
  int rank = 1;
  double weight = 1.0;
  int Rank() override { return rank; }
  double Weight() override { return weight; }
};

class EventListTest : public ::testing::Test {
 protected:
  static constexpr int kGroups = 64;
  std::vector<FakeGroup> groups{kGroups};
  std::vector<PAddress> addresses{kGroups};
  EventList list{kGroups, addresses.data()};

  void SetUp() override {
    for (int i = 0; i < kGroups; i++) groups[i].EventPointer = &addresses[i];
  }
  void Schedule(int g, double t, double start = 0.0) {
    Event ev(t, start, &groups[g]);
    list.Insert(&ev);
  }
  Event* SlotOf(int g) { return list.Scheduled(&groups[g]); }
  BaseActionClass* Next() {
    Event* ev = list.Earliest();
    return ev ? ev->action_ptr : nullptr;
  }
};

TEST_F(EventListTest, EarliestOrdersByTimeThenHigherRankWithoutDrawing) {
  ScriptedGenerator gen({});
  ScopedGenerator use(&gen);
  EXPECT_EQ(Next(), nullptr);
  Schedule(0, 3.0);
  Schedule(1, 1.0);
  Schedule(2, 2.0);
  EXPECT_EQ(Next(), &groups[1]);
  // Same instant: the rank-2 group goes first, and no number is drawn.
  groups[3].rank = 2;
  Schedule(3, 1.0);
  EXPECT_EQ(Next(), &groups[3]);
  EXPECT_EQ(gen.draws(), 0);
  EXPECT_EQ(list.IsValid(), 0);
}

TEST_F(EventListTest, InsertCopiesTheCallersRecordAndTheGroupFindsItsEvent) {
  Event mine(2.5, 1.5, &groups[0]);
  list.Insert(&mine);
  mine.exec_time = 99.0;
  ASSERT_NE(SlotOf(0), nullptr);
  EXPECT_NE(SlotOf(0), &mine);
  EXPECT_EQ(SlotOf(0)->exec_time, 2.5);
  EXPECT_EQ(SlotOf(0)->start_time, 1.5);
  EXPECT_EQ(SlotOf(0)->action_ptr, &groups[0]);
  EXPECT_EQ(SlotOf(1), nullptr);
  EXPECT_EQ(list.getSize(), 1);
}

TEST_F(EventListTest, SchedulingAGroupTwiceIsAFault) {
  Schedule(4, 1.0);
  EXPECT_DEATH(Schedule(4, 2.0), "!! Assertion failed in file EventList");
}

TEST_F(EventListTest, ExactTiesAreChosenByWeightWithOneDrawPerCall) {
  // Weights 1, 1, 2 tied at t = 0 and rank 1: collected in slot order 0, 1, 2. With u the draw,
  // the threshold is 4u; running sums 1, 2, 4 pick the first for u < 1/4, the second for u < 1/2,
  // the third otherwise. A grid of 1000 draws therefore gives exactly 250, 250, 500.
  groups[2].weight = 2.0;
  Schedule(0, 0.0);
  Schedule(1, 0.0);
  Schedule(2, 0.0);
  std::vector<double> grid;
  for (int k = 0; k < 1000; k++) grid.push_back(k / 1000.0);
  ScriptedGenerator gen(grid);
  ScopedGenerator use(&gen);
  int count[3] = {0, 0, 0};
  for (int k = 0; k < 1000; k++) {
    BaseActionClass* a = Next();
    for (int g = 0; g < 3; g++) count[g] += (a == &groups[g]);
    EXPECT_EQ(gen.draws(), k + 1);
  }
  EXPECT_EQ(count[0], 250);
  EXPECT_EQ(count[1], 250);
  EXPECT_EQ(count[2], 500);
}

TEST_F(EventListTest, TieWithZeroTotalWeightTakesTheLastCollected) {
  groups[0].weight = 0.0;
  groups[1].weight = 0.0;
  Schedule(0, 5.0);
  Schedule(1, 5.0);
  Schedule(2, 7.0);
  ScriptedGenerator gen({0.0});
  ScopedGenerator use(&gen);
  EXPECT_EQ(Next(), &groups[1]);
  EXPECT_EQ(gen.draws(), 1);
}

TEST_F(EventListTest, TieSearchIgnoresLaterEventsAndLowerRanks) {
  // Only the two events at t = 1 with rank 1 tie; the draw 0.75 passes the first (running sum 1
  // is not above 1.5) and stops at the second.
  groups[2].rank = 0;
  Schedule(0, 1.0);
  Schedule(1, 1.0);
  Schedule(2, 1.0);
  Schedule(3, 2.0);
  ScriptedGenerator gen({0.75});
  ScopedGenerator use(&gen);
  EXPECT_EQ(Next(), &groups[1]);
  EXPECT_EQ(gen.draws(), 1);
}

TEST_F(EventListTest, RemovingTheLastSlotLeavesTheRestInPlace) {
  for (int g = 0; g < 5; g++) Schedule(g, g + 1.0);
  std::vector<Event*> before;
  for (int g = 0; g < 4; g++) before.push_back(SlotOf(g));
  list.Remove(SlotOf(4));
  EXPECT_EQ(SlotOf(4), nullptr);
  for (int g = 0; g < 4; g++) {
    EXPECT_EQ(SlotOf(g), before[g]);
    EXPECT_EQ(SlotOf(g)->exec_time, g + 1.0);
  }
  EXPECT_EQ(list.getSize(), 4);
  EXPECT_EQ(list.IsValid(), 0);
}

TEST_F(EventListTest, RemovingTheRootSiftsTheLastEventDown) {
  for (int g = 0; g < 7; g++) Schedule(g, g + 1.0);
  list.Remove(SlotOf(0));
  EXPECT_EQ(SlotOf(0), nullptr);
  EXPECT_EQ(list.IsValid(), 0);
  for (int g = 1; g < 7; g++) {
    ASSERT_EQ(Next(), &groups[g]);
    list.Remove(list.Earliest());
    EXPECT_EQ(list.IsValid(), 0);
  }
  EXPECT_EQ(list.getSize(), 0);
}

TEST_F(EventListTest, RemoveAnyGroupsEventAndModifyKeyBothWays) {
  for (int g = 0; g < 6; g++) Schedule(g, 10.0 + g);
  list.Remove(SlotOf(3));
  EXPECT_EQ(SlotOf(3), nullptr);
  SlotOf(5)->exec_time = 1.0;
  list.ModifyKey(SlotOf(5));
  EXPECT_EQ(Next(), &groups[5]);
  SlotOf(5)->exec_time = 100.0;
  list.ModifyKey(SlotOf(5));
  EXPECT_EQ(Next(), &groups[0]);
  EXPECT_EQ(list.IsValid(), 0);
}

TEST_F(EventListTest, ClearUnschedulesEveryGroupAndEachCanBeScheduledAgain) {
  for (int g = 0; g < 10; g++) Schedule(g, g);
  list.ClearEventList();
  EXPECT_EQ(list.getSize(), 0);
  for (int g = 0; g < 10; g++) EXPECT_EQ(SlotOf(g), nullptr);
  EXPECT_EQ(list.IsValid(), 0);
  EXPECT_EQ(list.Earliest(), nullptr);
  for (int g = 9; g >= 0; g--) Schedule(g, 20.0 - g);
  for (int g = 9; g >= 0; g--) {
    ASSERT_EQ(Next(), &groups[g]);
    list.Remove(list.Earliest());
  }
}

TEST_F(EventListTest, SchedulingAndCancellingNeverAllocate) {
  ScriptedGenerator gen(std::vector<double>(200 * kGroups, 0.5));
  ScopedGenerator use(&gen);
  long before = g_allocations;
  for (int round = 0; round < 200; round++) {
    for (int g = 0; g < kGroups; g++) Schedule(g, (g * 7 + round) % 5);
    while (Event* ev = list.Earliest()) list.Remove(ev);
  }
  for (int g = 0; g < kGroups; g++) Schedule(g, g % 3);
  list.ClearEventList();
  EXPECT_EQ(g_allocations, before);
}

TEST_F(EventListTest, PrintListWritesOneLinePerSlotInArrayOrder) {
  groups[0].defineName(const_cast<char*>("A"));
  groups[1].defineName(const_cast<char*>("B"));
  Schedule(0, 2.5, 0.5);
  Schedule(1, 1.0, 0.0);
  std::ostringstream out;
  list.PrintList(out);
  EXPECT_EQ(out.str(),
            "------------------Event List-----------------\n"
            "(B) 0 --> 1\n"
            "(A) 0.5 --> 2.5\n"
            "---------------------------------------------\n\n");
}

// Seeded random insert/remove/re-key against a shadow that applies the same ordering rule.
TEST_F(EventListTest, RandomOperationsKeepTheHeapConsistentWithAShadow) {
  std::mt19937 rng(12345);
  std::vector<double> draws;
  for (int k = 0; k < 20000; k++) draws.push_back((rng() % 1000) / 1000.0);
  ScriptedGenerator gen(draws);
  ScopedGenerator use(&gen);
  for (int g = 0; g < kGroups; g++) groups[g].rank = g % 3;
  std::vector<double> shadow(kGroups, -1.0);  // -1: no event
  for (int step = 0; step < 20000; step++) {
    int g = rng() % kGroups;
    int op = rng() % 4;
    double t = (rng() % 16) / 2.0;  // a few distinct times, so ties occur
    if (shadow[g] < 0) {
      Schedule(g, t);
      shadow[g] = t;
    } else if (op == 0) {
      list.Remove(SlotOf(g));
      shadow[g] = -1.0;
    } else if (op == 1) {
      SlotOf(g)->exec_time = t;
      list.ModifyKey(SlotOf(g));
      shadow[g] = t;
    } else {
      Event* slot = list.Earliest();
      ASSERT_NE(slot, nullptr);
      int chosen = static_cast<int>(static_cast<FakeGroup*>(slot->action_ptr) - groups.data());
      // The chosen event must be minimal in time and maximal in rank at that time.
      for (int h = 0; h < kGroups; h++) {
        if (shadow[h] < 0) continue;
        ASSERT_LE(shadow[chosen], shadow[h]);
        if (shadow[h] == shadow[chosen]) {
          ASSERT_GE(groups[chosen].rank, groups[h].rank);
        }
      }
      list.Remove(slot);
      shadow[chosen] = -1.0;
    }
    ASSERT_EQ(list.IsValid(), 0) << "step " << step;
    int live = 0;
    for (int h = 0; h < kGroups; h++) {
      if (shadow[h] >= 0) {
        live++;
        ASSERT_NE(SlotOf(h), nullptr);
        ASSERT_EQ(SlotOf(h)->exec_time, shadow[h]);
      } else {
        ASSERT_EQ(SlotOf(h), nullptr);
      }
    }
    ASSERT_EQ(list.getSize(), live);
  }
}

}  // namespace

// A full list, filled in a shuffled order, empties in time order; after every removal each group
// still scheduled finds its own event through its address. The expected order is the sorted times.
TEST_F(EventListTest, AFullListEmptiesInTimeOrderAndEveryAddressFollowsItsEvent) {
  std::vector<int> order(kGroups);
  for (int g = 0; g < kGroups; g++) order[g] = g;
  std::shuffle(order.begin(), order.end(), std::mt19937(99));
  // Group g is due at 0.5 + (g * 37) mod 64: distinct times, in no relation to g or the insertion order.
  auto due = [](int g) { return 0.5 + (g * 37) % kGroups; };
  for (int g : order) Schedule(g, due(g));
  std::vector<int> expected(order);
  std::sort(expected.begin(), expected.end(), [&](int a, int b) { return due(a) < due(b); });
  std::vector<bool> pending(kGroups, true);
  for (int k = 0; k < kGroups; k++) {
    Event* slot = list.Earliest();
    ASSERT_NE(slot, nullptr);
    ASSERT_EQ(slot->action_ptr, &groups[expected[k]]) << "removal " << k;
    list.Remove(slot);
    pending[expected[k]] = false;
    for (int g = 0; g < kGroups; g++) {
      if (!pending[g]) {
        ASSERT_EQ(SlotOf(g), nullptr);
        continue;
      }
      ASSERT_NE(SlotOf(g), nullptr);
      ASSERT_EQ(SlotOf(g)->action_ptr, &groups[g]);
      ASSERT_EQ(SlotOf(g)->exec_time, due(g));
    }
  }
  EXPECT_EQ(list.Earliest(), nullptr);
  EXPECT_EQ(list.IsValid(), 0);
}

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

#include "Simulator/Heap.h"

TEST(HeapTest, GrowsByDoublingForSlotsAndIdentifiers) {
  Heap<int> h(2);
  h.Insert(5, 0);
  h.Insert(3, 1);
  h.Insert(4, 2);
  EXPECT_EQ(h.capacity, 4);
  EXPECT_EQ(h.MaxIndex, 4);
  h.Insert(1, 9);
  EXPECT_EQ(h.MaxIndex, 16);
  std::pair<int, int> out;
  h.Earliest(out);
  EXPECT_EQ(out, std::make_pair(1, 9));
  EXPECT_EQ(h.getElement(2), 4);
}

TEST(HeapTest, StartsEmptyAndStillGrows) {
  Heap<double> h(0);
  h.Insert(2.0, 0);
  h.Insert(1.0, 3);
  EXPECT_EQ(h.capacity, 2);
  EXPECT_EQ(h.MaxIndex, 4);
  std::pair<double, int> out;
  h.Earliest(out);
  EXPECT_EQ(out.second, 3);
}

TEST(HeapTest, ModifyKeyMovesEntriesBothWaysAgainstAShadow) {
  std::mt19937 rng(7);
  Heap<double> h(4);
  std::map<int, double> shadow;
  for (int id = 0; id < 50; id++) {
    double key = rng() % 100;
    h.Insert(key, id * 2);
    shadow[id * 2] = key;
  }
  for (int step = 0; step < 5000; step++) {
    int id = static_cast<int>(rng() % 50) * 2;
    double key = rng() % 100;
    h.ModifyKey(id, key);
    shadow[id] = key;
    std::pair<double, int> out;
    h.Earliest(out);
    double smallest = 1e9;
    for (auto& kv : shadow) smallest = std::min(smallest, kv.second);
    ASSERT_EQ(out.first, smallest);
    ASSERT_EQ(shadow[out.second], smallest);
    ASSERT_EQ(h.getElement(id), key);
  }
}

TEST(HeapDeathTest, EarliestOnAnEmptyHeapFailsItsAssertion) {
  Heap<int> h(3);
  std::pair<int, int> out;
  EXPECT_DEATH(h.Earliest(out), "!! Assertion failed in file Heap, line 171");
}

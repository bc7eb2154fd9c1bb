#include <gtest/gtest.h>

#include <map>
#include <random>
#include <utility>

#include "Simulator/Heap.h"

// Heaps made with room for 0 and for 2 entries take 40, under identifiers far beyond their room;
// raising the smallest key past all others each time then visits the keys in sorted order.
TEST(HeapTest, EntriesBeyondTheInitialRoomAreAllKept) {
  for (const int room : {0, 2}) {
    SCOPED_TRACE(room);
    Heap<int> h(room);
    std::map<int, int> shadow;  // identifier -> key
    for (int k = 0; k < 40; k++) {
      const int id = 7 * k + 3;
      const int key = (k * 17) % 40;  // 0..39, each once
      h.Insert(key, id);
      shadow[id] = key;
    }
    for (const auto& [id, key] : shadow) EXPECT_EQ(h.getElement(id), key) << "identifier " << id;
    for (int expected = 0; expected < 40; expected++) {
      std::pair<int, int> out;
      h.Earliest(out);
      ASSERT_EQ(out.first, expected);
      ASSERT_EQ(shadow[out.second], expected);
      h.ModifyKey(out.second, 1000 + expected);
    }
  }
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

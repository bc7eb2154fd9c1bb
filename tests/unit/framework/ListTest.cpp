#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "BaseClasses/List.h"

namespace {

struct Item {
  int n;
};

std::vector<Item*> contents(List<Item>& l) {
  std::vector<Item*> v;
  for (int i = 0; i < l.getNumItems(); i++) v.push_back(l[i]);
  return v;
}

TEST(ListEditing, AppendSkipsDuplicatesAndDoublesCapacity) {
  Item items[11];
  List<Item> l;
  EXPECT_EQ(l.getArraySize(), 10);
  for (int i = 0; i < 10; i++) l.append(&items[i]);
  l.append(&items[3]);  // present: count unchanged, but the full array still grows
  EXPECT_EQ(l.getNumItems(), 10);
  EXPECT_EQ(l.getArraySize(), 20);
  l.append(&items[10]);
  EXPECT_EQ(l.getNumItems(), 11);
  EXPECT_EQ(l.getArraySize(), 20);
  EXPECT_EQ(l.getList()[11], nullptr);
}

TEST(ListEditing, RemoveMovesTheLastItemIntoTheGap) {
  Item a, b, c, absent;
  List<Item> l;
  l.append(&a);
  l.append(&b);
  l.append(&c);
  l.remove(&absent);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&a, &b, &c}));
  l.remove(&a);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&c, &b}));
  EXPECT_EQ(l.getList()[2], nullptr);
}

TEST(ListEditing, ReplaceItemNeverLeavesADuplicate) {
  Item a, b, c;
  List<Item> l;
  l.append(&a);
  l.append(&c);
  l.append(&b);
  l.replaceItem(&a, &b);  // b present: a is removed instead
  EXPECT_EQ(contents(l), (std::vector<Item*>{&b, &c}));

  List<Item> m;
  m.append(&a);
  m.append(&c);
  m.replaceItem(&a, &b);  // position kept
  EXPECT_EQ(contents(m), (std::vector<Item*>{&b, &c}));
  m.replaceItem(&a, &c);  // a absent: nothing changes
  EXPECT_EQ(contents(m), (std::vector<Item*>{&b, &c}));
  m.replaceItem(&b, &b);  // replacing an item by itself keeps it
  EXPECT_EQ(contents(m), (std::vector<Item*>{&b, &c}));
}

TEST(ListEditing, RemoveSetKeepsOrderAndTheListStaysUsable) {
  Item a, b, c, d;
  List<Item> l;
  l.append(&a);
  l.append(&b);
  l.append(&c);
  l.append(&d);
  List<Item> set;
  set.append(&b);
  set.append(&d);
  l.removeSetOfItems(set);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&a, &c}));
  EXPECT_EQ(l.getArraySize(), 2);
  EXPECT_EQ(set.getNumItems(), 2);  // the set is untouched

  List<Item> all;
  all.append(&a);
  all.append(&c);
  l.removeSetOfItems(all);
  EXPECT_EQ(l.getNumItems(), 0);
  EXPECT_EQ(l.getArraySize(), 0);
  l.append(&b);  // growing from an empty array
  EXPECT_EQ(contents(l), (std::vector<Item*>{&b}));
  EXPECT_EQ(l.getArraySize(), 1);
}

TEST(ListEditing, AppendListAndArray) {
  Item a, b, c;
  List<Item> zero(0);
  zero.append(&a);
  EXPECT_EQ(zero.getNumItems(), 1);

  List<Item> other;
  other.append(&b);
  other.append(&a);
  other.append(&c);
  List<Item> l(1);
  l.append(&a);
  l.append(&other);  // needs 4: grows to 8, a skipped
  EXPECT_EQ(contents(l), (std::vector<Item*>{&a, &b, &c}));
  EXPECT_EQ(l.getArraySize(), 8);
  l.append(&l);  // appending itself changes nothing
  EXPECT_EQ(l.getNumItems(), 3);

  Item* arr[2] = {&c, &b};
  List<Item> m;
  m.append(arr, 2);
  EXPECT_EQ(contents(m), (std::vector<Item*>{&c, &b}));
  EXPECT_TRUE(m.contains(&c));
  m.clearList();
  EXPECT_EQ(m.getNumItems(), 0);
  EXPECT_FALSE(m.contains(&c));
}

TEST(ListEditing, PrintList) {
  List<Item> l;
  testing::internal::CaptureStdout();
  l.printList();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "No items in the list\n");
}

TEST(ListDeath, CheckedAccessAndShrinkingAbort) {
  Item a;
  List<Item> l;
  EXPECT_DEATH(l.getItem(0), "!! Assertion failed in file List, line ");
  l.append(&a);
  EXPECT_DEATH(l.getItem(1), "!! Assertion failed in file List, line ");
  EXPECT_DEATH(l.increaseArraySize(10), "!! Assertion failed in file List, line ");
}

// Seeded random operations compared after each step with a vector following the same rules.
TEST(ListShadow, RandomOperationsMatchAVectorShadow) {
  std::mt19937 rng(20240611u);
  Item pool[24];
  List<Item> l(0);
  std::vector<Item*> shadow;
  for (int step = 0; step < 5000; step++) {
    Item* x = &pool[rng() % 24];
    Item* y = &pool[rng() % 24];
    auto at = [&](Item* p) { return std::find(shadow.begin(), shadow.end(), p); };
    switch (rng() % 5) {
      case 0:
      case 1:
        l.append(x);
        if (at(x) == shadow.end()) shadow.push_back(x);
        break;
      case 2:
        l.remove(x);
        if (at(x) != shadow.end()) {
          *at(x) = shadow.back();
          shadow.pop_back();
        }
        break;
      case 3:
        l.replaceItem(x, y);
        if (x != y && at(x) != shadow.end()) {
          if (at(y) != shadow.end()) {
            *at(x) = shadow.back();
            shadow.pop_back();
          } else {
            *at(x) = y;
          }
        }
        break;
      case 4: {
        List<Item> set;
        set.append(x);
        set.append(y);
        l.removeSetOfItems(set);
        for (Item* s : {x, y}) {
          auto it = at(s);
          if (it != shadow.end()) shadow.erase(it);
          if (x == y) break;
        }
        break;
      }
    }
    ASSERT_EQ(contents(l), shadow) << "after step " << step;
    ASSERT_LE(l.getNumItems(), l.getArraySize());
  }
}

}  // namespace

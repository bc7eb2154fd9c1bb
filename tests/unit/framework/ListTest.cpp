#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
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

// Past the initial room of ten slots, with a duplicate arriving exactly when the list is full.
TEST(ListEditing, AppendSkipsDuplicatesAndKeepsTheSlotsAfterTheItemsEmpty) {
  Item items[11];
  List<Item> l;
  for (int i = 0; i < 10; i++) l.append(&items[i]);
  l.append(&items[3]);
  l.append(&items[10]);
  l.append(&items[0]);
  std::vector<Item*> expected;
  for (Item& i : items) expected.push_back(&i);
  EXPECT_EQ(contents(l), expected);
  for (int i = l.getNumItems(); i < l.getArraySize(); i++) EXPECT_EQ(l.getList()[i], nullptr) << "slot " << i;
}

// A list of capacity 0 or 1 keeps its slot inside the object; growing past it, shrinking to
// nothing and growing again must keep contents, null slots and capacities as for any list.
TEST(ListEditing, OneSlotListsGrowAndShrinkLikeOthers) {
  Item a, b, c;
  List<Item> one(1);
  EXPECT_EQ(one.getArraySize(), 1);
  EXPECT_EQ(one.getList()[0], nullptr);
  one.append(&a);
  one.append(&a);
  EXPECT_EQ(one.getNumItems(), 1);
  one.append(&b);
  EXPECT_EQ(one.getArraySize(), 2);
  one.append(&c);
  EXPECT_EQ(one.getArraySize(), 4);
  EXPECT_EQ(contents(one), (std::vector<Item*>{&a, &b, &c}));
  EXPECT_EQ(one.getList()[3], nullptr);
  List<Item> all;
  all.append(&a);
  all.append(&b);
  all.append(&c);
  one.removeSetOfItems(all);
  EXPECT_EQ(one.getNumItems(), 0);
  one.append(&c);
  EXPECT_EQ(contents(one), (std::vector<Item*>{&c}));

  List<Item> none(0);
  EXPECT_EQ(none.getArraySize(), 0);
  none.append(&b);
  EXPECT_EQ(none.getArraySize(), 1);
  none.append(&a);
  EXPECT_EQ(none.getArraySize(), 2);
  EXPECT_EQ(contents(none), (std::vector<Item*>{&b, &a}));
  none.remove(&b);
  EXPECT_EQ(contents(none), (std::vector<Item*>{&a}));
}

// Up to two slots the list keeps them inside the object, which is no larger than a pointer to a
// heap array and two counts. Every edit that crosses between the two homes must keep the items,
// their order and the empty slots after them.
TEST(ListInline, TwoItemsStayInsideAndEditsCrossBetweenInsideAndHeap) {
  EXPECT_EQ(sizeof(List<Item>), 2 * sizeof(void*) + 2 * sizeof(int));
  Item a, b, c, d;
  auto emptyAfterItems = [](List<Item>& l) {
    for (int i = l.getNumItems(); i < l.getArraySize(); i++)
      if (l.getList()[i] != nullptr) return false;
    return true;
  };
  List<Item> l(1);
  l.append(&a);
  l.append(&b);
  EXPECT_TRUE(l.slotsInside());
  EXPECT_EQ(l.getArraySize(), 2);
  l.append(&c);  // to the heap, with room for four
  EXPECT_FALSE(l.slotsInside());
  EXPECT_EQ(contents(l), (std::vector<Item*>{&a, &b, &c}));
  EXPECT_TRUE(emptyAfterItems(l));

  // Removing the set {a} leaves two items: the list shrinks back inside.
  List<Item> set(1);
  set.append(&a);
  l.removeSetOfItems(set);
  EXPECT_TRUE(l.slotsInside());
  EXPECT_EQ(contents(l), (std::vector<Item*>{&b, &c}));
  l.replaceItem(&b, &d);  // inside: position kept
  EXPECT_EQ(contents(l), (std::vector<Item*>{&d, &c}));
  l.replaceItem(&d, &c);  // c present: d goes, the last item moves into its place
  EXPECT_EQ(contents(l), (std::vector<Item*>{&c}));
  EXPECT_EQ(l.getList()[1], nullptr);
  l.append(&l);  // itself: nothing new, nothing grows
  EXPECT_EQ(contents(l), (std::vector<Item*>{&c}));
  EXPECT_EQ(l.getArraySize(), 2);
  l.append(&a);
  l.append(&l);  // full and appending itself: it grows to the heap while it reads itself
  EXPECT_EQ(contents(l), (std::vector<Item*>{&c, &a}));
  l.append(&b);
  l.append(&d);
  l.append(&l);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&c, &a, &b, &d}));
  EXPECT_EQ(l.getArraySize(), 8);  // appending a list grows to twice the items wanted, 2 * (2 + 2)

  // Removing one by one never moves the slots; the capacity stays that of the heap array.
  l.remove(&c);
  l.remove(&b);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&d, &a}));
  EXPECT_FALSE(l.slotsInside());
  EXPECT_TRUE(emptyAfterItems(l));
  l.clearList();
  EXPECT_EQ(l.getNumItems(), 0);
  EXPECT_TRUE(emptyAfterItems(l));

  // A list emptied by removing a set of its own items comes back inside with no room at all.
  List<Item> m(1);
  for (Item* x : {&a, &b, &c}) m.append(x);
  m.removeSetOfItems(m);
  EXPECT_EQ(m.getNumItems(), 0);
  EXPECT_EQ(m.getArraySize(), 0);
  EXPECT_TRUE(m.slotsInside());
  m.append(&d);
  m.append(&a);
  m.append(&b);  // 0 -> 1 -> 2 inside, then 4 on the heap
  EXPECT_EQ(m.getArraySize(), 4);
  EXPECT_EQ(contents(m), (std::vector<Item*>{&d, &a, &b}));

  // Three items kept out of five stay on the heap with exactly that room.
  List<Item> big;
  Item e;
  for (Item* x : {&a, &b, &c, &d, &e}) big.append(x);
  List<Item> two;
  two.append(&b);
  two.append(&d);
  big.removeSetOfItems(two);
  EXPECT_EQ(big.getArraySize(), 3);
  EXPECT_FALSE(big.slotsInside());
  EXPECT_EQ(contents(big), (std::vector<Item*>{&a, &c, &e}));
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
  EXPECT_EQ(contents(set), (std::vector<Item*>{&b, &d}));  // the set is untouched

  List<Item> all;
  all.append(&a);
  all.append(&c);
  l.removeSetOfItems(all);
  EXPECT_EQ(l.getNumItems(), 0);
  l.append(&b);  // growing from no slots at all
  l.append(&c);
  EXPECT_EQ(contents(l), (std::vector<Item*>{&b, &c}));
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
  l.append(&other);  // one slot to start with; a is skipped
  EXPECT_EQ(contents(l), (std::vector<Item*>{&a, &b, &c}));
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

// A whole model's array (64 items or more) takes another duplicate check; its result, order and
// growth must be those of appending the items one by one.
// A long array appends the items appending them one by one would, in the same order.
TEST(ListEditing, LongArraysAppendAsItemByItem) {
  std::vector<Item> pool(300);
  std::mt19937 rng(7u);
  // 0: no item twice; 1: repeats inside the array; 2: the array repeats an item already listed.
  for (int repeats : {0, 1, 2}) {
    std::vector<Item*> arr;
    for (int i = 0; i < 200; i++) arr.push_back(&pool[repeats == 1 ? rng() % 150 : i + 100]);
    List<Item> bulk(1);
    List<Item> single(1);
    for (List<Item>* l : {&bulk, &single}) {
      l->append(&pool[5]);
      l->append(&pool[repeats == 2 ? 120 : 50]);
    }
    bulk.append(arr.data(), static_cast<int>(arr.size()));
    for (Item* x : arr) single.append(x);
    EXPECT_EQ(contents(bulk), contents(single)) << "repeats " << repeats;
    // Without a repeat every item goes in, and the list takes room for exactly that many: 2 + 200
    // slots where growing step by step (1, 2, 4, ...) reaches 256.
    if (repeats == 0) {
      EXPECT_EQ(bulk.getArraySize(), 202);
      EXPECT_EQ(single.getArraySize(), 256);
    } else {
      EXPECT_EQ(bulk.getArraySize(), single.getArraySize()) << "repeats " << repeats;
    }
  }
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

// Appending an array of 64 items or more checks duplicates through a hash set; the outcome must be
// the same as appending one by one: what was listed stays first, then each new item at its first
// occurrence. The shadow is a vector for the order and a set for what is present.
TEST(ListShadow, AppendingAnArrayMatchesAVectorAndSetShadowAcrossTheHashThreshold) {
  std::mt19937 rng(20261208u);
  std::vector<Item> pool(400);
  for (const int n : {1, 63, 64, 65, 200, 1000}) {
    for (const int before : {0, 9, 10, 70}) {
      for (const int distinct : {n, n / 2 + 1}) {  // all different, or about half repeats
        SCOPED_TRACE(testing::Message() << n << " items (" << distinct << " distinct) after " << before);
        List<Item> l;
        std::vector<Item*> shadow;
        std::set<Item*> present;
        auto shadowAppend = [&](Item* x) {
          if (present.insert(x).second) shadow.push_back(x);
        };
        for (int i = 0; i < before; i++) {
          Item* x = &pool[rng() % pool.size()];
          l.append(x);
          shadowAppend(x);
        }
        // Draws from a window of the pool overlapping what is already listed.
        std::vector<Item*> items;
        const size_t window = std::min(pool.size(), static_cast<size_t>(distinct));
        for (int i = 0; i < n; i++) items.push_back(&pool[i < distinct ? i % window : rng() % window]);
        std::shuffle(items.begin(), items.end(), rng);
        l.append(items.data(), n);
        for (Item* x : items) shadowAppend(x);
        ASSERT_EQ(contents(l), shadow);
        for (int i = l.getNumItems(); i < l.getArraySize(); i++) ASSERT_EQ(l.getList()[i], nullptr);
        for (Item& x : pool) ASSERT_EQ(l.contains(&x), present.count(&x) == 1);
      }
    }
  }
}

// The duplicates that matter most sit on either side of the threshold: the 64th item repeating
// the first, and items repeating what was listed before the call.
TEST(ListShadow, DuplicatesAtTheHashThresholdAreSkipped) {
  Item pool[70];
  std::vector<Item*> items;
  for (int i = 0; i < 63; i++) items.push_back(&pool[i]);
  items.push_back(&pool[0]);  // 64 items, 63 distinct
  List<Item> l;
  l.append(items.data(), 64);
  ASSERT_EQ(l.getNumItems(), 63);
  for (int i = 0; i < 63; i++) EXPECT_EQ(l[i], &pool[i]);

  List<Item> m;
  m.append(&pool[69]);
  m.append(&pool[5]);
  std::vector<Item*> more;
  for (int i = 0; i < 64; i++) more.push_back(&pool[i]);
  more.push_back(&pool[69]);  // listed before the call
  m.append(more.data(), 65);
  // 69 and 5 first as they were, then 0..63 without 5: 2 + 63 items.
  ASSERT_EQ(m.getNumItems(), 65);
  EXPECT_EQ(m[0], &pool[69]);
  EXPECT_EQ(m[1], &pool[5]);
  EXPECT_EQ(m[2], &pool[0]);
  EXPECT_EQ(m[6], &pool[4]);
  EXPECT_EQ(m[7], &pool[6]);
  EXPECT_EQ(m[64], &pool[63]);
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

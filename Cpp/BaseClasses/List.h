// List<C>: the framework's growable list of borrowed object pointers, without duplicates.
// Used for actions, groups, models and state variables. The list owns only its slot array;
// it never deletes the objects it holds. Slots at and beyond NumItems are always null.
// A list of at most two slots keeps them inside the object, over the place the array pointer
// takes otherwise: every action and state variable has two lists, most with one or two items,
// and a heap array each was a large share of a big model's memory and start-up allocations.
// The capacity (getArraySize) is the one the list would have with a heap array: the inline
// room of two slots is used as room for one or two.
#ifndef KAVRIN_BASECLASSES_LIST_H
#define KAVRIN_BASECLASSES_LIST_H

#include <algorithm>
#include <functional>
#include <iostream>
#include <new>
#include <unordered_set>
#include <vector>

#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

// Allocates n objects of T or ends the process through MemoryAllocationError().
template <class T>
T* KavrinNewArray(int n) {
  T* p = new (std::nothrow) T[n > 0 ? n : 1];
  if (p == nullptr) MemoryAllocationError();
  return p;
}

template <class C>
class List {
 public:
  List() : NumItems(0), ArraySize(0) { allocate(10); }
  explicit List(int slots) : NumItems(0), ArraySize(0) { allocate(slots); }
  ~List() { release(); }

  // Copying would share the slot array between two owners.
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  void append(C* item) {
    if (NumItems >= ArraySize) increaseArraySize(grownSize(ArraySize));
    insertItem(item);
  }

  void append(List<C>* other) {
    if (other == nullptr) return;
    int wanted = NumItems + other->NumItems;
    if (ArraySize < wanted) increaseArraySize(grownSize(wanted));
    // Reading by index, after the growth, keeps this safe when other is this list.
    int n = other->NumItems;
    for (int i = 0; i < n; i++) insertItem(other->slots()[i]);
  }

  // Whole models are listed this way: past a few dozen items the duplicate check sorts a copy of
  // the pointers, or listing n actions would cost n * n comparisons; only when that finds a
  // repeat does a hash set decide item by item. The order is that of appending one by one.
  void append(C** items, int n) {
    if (n < 64) {
      for (int i = 0; i < n; i++) append(items[i]);
      return;
    }
    std::vector<const C*> sorted(slots(), slots() + NumItems);
    sorted.insert(sorted.end(), items, items + n);
    std::sort(sorted.begin(), sorted.end(), std::less<const C*>());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
      std::vector<const C*>().swap(sorted);
      // Every item goes in: room for exactly that many (a whole model's list is large, and
      // growing it by steps left up to two fifths of it unused).
      if (ArraySize < NumItems + n) increaseArraySize(NumItems + n);
      for (int i = 0; i < n; i++) slots()[NumItems++] = items[i];
      return;
    }
    std::vector<const C*>().swap(sorted);
    std::unordered_set<const C*> present(slots(), slots() + NumItems);
    for (int i = 0; i < n; i++) {
      if (NumItems >= ArraySize) increaseArraySize(grownSize(ArraySize));
      if (present.insert(items[i]).second) slots()[NumItems++] = items[i];
    }
  }

  void insertItem(C* item) {
    if (contains(item)) return;
    KAVRIN_CHECK(NumItems < ArraySize, "List", 87);
    slots()[NumItems++] = item;
  }

  void remove(C* item) {
    C** s = slots();
    for (int i = 0; i < NumItems; i++) {
      if (s[i] == item) {
        s[i] = s[NumItems - 1];
        s[NumItems - 1] = nullptr;
        NumItems--;
        return;
      }
    }
  }

  void replaceItem(C* oldItem, C* newItem) {
    if (oldItem == newItem) return;
    C** s = slots();
    int oldAt = -1;
    bool newPresent = false;
    for (int i = 0; i < NumItems; i++) {
      if (oldAt < 0 && s[i] == oldItem) oldAt = i;
      if (s[i] == newItem) newPresent = true;
    }
    if (oldAt < 0) return;
    if (newPresent)
      remove(oldItem);
    else
      s[oldAt] = newItem;
  }

  // Each entry of the set removes at most one matching item; the others keep their order. The
  // capacity becomes the number of items kept (inside the object again for two or fewer).
  void removeSetOfItems(const List<C>& set) {
    C** s = slots();
    const C* const* gone = set.slots();
    std::vector<bool> removed(static_cast<size_t>(NumItems), false);
    int remaining = NumItems;
    for (int g = 0; g < set.NumItems; g++) {
      for (int i = 0; i < NumItems; i++) {
        if (!removed[i] && s[i] == gone[g]) {
          removed[i] = true;
          remaining--;
          break;
        }
      }
    }
    C* firstTwo[2] = {nullptr, nullptr};
    C** kept = remaining > 2 ? KavrinNewArray<C*>(remaining) : firstTwo;
    int k = 0;
    for (int i = 0; i < NumItems; i++)
      if (!removed[i]) kept[k++] = s[i];
    release();
    NumItems = remaining;
    ArraySize = remaining;
    if (remaining > 2) {
      Room.Heap = kept;
    } else {
      Room.Inline[0] = firstTwo[0];
      Room.Inline[1] = firstTwo[1];
    }
  }

  bool contains(const C* item) const {
    const C* const* s = slots();
    for (int i = 0; i < NumItems; i++)
      if (s[i] == item) return true;
    return false;
  }

  void clearList() {
    C** s = slots();
    for (int i = 0; i < NumItems; i++) s[i] = nullptr;
    NumItems = 0;
  }

  void increaseArraySize(int n) {
    KAVRIN_CHECK(n > ArraySize, "List", 154);
    if (n <= kInline) {
      ArraySize = n;
      return;
    }
    C** grown = new (std::nothrow) C*[n];
    if (grown == nullptr)
      MemoryAllocationError("!! Crtical error in List<C>::append(List*) do to insufficient memory...exiting");
    C** s = slots();
    for (int i = 0; i < n; i++) grown[i] = i < NumItems ? s[i] : nullptr;
    release();
    Room.Heap = grown;
    ArraySize = n;
  }

  int getNumItems() const { return NumItems; }
  int getArraySize() const { return ArraySize; }
  // Valid until the list grows or shrinks (a list of two slots or fewer answers its own inside).
  C** getList() { return slots(); }

  C* getItem(int i) {
    KAVRIN_CHECK(NumItems > 0 && i >= 0 && i < NumItems, "List", 173);
    return slots()[i];
  }

  C* operator[](int i) { return slots()[i]; }

  void printList() {
    if (NumItems == 0) {
      std::cout << "No items in the list" << std::endl;
      return;
    }
    for (int i = 0; i < NumItems; i++)
      std::cout << "[" << i << "] " << static_cast<const void*>(slots()[i]) << std::endl;
  }

  // Whether the slots are inside the object (for the tests of the switch between the two).
  bool slotsInside() const { return ArraySize <= kInline; }

 private:
  static constexpr int kInline = 2;

  // Doubling from an empty array would stay empty.
  static int grownSize(int n) { return n > 0 ? 2 * n : 1; }

  C** slots() { return ArraySize <= kInline ? Room.Inline : Room.Heap; }
  const C* const* slots() const { return ArraySize <= kInline ? Room.Inline : Room.Heap; }

  void allocate(int n) {
    if (n < 0) n = 0;
    ArraySize = n;
    if (n <= kInline) {
      Room.Inline[0] = nullptr;
      Room.Inline[1] = nullptr;
      return;
    }
    Room.Heap = KavrinNewArray<C*>(n);
    for (int i = 0; i < n; i++) Room.Heap[i] = nullptr;
  }

  void release() {
    if (ArraySize > kInline) delete[] Room.Heap;
  }

  // The slot array: on the heap past two slots, inside the object up to two.
  union Slots {
    C** Heap;
    C* Inline[kInline];
  } Room;
  int NumItems;
  int ArraySize;
};

#endif

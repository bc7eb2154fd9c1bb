// List<C>: the framework's growable list of borrowed object pointers, without duplicates.
// Used for actions, groups, models and state variables. The list owns only its slot array;
// it never deletes the objects it holds. Slots at and beyond NumItems are always null.
// A list of at most one slot keeps that slot inside the object: every action and state
// variable has two lists, most with one item, and a heap array each was a large share of a
// big model's memory and start-up allocations.
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
 protected:
  C** TheList;
  int NumItems;
  int ArraySize;

 public:
  List() : TheList(nullptr), NumItems(0), ArraySize(0), Inline(nullptr) { allocate(10); }
  explicit List(int n) : TheList(nullptr), NumItems(0), ArraySize(0), Inline(nullptr) { allocate(n); }
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
    // Reading by index keeps this safe when other is this list.
    int n = other->NumItems;
    for (int i = 0; i < n; i++) insertItem(other->TheList[i]);
  }

  // Whole models are listed this way: past a few dozen items the duplicate check sorts a copy of
  // the pointers, or listing n actions would cost n * n comparisons; only when that finds a
  // repeat does a hash set decide item by item. Order and growth are unchanged.
  void append(C** items, int n) {
    if (n < 64) {
      for (int i = 0; i < n; i++) append(items[i]);
      return;
    }
    std::vector<const C*> sorted(TheList, TheList + NumItems);
    sorted.insert(sorted.end(), items, items + n);
    std::sort(sorted.begin(), sorted.end(), std::less<const C*>());
    if (std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end()) {
      std::vector<const C*>().swap(sorted);
      for (int i = 0; i < n; i++) {
        if (NumItems >= ArraySize) increaseArraySize(grownSize(ArraySize));
        TheList[NumItems++] = items[i];
      }
      return;
    }
    std::vector<const C*>().swap(sorted);
    std::unordered_set<const C*> present(TheList, TheList + NumItems);
    for (int i = 0; i < n; i++) {
      if (NumItems >= ArraySize) increaseArraySize(grownSize(ArraySize));
      if (present.insert(items[i]).second) TheList[NumItems++] = items[i];
    }
  }

  void insertItem(C* item) {
    if (contains(item)) return;
    KAVRIN_CHECK(NumItems < ArraySize, "List", 87);
    TheList[NumItems++] = item;
  }

  void remove(C* item) {
    for (int i = 0; i < NumItems; i++) {
      if (TheList[i] == item) {
        TheList[i] = TheList[NumItems - 1];
        TheList[NumItems - 1] = nullptr;
        NumItems--;
        return;
      }
    }
  }

  void replaceItem(C* oldItem, C* newItem) {
    if (oldItem == newItem) return;
    int oldAt = -1;
    bool newPresent = false;
    for (int i = 0; i < NumItems; i++) {
      if (oldAt < 0 && TheList[i] == oldItem) oldAt = i;
      if (TheList[i] == newItem) newPresent = true;
    }
    if (oldAt < 0) return;
    if (newPresent)
      remove(oldItem);
    else
      TheList[oldAt] = newItem;
  }

  // Each entry of the set removes at most one matching item; the others keep their order.
  void removeSetOfItems(const List<C>& set) {
    int remaining = NumItems;
    bool* gone = KavrinNewArray<bool>(NumItems);
    for (int i = 0; i < NumItems; i++) gone[i] = false;
    for (int s = 0; s < set.NumItems; s++) {
      for (int i = 0; i < NumItems; i++) {
        if (!gone[i] && TheList[i] == set.TheList[s]) {
          gone[i] = true;
          remaining--;
          break;
        }
      }
    }
    C** kept = KavrinNewArray<C*>(remaining);
    int k = 0;
    for (int i = 0; i < NumItems; i++)
      if (!gone[i]) kept[k++] = TheList[i];
    delete[] gone;
    release();
    TheList = kept;
    NumItems = remaining;
    ArraySize = remaining;
  }

  bool contains(const C* item) const {
    for (int i = 0; i < NumItems; i++)
      if (TheList[i] == item) return true;
    return false;
  }

  void clearList() {
    for (int i = 0; i < NumItems; i++) TheList[i] = nullptr;
    NumItems = 0;
  }

  void increaseArraySize(int n) {
    KAVRIN_CHECK(n > ArraySize, "List", 154);
    if (n <= 1 && TheList == &Inline) {
      ArraySize = n;
      return;
    }
    C** grown = new (std::nothrow) C*[n];
    if (grown == nullptr)
      MemoryAllocationError("!! Crtical error in List<C>::append(List*) do to insufficient memory...exiting");
    for (int i = 0; i < n; i++) grown[i] = i < NumItems ? TheList[i] : nullptr;
    release();
    TheList = grown;
    ArraySize = n;
  }

  int getNumItems() const { return NumItems; }
  int getArraySize() const { return ArraySize; }
  C** getList() { return TheList; }

  C* getItem(int i) {
    KAVRIN_CHECK(NumItems > 0 && i >= 0 && i < NumItems, "List", 173);
    return TheList[i];
  }

  C* operator[](int i) { return TheList[i]; }

  void printList() {
    if (NumItems == 0) {
      std::cout << "No items in the list" << std::endl;
      return;
    }
    for (int i = 0; i < NumItems; i++)
      std::cout << "[" << i << "] " << static_cast<const void*>(TheList[i]) << std::endl;
  }

 private:
  // Doubling from an empty array would stay empty.
  static int grownSize(int n) { return n > 0 ? 2 * n : 1; }

  void allocate(int n) {
    if (n < 0) n = 0;
    TheList = n <= 1 ? &Inline : KavrinNewArray<C*>(n);
    for (int i = 0; i < (n > 0 ? n : 1); i++) TheList[i] = nullptr;
    ArraySize = n;
  }

  void release() {
    if (TheList != &Inline) delete[] TheList;
  }

  // The slot array of a list of capacity 0 or 1.
  C* Inline;
};

#endif

// Indexed min-heap of keys, each tagged with a caller-chosen non-negative identifier, so that the
// key of an identifier can be read and re-keyed in place. The run drivers keep their batch
// bookkeeping in it. Entries are never removed: an identifier stays for the heap's life.
// The heap owns its three arrays; they grow by doubling and never shrink.
#ifndef KAVRIN_SIMULATOR_HEAP_H
#define KAVRIN_SIMULATOR_HEAP_H

#include <algorithm>
#include <utility>
#include <vector>

#include "BaseClasses/debug.h"

template <class T>
class Heap {
 public:
  int capacity;
  std::vector<T> A;                 // keys in heap order
  std::vector<int> KeyPointers;     // identifier -> heap position
  std::vector<int> InvKeyPointers;  // heap position -> identifier
  int MaxIndex;
  int size;

  explicit Heap(int cap)
      : capacity(cap < 0 ? 0 : cap),
        A(capacity, T()),
        KeyPointers(capacity, 0),
        InvKeyPointers(capacity, 0),
        MaxIndex(capacity),
        size(0) {}

  void Insert(const T& key, int id) {
    KAVRIN_CHECK(id >= 0, "Heap", 33);
    if (size == capacity) {
      // From an empty heap, doubling would stay at zero.
      capacity = std::max(1, 2 * capacity);
      A.resize(capacity, T());
      InvKeyPointers.resize(capacity, 0);
    }
    if (id >= MaxIndex) {
      while (id >= MaxIndex) MaxIndex = std::max(1, 2 * MaxIndex);
      KeyPointers.resize(MaxIndex, 0);
    }
    A[size] = key;
    KeyPointers[id] = size;
    InvKeyPointers[size] = id;
    size++;
    BubbleUp(size - 1);
  }

  void Earliest(std::pair<T, int>& out) const {
    KAVRIN_ASSERT(size > 0, "Heap", 171);
    out.first = A[0];
    out.second = InvKeyPointers[0];
  }

  void ModifyKey(int id, const T& key) {
    int pos = PositionOf(id);
    A[pos] = key;
    if (BubbleUp(pos) == pos) BubbleDown(pos);
  }

  T getElement(int id) const { return A[PositionOf(id)]; }

 private:
  int PositionOf(int id) const {
    KAVRIN_CHECK(id >= 0 && id < MaxIndex, "Heap", 67);
    int pos = KeyPointers[id];
    KAVRIN_CHECK(pos < size && InvKeyPointers[pos] == id, "Heap", 69);
    return pos;
  }

  void Swap(int i, int j) {
    std::swap(A[i], A[j]);
    std::swap(InvKeyPointers[i], InvKeyPointers[j]);
    KeyPointers[InvKeyPointers[i]] = i;
    KeyPointers[InvKeyPointers[j]] = j;
  }

  // Returns the position where the entry came to rest.
  int BubbleUp(int i) {
    while (i > 0) {
      int parent = (i - 1) / 2;
      if (!(A[i] < A[parent])) break;
      Swap(i, parent);
      i = parent;
    }
    return i;
  }

  void BubbleDown(int i) {
    for (;;) {
      int child = 2 * i + 1;
      if (child >= size) return;
      if (child + 1 < size && A[child + 1] < A[child]) child++;
      if (!(A[child] < A[i])) return;
      Swap(i, child);
      i = child;
    }
  }
};

#endif

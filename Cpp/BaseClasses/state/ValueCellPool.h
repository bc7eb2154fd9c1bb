// ValueCellPool: where scalar state variables keep their value cells. Cells of 1, 2, 4 and 8
// bytes are carved side by side from shared blocks, so the markings of a large model sit in a
// few cache lines instead of one allocator chunk each, and a firing that changes a marking does
// not miss the cache for it. A returned cell is reused by the next variable of its size; the
// blocks live as long as the process. Other sizes come from the ordinary heap. (The records of the
// sharing chains have an arena of their own, SharingRecordArena, which is given back whole.)
#ifndef KAVRIN_BASECLASSES_STATE_VALUECELLPOOL_H
#define KAVRIN_BASECLASSES_STATE_VALUECELLPOOL_H

#include <cstddef>
#include <new>
#include <type_traits>

#include "BaseClasses/List.h"
#include "BaseClasses/StandardErrors.h"

class ValueCellPool {
 public:
  // A cell for one C, value-initialised; ends the process when memory runs out.
  template <class C>
  static C* Take() {
    if (!Pooled<C>()) return KavrinNewArray<C>(1);
    void* cell = TakeRaw(sizeof(C));
    if (cell == nullptr) MemoryAllocationError();
    return new (cell) C();
  }

  // Returns a cell made by Take<C>; null is ignored.
  template <class C>
  static void Give(C* cell) {
    if (cell == nullptr) return;
    if (!Pooled<C>()) {
      delete[] cell;
      return;
    }
    GiveRaw(cell, sizeof(C));
  }

  // Raw memory of 1, 2, 4 or 8 bytes (size must be one of them), aligned for its size; null only
  // when memory runs out.
  static void* TakeRaw(size_t size) noexcept;
  static void GiveRaw(void* cell, size_t size) noexcept;

 private:
  template <class C>
  static constexpr bool Pooled() {
    return std::is_trivially_copyable<C>::value && std::is_trivially_destructible<C>::value &&
           (sizeof(C) == 1 || sizeof(C) == 2 || sizeof(C) == 4 || sizeof(C) == 8) && alignof(C) <= sizeof(C);
  }
};

#endif

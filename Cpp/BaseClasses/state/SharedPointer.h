// SharedPointer<C>: one record of a sharing chain. It names what must always point at the chain's
// current value cell: either a pointer variable (an activity's mark pointer, a place's own), or a
// variable of the chain itself (whose value pointer follows the cell, and which takes part in the
// chain's action lists). The record borrows what it names. Records are 16 bytes, carved from the
// ValueCellPool's blocks: a large model has several per place, and they are only ever made and
// freed one at a time.
#ifndef KAVRIN_BASECLASSES_STATE_SHAREDPOINTER_H
#define KAVRIN_BASECLASSES_STATE_SHAREDPOINTER_H

#include <cstddef>
#include <cstdint>
#include <new>

#include "BaseClasses/state/ValueCellPool.h"

class BaseStateVariableClass;

template <class C>
class SharedPointer {
 protected:
  // A C** or, with the low bit set, the owning variable (both at least 2-aligned).
  std::uintptr_t Target;
  SharedPointer<C>* Next;

 public:
  SharedPointer() : Target(0), Next(nullptr) {}

  static void* operator new(size_t size) {
    void* p = Pooled(size) ? ValueCellPool::TakeRaw(size) : ::operator new(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  static void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Pooled(size) ? ValueCellPool::TakeRaw(size) : ::operator new(size, std::nothrow);
  }
  static void operator delete(void* p, size_t size) noexcept {
    if (p == nullptr) return;
    if (Pooled(size))
      ValueCellPool::GiveRaw(p, size);
    else
      ::operator delete(p);
  }

  // The record names a pointer variable...
  void setPointer(C** p) { Target = reinterpret_cast<std::uintptr_t>(p); }
  C** getPointer() const { return (Target & 1u) != 0 ? nullptr : reinterpret_cast<C**>(Target); }
  // ...or a variable of the chain (whose value pointer its own class re-points).
  void setOwner(BaseStateVariableClass* o) { Target = reinterpret_cast<std::uintptr_t>(o) | 1u; }
  BaseStateVariableClass* getOwner() const {
    return (Target & 1u) != 0 ? reinterpret_cast<BaseStateVariableClass*>(Target & ~std::uintptr_t(1))
                              : nullptr;
  }

  void setNeighbor(SharedPointer<C>* n) { Next = n; }
  SharedPointer<C>* getNeighbor() const { return Next; }

 private:
  static constexpr bool Pooled(size_t size) { return size == 16; }
};

#endif

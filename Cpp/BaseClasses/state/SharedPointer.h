// SharedPointer<C>: one record of a sharing chain. It names a pointer variable (an activity's mark
// pointer, or any other registered pointer) that must always point at the chain's current value
// cell, and borrows it. The variables of the chain are not recorded here: a leader keeps them in
// a chain of its own. Records are 16 bytes, carved from the SharingRecordArena: a large model has
// about one per arc, and all of them go back once the model is assembled.
#ifndef KAVRIN_BASECLASSES_STATE_SHAREDPOINTER_H
#define KAVRIN_BASECLASSES_STATE_SHAREDPOINTER_H

#include <cstddef>
#include <new>

#include "BaseClasses/state/SharingRecordArena.h"

template <class C>
class SharedPointer {
 protected:
  C** TheSharedPointer;
  SharedPointer<C>* Next;

 public:
  SharedPointer() : TheSharedPointer(nullptr), Next(nullptr) {}

  static void* operator new(size_t size) {
    void* p = Pooled(size) ? SharingRecordArena::Take(size) : ::operator new(size);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  static void* operator new(size_t size, const std::nothrow_t&) noexcept {
    return Pooled(size) ? SharingRecordArena::Take(size) : ::operator new(size, std::nothrow);
  }
  static void operator delete(void* p, size_t size) noexcept {
    if (p == nullptr) return;
    if (Pooled(size))
      SharingRecordArena::Give(p, size);
    else
      ::operator delete(p);
  }

  void setPointer(C** p) { TheSharedPointer = p; }
  C** getPointer() const { return TheSharedPointer; }
  void setNeighbor(SharedPointer<C>* n) { Next = n; }
  SharedPointer<C>* getNeighbor() const { return Next; }

  void changePointer(C* cell) {
    if (TheSharedPointer != nullptr) *TheSharedPointer = cell;
  }

 private:
  static constexpr bool Pooled(size_t size) { return size % 8 == 0 && size >= 8 && size <= 32; }
};

#endif

// SharedPointer<C>: one record of a sharing chain. It names a pointer variable (a variable's
// value pointer or a place's mark pointer) that must always point at the chain's current value
// cell. The record borrows both the pointer variable and its owner.
#ifndef KAVRIN_SHAREDPOINTER_H
#define KAVRIN_SHAREDPOINTER_H

class BaseStateVariableClass;

template <class C>
class SharedPointer {
 protected:
  C** TheSharedPointer;
  BaseStateVariableClass* Owner;
  SharedPointer<C>* Next;

 public:
  SharedPointer() : TheSharedPointer(nullptr), Owner(nullptr), Next(nullptr) {}

  void setPointer(C** p) { TheSharedPointer = p; }
  C** getPointer() const { return TheSharedPointer; }
  void setNeighbor(SharedPointer<C>* n) { Next = n; }
  SharedPointer<C>* getNeighbor() const { return Next; }
  void setOwner(BaseStateVariableClass* o) { Owner = o; }
  BaseStateVariableClass* getOwner() const { return Owner; }

  void changePointer(C* cell) {
    if (TheSharedPointer != nullptr) *TheSharedPointer = cell;
  }
};

#endif

// ExtendedPlace<C>: a place whose marking is of type C (the generated model uses int). Its
// marking is the value cell itself; registering the cell's own pointer counts it as an ordinary
// place counts its mark (see SharableSV::Register).
#ifndef KAVRIN_BASECLASSES_SAN_EXTENDEDPLACE_H
#define KAVRIN_BASECLASSES_SAN_EXTENDEDPLACE_H

#include <iostream>

#include "BaseClasses/debug.h"
#include "BaseClasses/state/SharableSV.h"

template <class C>
class ExtendedPlace : public SharableSV<C> {
 public:
  ExtendedPlace() : SharableSV<C>() { this->Register(&this->TheState); }

  explicit ExtendedPlace(const char* name) : SharableSV<C>() {
    this->SetName(name);
    this->Register(&this->TheState);
  }

  ExtendedPlace(const char* name, const char* prefix) : SharableSV<C>() {
    this->SetName(name);
    this->SetPrefix(prefix);
    this->Register(&this->TheState);
  }

  ExtendedPlace(const char* name, C initialMarking) : SharableSV<C>() {
    this->SetName(name);
    this->Register(&this->TheState);
    setInitialMark(initialMarking);
  }

  ExtendedPlace(const char* name, const char* prefix, C initialMarking) : SharableSV<C>() {
    this->SetName(name);
    this->SetPrefix(prefix);
    this->Register(&this->TheState);
    setInitialMark(initialMarking);
  }

  int StateSize() override { return static_cast<int>(sizeof(C)); }
  void SetState(void* buffer) override { readMemory2<C>(buffer, this->TheState); }
  void CurrentState(void* buffer) override { writeMemory<C>(*this->TheState, buffer); }

  C& Mark() { return *this->TheState; }
  C getMark() const { return *this->TheState; }
  void setMark(C m) { *this->TheState = m; }

 private:
  void setInitialMark(C m) {
    *this->TheState = m;
    KAVRIN_DEBUG(1, "Initial Marking for " << this->getName() << " is " << m);
  }
};

#endif

// SharableSV<C>: a scalar state variable whose value cell can be joined with other variables
// ("equivalence sharing"). Each variable keeps a chain of SharedPointer records naming every
// pointer that must follow its value cell; when variables are joined, the leader keeps its cell
// and re-points every pointer of the absorbed chains at it.
// Owns its value cell (from the ValueCellPool) and its chain records while it is the leader
// (Stored); an absorbed variable borrows the leader's cell and action lists (borrowListsOf).
#ifndef KAVRIN_BASECLASSES_STATE_SHARABLESV_H
#define KAVRIN_BASECLASSES_STATE_SHARABLESV_H

#include <iostream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/debug.h"
#include "BaseClasses/state/SharedPointer.h"
#include "BaseClasses/state/ValueCellPool.h"

template <class C>
class SharableSV : public BaseStateVariableClass {
 protected:
  C* TheState;
  SharedPointer<C>* Head;
  SharableSV<C>* Leader;

 public:
  using BaseStateVariableClass::printState;

  SharableSV() : BaseStateVariableClass(), TheState(nullptr), Head(nullptr), Leader(this) {
    TheState = ValueCellPool::Take<C>();
    *TheState = 0;
    registerMyself();
  }

  ~SharableSV() override {
    if (Stored) ValueCellPool::Give(TheState);
    SharedPointer<C>* p = Head;
    while (p != nullptr) {
      SharedPointer<C>* next = p->getNeighbor();
      delete p;
      p = next;
    }
    Head = nullptr;
  }

  int StateSize() override { return static_cast<int>(sizeof(C)); }
  void SetState(void* buffer) override { readMemory2<C>(buffer, TheState); }
  void CurrentState(void* buffer) override { writeMemory<C>(*TheState, buffer); }

  void printState(std::ostream* s) override { *s << getName() << " = " << *TheState << std::endl; }
  void printStateVal(std::ostream* s) override { *s << *TheState; }

  void share(BaseStateVariableClass* other) override {
    SharableSV<C>* same = dynamic_cast<SharableSV<C>*>(other);
    KAVRIN_CHECK(same != nullptr, "SharableSV", 54);
    ShareWith(same);
  }

  // Every owner of the chain shares one affecting list, so one append serves them all; an
  // absorbed variable leaves the list to its leader.
  void appendAffectingAction(BaseActionClass* a) override {
    if (Leader != this) return;
    for (SharedPointer<C>* p = Head; p != nullptr; p = p->getNeighbor()) {
      BaseStateVariableClass* owner = p->getOwner();
      if (owner == nullptr) continue;
      owner->BaseStateVariableClass::appendAffectingAction(a);
      KAVRIN_DEBUG(2, "Appended affecting action to"
                          << " = " << owner->getName());
    }
  }

  C getState() const { return *TheState; }
  void setState(C value) { *TheState = value; }
  C& State() { return *TheState; }
  C* getPointer() const { return TheState; }

  void setPointer(C* cell) {
    LayoutEpoch++;
    TheState = cell;
    for (SharedPointer<C>* p = Head; p != nullptr; p = p->getNeighbor()) {
      if (BaseStateVariableClass* owner = p->getOwner())
        static_cast<SharableSV<C>*>(owner)->TheState = cell;
      else if (C** pointer = p->getPointer())
        *pointer = cell;
    }
  }

  SharableSV<C>* getLeader() const { return Leader; }
  void setLeader(SharableSV<C>* l) { Leader = l; }
  SharedPointer<C>* getHead() const { return Head; }
  void setHeadToNull() { Head = nullptr; }

  void registerMyself() {
    SharingCount++;
    pushRecord(nullptr, this);
  }

  // Makes *p follow this variable's value cell from now on.
  void Register(C** p) {
    // An absorbed variable's chain is no longer walked: its leader must hold the record.
    if (!Stored && Leader != this) {
      findLeader()->Register(p);
      return;
    }
    KAVRIN_CHECK(TheState != nullptr, "SharableSV", 99);
    *p = TheState;
    SharingCount++;
    pushRecord(p, nullptr);
  }

  // Absorbs other (a leader) into this variable, which becomes or stays the leader.
  void Register(SharableSV<C>* other) {
    if (other == this) return;
    LayoutEpoch++;
    if (other->Stored) ValueCellPool::Give(other->TheState);
    other->TheState = nullptr;
    other->Leader = this;
    other->setPointer(TheState);
    other->Shared = true;
    other->Stored = false;

    if (other->getAffectingActions() != getAffectingActions()) {
      getAffectingActions()->append(other->getAffectingActions());
      getEnabledActions()->append(other->getEnabledActions());
      other->borrowListsOf(this);
    }

    SharedPointer<C>* last = nullptr;
    for (SharedPointer<C>* p = other->Head; p != nullptr; p = p->getNeighbor()) {
      BaseStateVariableClass* owner = p->getOwner();
      if (owner != nullptr) {
        if (owner != other) owner->borrowListsOf(this);
        // Variables that other had absorbed earlier must name the new leader too.
        static_cast<SharableSV<C>*>(owner)->Leader = this;
      }
      last = p;
    }
    if (last != nullptr) {
      last->setNeighbor(Head);
      Head = other->Head;
      SharingCount += other->SharingCount;
    }
    other->Head = nullptr;

    KAVRIN_DEBUG(3, "Now " << getName() << " has a head pointer = " << static_cast<void*>(Head) << ", "
                           << SharingCount << " elements, " << chainLength() << " in its chain");
  }

  void ShareWith(SharableSV<C>* other) {
    // Variables already joined through a common leader need nothing more; registering a
    // leader with itself would free its own cell.
    if (findLeader() == other->findLeader()) return;
    if (other->Stored && Stored) {
      Shared = true;
      setState(other->getState());
      Register(other);
    } else if (other->Stored) {
      findLeader()->Register(other);
    } else if (Stored) {
      other->findLeader()->Register(this);
    } else if (SharingCount > other->findLeader()->SharingCount) {
      findLeader()->Register(other->findLeader());
    } else {
      other->findLeader()->Register(findLeader());
    }
    SharableSV<C>* leader = Leader;
    List<BaseActionClass>* affecting = other->getAffectingActions();
    for (int i = 0; i < affecting->getNumItems(); i++) (*affecting)[i]->replaceAffectedSV(other, leader);
    List<BaseActionClass>* enabled = other->getEnabledActions();
    for (int i = 0; i < enabled->getNumItems(); i++) (*enabled)[i]->replaceEnablingSV(other, leader);
  }

  SharableSV<C>* findLeader() {
    SharableSV<C>* l = this;
    while (l->Leader != l && l->Leader != nullptr) l = l->Leader;
    return l;
  }

 private:
  int chainLength() const {
    int n = 0;
    for (SharedPointer<C>* p = Head; p != nullptr; p = p->getNeighbor()) n++;
    return n;
  }

  void pushRecord(C** p, BaseStateVariableClass* owner) {
    SharedPointer<C>* r = new (std::nothrow) SharedPointer<C>();
    if (r == nullptr) MemoryAllocationError();
    if (owner != nullptr)
      r->setOwner(owner);
    else
      r->setPointer(p);
    r->setNeighbor(Head);
    Head = r;
  }
};

#endif

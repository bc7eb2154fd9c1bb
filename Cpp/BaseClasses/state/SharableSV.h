// SharableSV<C>: a scalar state variable whose value cell can be joined with other variables
// ("equivalence sharing"). A leader keeps the variables it absorbed in a chain through
// NextMember, and a chain of SharedPointer records naming every other pointer that must follow
// its value cell; when variables are joined, the leader keeps its cell and re-points the
// absorbed variables and every pointer of their chains at it.
// Owns its value cell (from the ValueCellPool) and its records while it is the leader (Stored);
// an absorbed variable borrows the leader's cell and action lists, and the variable it borrows
// the lists from (borrowListsOf) is its leader.
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
  SharedPointer<C>* Head;     // the pointers that follow this leader's cell
  SharableSV<C>* NextMember;  // a leader: the first variable it absorbed; then the next one

 public:
  using BaseStateVariableClass::printState;

  SharableSV() : BaseStateVariableClass(), TheState(nullptr), Head(nullptr), NextMember(nullptr) {
    TheState = ValueCellPool::Take<C>();
    *TheState = 0;
    SharingCount++;  // the variable's own value pointer
  }

  ~SharableSV() override {
    if (Stored) ValueCellPool::Give(TheState);
    dropRecords();
  }

  // Once the model is assembled nothing joins its variables any more, and every pointer already
  // points at the cell it will keep: the records go back to the arena. A join or a registration
  // after that is a fault of the caller, caught by the checks below.
  void ReleaseSharingRecords() override {
    dropRecords();
    Head = Released();
  }
  bool sharingRecordsReleased() const { return Head == Released(); }

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

  // Every variable of the chain reads the leader's affecting list, so one append serves them all;
  // an absorbed variable leaves the list to its leader.
  void appendAffectingAction(BaseActionClass* a) override {
    if (borrowsLists()) return;
    BaseStateVariableClass::appendAffectingAction(a);
    KAVRIN_DEBUG(2, "Appended affecting action to"
                        << " = " << getName());
  }

  C getState() const { return *TheState; }
  void setState(C value) { *TheState = value; }
  C& State() { return *TheState; }
  C* getPointer() const { return TheState; }

  void setPointer(C* cell) {
    LayoutEpoch++;
    TheState = cell;
    for (SharableSV<C>* m = NextMember; m != nullptr; m = m->NextMember) m->TheState = cell;
    for (SharedPointer<C>* p = Head; p != nullptr; p = p->getNeighbor()) p->changePointer(cell);
  }

  // The variable whose cell and lists this one uses: itself while it is a leader.
  SharableSV<C>* getLeader() { return findLeader(); }
  SharedPointer<C>* getHead() const { return Head; }
  SharableSV<C>* getNextMember() const { return NextMember; }
  void setHeadToNull() { Head = nullptr; }

  // Makes *p follow this variable's value cell from now on. A place registers its own value
  // pointer this way (&TheState), which is counted (the count decides which leader absorbs which)
  // but follows through the chain of members, with no record of its own.
  void Register(C** p) {
    KAVRIN_CHECK(!findLeader()->sharingRecordsReleased(), "SharableSV", 85);
    // An absorbed variable's records are no longer walked: its leader must hold the record.
    if (!Stored && borrowsLists()) {
      findLeader()->Register(p);
      return;
    }
    KAVRIN_CHECK(TheState != nullptr, "SharableSV", 99);
    *p = TheState;
    SharingCount++;
    if (p != &TheState) pushRecord(p);
  }

  // Absorbs other (a leader) into this variable, which becomes or stays the leader.
  void Register(SharableSV<C>* other) {
    if (other == this) return;
    KAVRIN_CHECK(!sharingRecordsReleased() && !other->sharingRecordsReleased(), "SharableSV", 112);
    LayoutEpoch++;
    if (other->Stored) ValueCellPool::Give(other->TheState);
    other->TheState = nullptr;
    other->setPointer(TheState);
    other->Shared = true;
    other->Stored = false;

    if (other->getAffectingActions() != getAffectingActions()) {
      getAffectingActions()->append(other->getAffectingActions());
      getEnabledActions()->append(other->getEnabledActions());
    }
    // other and the variables it had absorbed now borrow from this one: it is their leader.
    other->borrowListsOf(this);
    SharableSV<C>* lastMember = other;
    for (SharableSV<C>* m = other->NextMember; m != nullptr; m = m->NextMember) {
      m->borrowListsOf(this);
      lastMember = m;
    }
    lastMember->NextMember = NextMember;
    NextMember = other;

    SharedPointer<C>* last = nullptr;
    for (SharedPointer<C>* p = other->Head; p != nullptr; p = p->getNeighbor()) last = p;
    if (last != nullptr) {
      last->setNeighbor(Head);
      Head = other->Head;
    }
    SharingCount += other->SharingCount;
    other->Head = nullptr;

    KAVRIN_DEBUG(3, "Now " << getName() << " has a head pointer = " << static_cast<void*>(Head) << ", "
                           << SharingCount << " elements, " << chainLength() << " in its chain");
  }

  void ShareWith(SharableSV<C>* other) {
    KAVRIN_CHECK(!findLeader()->sharingRecordsReleased() && !other->findLeader()->sharingRecordsReleased(),
                 "SharableSV", 140);
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
    SharableSV<C>* leader = findLeader();
    List<BaseActionClass>* affecting = other->getAffectingActions();
    for (int i = 0; i < affecting->getNumItems(); i++) (*affecting)[i]->replaceAffectedSV(other, leader);
    List<BaseActionClass>* enabled = other->getEnabledActions();
    for (int i = 0; i < enabled->getNumItems(); i++) (*enabled)[i]->replaceEnablingSV(other, leader);
  }

  SharableSV<C>* findLeader() { return static_cast<SharableSV<C>*>(listsOwner()); }

 private:
  int chainLength() const {
    int n = 0;
    for (SharedPointer<C>* p = Head; p != nullptr; p = p->getNeighbor()) n++;
    return n;
  }

  // The mark of a chain whose records went back: a record no variable ever holds.
  static SharedPointer<C>* Released() {
    static SharedPointer<C> mark;
    return &mark;
  }

  void dropRecords() {
    SharedPointer<C>* p = Head == Released() ? nullptr : Head;
    while (p != nullptr) {
      SharedPointer<C>* next = p->getNeighbor();
      delete p;
      p = next;
    }
    Head = nullptr;
  }

  void pushRecord(C** p) {
    SharedPointer<C>* r = new (std::nothrow) SharedPointer<C>();
    if (r == nullptr) MemoryAllocationError();
    r->setPointer(p);
    r->setNeighbor(Head);
    Head = r;
  }
};

#endif

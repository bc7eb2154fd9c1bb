// BaseStateVariableClass: the root of every state variable (places, composite variables).
// It names itself by a name and a prefix, both interned texts (KavrinName.h), and keeps inside
// itself the two action lists that the connectivity analysis reads: the actions that change it
// and the actions whose enabling reads it. A variable absorbed by sharing gives its own lists up
// and borrows its leader's instead (borrowListsOf).
// Also here: the raw-state copy helpers through which every variable saves and loads its value.
#ifndef KAVRIN_BASECLASSES_BASESTATEVARIABLECLASS_H
#define KAVRIN_BASECLASSES_BASESTATEVARIABLECLASS_H

#include <cstring>
#include <iostream>

#include "BaseClasses/KavrinName.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"

class BaseActionClass;

class BaseStateVariableClass {
 protected:
  const char* StateVariableName;   // interned
  const char* VariableNamePrefix;  // interned
  bool Shared;
  bool Stored;
  bool FunctionallyShared;
  bool BorrowsLists;  // Lists holds the lender, not this variable's own lists
  int SharingCount;

 public:
  BaseStateVariableClass();
  BaseStateVariableClass(const char* name, const char* prefix);

  BaseStateVariableClass(const BaseStateVariableClass&) = delete;
  BaseStateVariableClass& operator=(const BaseStateVariableClass&) = delete;

  virtual ~BaseStateVariableClass();
  virtual int StateSize() = 0;
  virtual void SetState(void* buffer) = 0;
  virtual void CurrentState(void* buffer) = 0;
  virtual void printState(std::ostream* s);
  virtual void printState();
  // Gives back the records that joining variables needs, once the model is assembled; a composite
  // variable asks its leaves. Joining this variable afterwards is a fault of the caller.
  virtual void ReleaseSharingRecords();
  virtual void printStateVal(std::ostream* s);
  virtual void share(BaseStateVariableClass* other) = 0;
  virtual void appendAffectingAction(BaseActionClass* a);
  virtual void removeAffectingAction(BaseActionClass* a);
  virtual void replaceAffectingAction(BaseActionClass* oldAction, BaseActionClass* newAction);
  virtual void addSelfAsEnablingSVToAction(BaseActionClass* a);
  virtual void addSelfAsAffectedSVToAction(BaseActionClass* a);
  virtual void removeSelfFromEnablingSVOfAction(BaseActionClass* a);
  virtual void removeSelfFromAffectedSVOfAction(BaseActionClass* a);
  virtual List<BaseStateVariableClass>* getLeafNodes();  // new list, owned by the caller
  virtual int getNumLeafNodes();
  virtual bool isLeafNode();
  virtual void appendEnabledAction(BaseActionClass* a);
  virtual void removeEnabledAction(BaseActionClass* a);
  virtual void replaceEnabledAction(BaseActionClass* oldAction, BaseActionClass* newAction);

  void SetName(const char* name);
  void SetPrefix(const char* prefix);
  const char* getName() const { return StateVariableName; }
  const char* getPrefix() const { return VariableNamePrefix; }
  // "prefix.name", or the name itself without a prefix: an interned text, made when asked for (a
  // large composed model has tens of thousands of places whose qualified names no run shows).
  const char* getFullyQualifiedName() const;

  bool getShared() const { return Shared; }
  void setShared(bool b) { Shared = b; }
  bool getStored() const { return Stored; }
  void setStored(bool b) {
    Stored = b;
    LayoutEpoch++;
  }
  bool getFunctionallyShared() const { return FunctionallyShared; }
  void setFunctionallyShared(bool b) { FunctionallyShared = b; }
  int getSharingCount() const { return SharingCount; }

  // The lists this variable reads and changes through: its own, or those of the variable whose
  // lists it borrows.
  List<BaseActionClass>* getAffectingActions() {
    return BorrowsLists ? Lists.Lender->getAffectingActions() : &Lists.Own.Affecting;
  }
  BaseActionClass* getAffectingAction(int i);
  int getNumAffectingActions() { return getAffectingActions()->getNumItems(); }
  void copyAffectingActions(List<BaseActionClass>* actions) { getAffectingActions()->append(actions); }
  void printAffectingActions() { getAffectingActions()->printList(); }

  List<BaseActionClass>* getEnabledActions() {
    return BorrowsLists ? Lists.Lender->getEnabledActions() : &Lists.Own.Enabled;
  }
  BaseActionClass* getEnabledAction(int i);
  int getNumEnabledActions() { return getEnabledActions()->getNumItems(); }
  void copyEnabledActions(List<BaseActionClass>* actions) { getEnabledActions()->append(actions); }
  void printEnabledActions() { getEnabledActions()->printList(); }

  // From now on this variable reads and changes lender's lists. Its own lists, if it still has
  // them, are dropped: the caller has merged them into the lender's first. A lender whose lists
  // are this variable's own changes nothing. The lender must outlive every use of the lists
  // through this variable.
  void borrowListsOf(BaseStateVariableClass* lender);
  bool borrowsLists() const { return BorrowsLists; }
  // The variable that owns the lists this one uses: itself unless it borrows.
  BaseStateVariableClass* listsOwner() const {
    const BaseStateVariableClass* v = this;
    while (v->BorrowsLists) v = v->Lists.Lender;
    return const_cast<BaseStateVariableClass*>(v);
  }

  // Advanced by every change that can move a variable's value cell or change which variables a
  // model image covers (sharing, the Stored flag, a new array element), so that a model may keep
  // a precomputed copy plan of its image and know when it has gone stale.
  static inline unsigned long LayoutEpoch = 0;

 private:
  // A variable keeps its two lists inside itself while it is their owner; one that borrows keeps
  // the lender in the same room instead (most variables never share, and two heap lists each
  // were a large part of a big model's memory).
  struct OwnLists {
    OwnLists() : Affecting(1), Enabled(1) {}
    List<BaseActionClass> Affecting;
    List<BaseActionClass> Enabled;
  };
  union ListRoom {
    ListRoom() : Own() {}
    ~ListRoom() {}
    OwnLists Own;
    BaseStateVariableClass* Lender;
  } Lists;
};

// Raw-state helpers: byte copies in the machine's native order, no alignment required.
template <class T>
void writeMemory(T value, void* location) {
  KAVRIN_DEBUG(2, "Writing value to location"
                      << " = " << location);
  std::memcpy(location, &value, sizeof(T));
}

template <class T>
void readMemory2(const void* location, T* value) {
  KAVRIN_DEBUG(2, "Reading value from"
                      << " = " << location);
  KAVRIN_DEBUG(2, "Saving value to location"
                      << " = " << static_cast<const void*>(value));
  std::memcpy(value, location, sizeof(T));
}

template <class T>
void writeArray(const T* values, void* location, int count) {
  if (count > 0) std::memcpy(location, values, sizeof(T) * static_cast<size_t>(count));
}

template <class T>
void readArray(T* values, const void* location, int count) {
  if (count > 0) std::memcpy(values, location, sizeof(T) * static_cast<size_t>(count));
}

#endif

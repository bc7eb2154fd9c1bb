// BaseStateVariableClass: the root of every state variable (places, composite variables).
// It owns its name and prefix, and, while it is Stored, the two action lists that the
// connectivity analysis reads: the actions that change it and the actions whose enabling reads
// it. A variable absorbed by sharing borrows its leader's lists instead.
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
  char* StateVariableName;
  char* VariableNamePrefix;
  bool Shared;
  bool Stored;
  bool FunctionallyShared;
  int SharingCount;
  List<BaseActionClass>* SVAffectingActions;
  List<BaseActionClass>* SVEnabledActions;
  // "prefix.name", or the name itself (the same text) without a prefix; built when first asked
  // for (a large composed model has tens of thousands of places whose names no run shows) and
  // dropped whenever either part changes: null until then. An empty prefix and the default name
  // are shared texts, never freed.
  mutable char* FullyQualifiedName;

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
  // Valid until the name or prefix changes or the variable is destroyed.
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

  List<BaseActionClass>* getAffectingActions() { return SVAffectingActions; }
  BaseActionClass* getAffectingAction(int i);
  int getNumAffectingActions() { return SVAffectingActions->getNumItems(); }
  void copyAffectingActions(List<BaseActionClass>* actions) { SVAffectingActions->append(actions); }
  void setAffectingActions(List<BaseActionClass>* actions) { SVAffectingActions = actions; }
  void printAffectingActions() { SVAffectingActions->printList(); }

  List<BaseActionClass>* getEnabledActions() { return SVEnabledActions; }
  BaseActionClass* getEnabledAction(int i);
  int getNumEnabledActions() { return SVEnabledActions->getNumItems(); }
  void copyEnabledActions(List<BaseActionClass>* actions) { SVEnabledActions->append(actions); }
  void setEnabledActions(List<BaseActionClass>* actions) { SVEnabledActions = actions; }
  void printEnabledActions() { SVEnabledActions->printList(); }

  // Advanced by every change that can move a variable's value cell or change which variables a
  // model image covers (sharing, the Stored flag, a new array element), so that a model may keep
  // a precomputed copy plan of its image and know when it has gone stale.
  static inline unsigned long LayoutEpoch = 0;

 private:
  void forgetFullyQualifiedName();
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

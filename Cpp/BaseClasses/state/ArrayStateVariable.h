// BaseArrayStateVariable: a composite state variable made of like elements in index order.
// It is not a leaf: actions list its elements. Its raw state is the elements' raw states
// concatenated, and sharing two arrays shares them element by element.
// ArrayStateVariable<T>: the typed front that hands elements out as T.
// The element array is owned; the elements are borrowed (their creator deletes them).
#ifndef KAVRIN_BASECLASSES_STATE_ARRAYSTATEVARIABLE_H
#define KAVRIN_BASECLASSES_STATE_ARRAYSTATEVARIABLE_H

#include <iostream>
#include <vector>

#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/KavrinEnums.h"

class BaseArrayStateVariable : public BaseStateVariableClass {
 public:
  ArrayType type;
  std::vector<BaseStateVariableClass*> fields;

  BaseArrayStateVariable(const char* name, const char* prefix, ArrayType t, int size);

  int StateSize() override;
  void SetState(void* buffer) override;
  void CurrentState(void* buffer) override;
  using BaseStateVariableClass::printState;
  void printState(std::ostream* s) override;
  void share(BaseStateVariableClass* other) override;
  void appendAffectingAction(BaseActionClass* a) override;
  void addSelfAsEnablingSVToAction(BaseActionClass* a) override;
  void addSelfAsAffectedSVToAction(BaseActionClass* a) override;
  void removeSelfFromEnablingSVOfAction(BaseActionClass* a) override;
  void removeSelfFromAffectedSVOfAction(BaseActionClass* a) override;
  List<BaseStateVariableClass>* getLeafNodes() override;
  int getNumLeafNodes() override;
  bool isLeafNode() override;
  void appendEnabledAction(BaseActionClass* a) override;
  virtual void ShareWith(BaseArrayStateVariable* other);

  ArrayType getType() const { return type; }
  int getSize() const { return static_cast<int>(fields.size()); }
  void appendElement(BaseStateVariableClass* element) {
    fields.push_back(element);
    LayoutEpoch++;
  }
  // Element i; an index outside the array ends the process.
  BaseStateVariableClass* Index(int i);
};

template <class T>
class ArrayStateVariable : public BaseArrayStateVariable {
 public:
  ArrayStateVariable(const char* name, const char* prefix, ArrayType t, int size)
      : BaseArrayStateVariable(name, prefix, t, size) {}

  T* Index(int i) { return static_cast<T*>(BaseArrayStateVariable::Index(i)); }
  T* index(int i) { return Index(i); }
  T* operator[](int i) { return Index(i); }
};

#endif

// BaseStructStateVariable: a composite state variable made of typed fields in declaration
// order. It is not a leaf: actions list its fields' leaves. Its raw state is the fields' raw
// states concatenated; sharing two structures shares them field by field and merges their
// action lists. The field array is owned; the field variables belong to the derived structure.
#ifndef KAVRIN_BASECLASSES_STATE_STRUCTSTATEVARIABLE_H
#define KAVRIN_BASECLASSES_STATE_STRUCTSTATEVARIABLE_H

#include <iostream>
#include <vector>

#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/KavrinEnums.h"

class BaseStructStateVariable : public BaseStateVariableClass {
 public:
  struct fieldType {
    BaseStateVariableClass* field;
    ArrayType type;
  };

  int calculatedStateSize;
  std::vector<fieldType> fields;

  BaseStructStateVariable(const char* name, const char* prefix);
  BaseStructStateVariable(const char* name, const char* prefix, const ArrayType* types, int n);

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
  virtual void ShareWith(BaseStructStateVariable* other);
  virtual fieldType field(ArrayType t, BaseStateVariableClass* v);

  void makeArrays(const ArrayType* types, int n);
  int getSize() const { return static_cast<int>(fields.size()); }
  ArrayType getType(int i) const;
};

#endif

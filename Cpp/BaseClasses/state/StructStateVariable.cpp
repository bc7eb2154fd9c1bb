#include "BaseClasses/state/StructStateVariable.h"

#include <iostream>
#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/debug.h"

namespace {
// Bytes of a field that has no variable yet: the declared kind's width.
int kindBytes(ArrayType t) {
  switch (t) {
    case ArrayType_SHORT:
      return 2;
    case ArrayType_INT:
      return 4;
    case ArrayType_CHAR:
      return 1;
    case ArrayType_DOUBLE:
      return 8;
    case ArrayType_FLOAT:
      return 4;
    default:
      return 0;
  }
}

// A field contributes its own size, so its writes always stay inside its share of the image.
int fieldBytes(const BaseStructStateVariable::fieldType& f) {
  return f.field != nullptr ? f.field->StateSize() : kindBytes(f.type);
}
}  // namespace

BaseStructStateVariable::BaseStructStateVariable(const char* name, const char* prefix)
    : BaseStateVariableClass(name, prefix), calculatedStateSize(-1) {
  Shared = false;
  Stored = true;
}

BaseStructStateVariable::BaseStructStateVariable(const char* name, const char* prefix, const ArrayType* types,
                                                 int n)
    : BaseStructStateVariable(name, prefix) {
  makeArrays(types, n);
}

void BaseStructStateVariable::makeArrays(const ArrayType* types, int n) {
  for (int i = 0; i < n; i++) fields.push_back(field(types[i], nullptr));
  calculatedStateSize = -1;
}

BaseStructStateVariable::fieldType BaseStructStateVariable::field(ArrayType t, BaseStateVariableClass* v) {
  fieldType f;
  f.field = v;
  f.type = t;
  return f;
}

ArrayType BaseStructStateVariable::getType(int i) const {
  KAVRIN_CHECK(i >= 0 && i < getSize(), "StructStateVariable", 59);
  return fields[static_cast<size_t>(i)].type;
}

int BaseStructStateVariable::StateSize() {
  if (calculatedStateSize < 0) {
    int total = 0;
    for (const fieldType& f : fields) total += fieldBytes(f);
    calculatedStateSize = total;
  }
  return calculatedStateSize;
}

void BaseStructStateVariable::SetState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (const fieldType& f : fields) {
    if (f.field != nullptr) f.field->SetState(at);
    at += fieldBytes(f);
  }
}

void BaseStructStateVariable::CurrentState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (const fieldType& f : fields) {
    if (f.field != nullptr) f.field->CurrentState(at);
    at += fieldBytes(f);
  }
}

void BaseStructStateVariable::printState(std::ostream* s) {
  *s << getName() << " = {" << std::endl;
  for (const fieldType& f : fields) {
    if (f.field == nullptr) continue;
    *s << ".";
    f.field->printState(s);
  }
  *s << "}" << std::endl;
}

void BaseStructStateVariable::share(BaseStateVariableClass* other) {
  BaseStructStateVariable* otherStruct = dynamic_cast<BaseStructStateVariable*>(other);
  KAVRIN_CHECK(otherStruct != nullptr, "StructStateVariable", 100);
  ShareWith(otherStruct);
}

void BaseStructStateVariable::ShareWith(BaseStructStateVariable* otherStruct) {
  if (otherStruct == this) return;
  auto otheri = otherStruct->fields.begin();
  for (auto i = fields.begin(); i != fields.end(); ++i, ++otheri) {
    KAVRIN_ASSERT_AS(otheri != otherStruct->fields.end(), "otheri!=otherStruct->fields.end()",
                     "StructStateVariable", 109);
    if (i->field != nullptr && otheri->field != nullptr) i->field->share(otheri->field);
  }
  // A second share of the same pair finds the lists already merged.
  if (otherStruct->getAffectingActions() != getAffectingActions()) {
    getAffectingActions()->append(otherStruct->getAffectingActions());
    getEnabledActions()->append(otherStruct->getEnabledActions());
    otherStruct->borrowListsOf(this);
  }
  otherStruct->Shared = true;
  otherStruct->Stored = false;
  LayoutEpoch++;
  List<BaseActionClass>* affecting = otherStruct->getAffectingActions();
  for (int k = 0; k < affecting->getNumItems(); k++) (*affecting)[k]->replaceAffectedSV(otherStruct, this);
  List<BaseActionClass>* enabled = otherStruct->getEnabledActions();
  for (int k = 0; k < enabled->getNumItems(); k++) (*enabled)[k]->replaceEnablingSV(otherStruct, this);
}

void BaseStructStateVariable::appendAffectingAction(BaseActionClass* a) {
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->appendAffectingAction(a);
  BaseStateVariableClass::appendAffectingAction(a);
}

void BaseStructStateVariable::appendEnabledAction(BaseActionClass* a) {
  BaseStateVariableClass::appendEnabledAction(a);
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->appendEnabledAction(a);
}

void BaseStructStateVariable::addSelfAsEnablingSVToAction(BaseActionClass* a) {
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->addSelfAsEnablingSVToAction(a);
}

void BaseStructStateVariable::addSelfAsAffectedSVToAction(BaseActionClass* a) {
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->addSelfAsAffectedSVToAction(a);
}

void BaseStructStateVariable::removeSelfFromEnablingSVOfAction(BaseActionClass* a) {
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->removeSelfFromEnablingSVOfAction(a);
}

void BaseStructStateVariable::removeSelfFromAffectedSVOfAction(BaseActionClass* a) {
  for (const fieldType& f : fields)
    if (f.field != nullptr) f.field->removeSelfFromAffectedSVOfAction(a);
}

List<BaseStateVariableClass>* BaseStructStateVariable::getLeafNodes() {
  if (fields.empty()) return BaseStateVariableClass::getLeafNodes();
  List<BaseStateVariableClass>* leaves = new (std::nothrow) List<BaseStateVariableClass>(getNumLeafNodes());
  if (leaves == nullptr) MemoryAllocationError();
  for (const fieldType& f : fields) {
    if (f.field == nullptr) continue;
    List<BaseStateVariableClass>* sub = f.field->getLeafNodes();
    leaves->append(sub);
    delete sub;
  }
  return leaves;
}

int BaseStructStateVariable::getNumLeafNodes() {
  int n = 0;
  for (const fieldType& f : fields)
    if (f.field != nullptr) n += f.field->getNumLeafNodes();
  return n == 0 ? 1 : n;
}

bool BaseStructStateVariable::isLeafNode() { return fields.empty(); }

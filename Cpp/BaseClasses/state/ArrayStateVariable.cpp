#include "BaseClasses/state/ArrayStateVariable.h"

#include <iostream>
#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/debug.h"

BaseArrayStateVariable::BaseArrayStateVariable(const char* name, const char* prefix, ArrayType t, int size)
    : BaseStateVariableClass(name, prefix), type(t) {
  if (size > 0) fields.reserve(static_cast<size_t>(size));
}

// Each element contributes its own size, so an element of another width than the declared kind
// cannot write past the image.
int BaseArrayStateVariable::StateSize() {
  int total = 0;
  for (BaseStateVariableClass* e : fields) total += e->StateSize();
  return total;
}

void BaseArrayStateVariable::SetState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (BaseStateVariableClass* e : fields) {
    e->SetState(at);
    at += e->StateSize();
  }
}

void BaseArrayStateVariable::CurrentState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (BaseStateVariableClass* e : fields) {
    e->CurrentState(at);
    at += e->StateSize();
  }
}

void BaseArrayStateVariable::printState(std::ostream* s) {
  *s << getName() << " = {" << std::endl;
  for (BaseStateVariableClass* e : fields) e->printState(s);
  *s << "}" << std::endl;
}

void BaseArrayStateVariable::share(BaseStateVariableClass* other) {
  BaseArrayStateVariable* otherArray = dynamic_cast<BaseArrayStateVariable*>(other);
  KAVRIN_CHECK(otherArray != nullptr, "ArrayStateVariable", 46);
  ShareWith(otherArray);
}

void BaseArrayStateVariable::ShareWith(BaseArrayStateVariable* otherArray) {
  if (otherArray == this) return;
  auto otheri = otherArray->fields.begin();
  for (auto i = fields.begin(); i != fields.end(); ++i, ++otheri) {
    KAVRIN_ASSERT_AS(otheri != otherArray->fields.end(), "otheri!=otherArray->fields.end()",
                     "ArrayStateVariable", 55);
    (*i)->share(*otheri);
  }
}

void BaseArrayStateVariable::appendAffectingAction(BaseActionClass* a) {
  KAVRIN_CHECK(a != nullptr, "ArrayStateVariable", 61);
  for (BaseStateVariableClass* e : fields) e->appendAffectingAction(a);
}

void BaseArrayStateVariable::appendEnabledAction(BaseActionClass* a) {
  KAVRIN_CHECK(a != nullptr, "ArrayStateVariable", 66);
  BaseStateVariableClass::appendEnabledAction(a);
  for (BaseStateVariableClass* e : fields) e->appendEnabledAction(a);
}

void BaseArrayStateVariable::addSelfAsEnablingSVToAction(BaseActionClass* a) {
  for (BaseStateVariableClass* e : fields) e->addSelfAsEnablingSVToAction(a);
}

void BaseArrayStateVariable::addSelfAsAffectedSVToAction(BaseActionClass* a) {
  for (BaseStateVariableClass* e : fields) e->addSelfAsAffectedSVToAction(a);
}

void BaseArrayStateVariable::removeSelfFromEnablingSVOfAction(BaseActionClass* a) {
  for (BaseStateVariableClass* e : fields) e->removeSelfFromEnablingSVOfAction(a);
}

void BaseArrayStateVariable::removeSelfFromAffectedSVOfAction(BaseActionClass* a) {
  for (BaseStateVariableClass* e : fields) e->removeSelfFromAffectedSVOfAction(a);
}

List<BaseStateVariableClass>* BaseArrayStateVariable::getLeafNodes() {
  if (fields.empty()) return BaseStateVariableClass::getLeafNodes();
  List<BaseStateVariableClass>* leaves = new (std::nothrow) List<BaseStateVariableClass>(getNumLeafNodes());
  if (leaves == nullptr) MemoryAllocationError();
  for (BaseStateVariableClass* e : fields) {
    List<BaseStateVariableClass>* sub = e->getLeafNodes();
    leaves->append(sub);
    delete sub;
  }
  return leaves;
}

int BaseArrayStateVariable::getNumLeafNodes() {
  int n = 0;
  for (BaseStateVariableClass* e : fields) n += e->getNumLeafNodes();
  return n == 0 ? 1 : n;
}

bool BaseArrayStateVariable::isLeafNode() { return fields.empty(); }

BaseStateVariableClass* BaseArrayStateVariable::Index(int i) {
  int size = getSize();
  if (i < 0 || i >= size) {
    std::cerr << "Runtime error: index out of bounds. " << getName() << "[0.." << size - 1
              << "] indexed with " << i << std::endl;
    KAVRIN_CHECK(false, "ArrayStateVariable", 112);
  }
  return fields[static_cast<size_t>(i)];
}

#include "BaseClasses/BaseStateVariableClass.h"

#include <cstring>
#include <iostream>
#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/StandardErrors.h"

namespace {

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

const char* const kNoNameMemory = "Not Enough Memory";

List<BaseActionClass>* newActionList() {
  List<BaseActionClass>* l = new (std::nothrow) List<BaseActionClass>();
  if (l == nullptr) MemoryAllocationError();
  return l;
}

}  // namespace

BaseStateVariableClass::BaseStateVariableClass() : BaseStateVariableClass("default", "") {}

BaseStateVariableClass::BaseStateVariableClass(const char* name, const char* prefix)
    : StateVariableName(KavrinCopyName(OrEmpty(name), kNoNameMemory)),
      VariableNamePrefix(KavrinCopyName(OrEmpty(prefix), kNoNameMemory)),
      Shared(false),
      Stored(true),
      FunctionallyShared(false),
      SharingCount(0),
      SVAffectingActions(newActionList()),
      SVEnabledActions(newActionList()),
      FullyQualifiedName(nullptr) {
  rebuildFullyQualifiedName();
}

BaseStateVariableClass::~BaseStateVariableClass() {
  delete[] StateVariableName;
  delete[] VariableNamePrefix;
  delete[] FullyQualifiedName;
  if (Stored) {
    delete SVAffectingActions;
    delete SVEnabledActions;
  }
}

void BaseStateVariableClass::printState(std::ostream*) {}

void BaseStateVariableClass::printState() { printState(&std::cout); }

void BaseStateVariableClass::printStateVal(std::ostream*) {}

void BaseStateVariableClass::appendAffectingAction(BaseActionClass* a) { SVAffectingActions->append(a); }

void BaseStateVariableClass::removeAffectingAction(BaseActionClass* a) { SVAffectingActions->remove(a); }

void BaseStateVariableClass::replaceAffectingAction(BaseActionClass* oldAction, BaseActionClass* newAction) {
  SVAffectingActions->replaceItem(oldAction, newAction);
}

// The action hands a composite variable back here to be split into its leaves; a composite that
// did not override these would bounce between the two for ever, so only a leaf may arrive.
void BaseStateVariableClass::addSelfAsEnablingSVToAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", __LINE__);
  a->addEnablingSV(this);
}

void BaseStateVariableClass::addSelfAsAffectedSVToAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", __LINE__);
  a->addAffectedSV(this);
}

void BaseStateVariableClass::removeSelfFromEnablingSVOfAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", __LINE__);
  a->removeEnablingSV(this);
}

void BaseStateVariableClass::removeSelfFromAffectedSVOfAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", __LINE__);
  a->removeAffectedSV(this);
}

List<BaseStateVariableClass>* BaseStateVariableClass::getLeafNodes() {
  List<BaseStateVariableClass>* leaves = new (std::nothrow) List<BaseStateVariableClass>(1);
  if (leaves == nullptr) MemoryAllocationError();
  leaves->append(this);
  return leaves;
}

int BaseStateVariableClass::getNumLeafNodes() { return 1; }

bool BaseStateVariableClass::isLeafNode() { return true; }

void BaseStateVariableClass::appendEnabledAction(BaseActionClass* a) { SVEnabledActions->append(a); }

void BaseStateVariableClass::removeEnabledAction(BaseActionClass* a) { SVEnabledActions->remove(a); }

void BaseStateVariableClass::replaceEnabledAction(BaseActionClass* oldAction, BaseActionClass* newAction) {
  SVEnabledActions->replaceItem(oldAction, newAction);
}

void BaseStateVariableClass::SetName(const char* name) {
  KavrinReplaceName(StateVariableName, OrEmpty(name), kNoNameMemory);
  rebuildFullyQualifiedName();
}

void BaseStateVariableClass::SetPrefix(const char* prefix) {
  KavrinReplaceName(VariableNamePrefix, OrEmpty(prefix), kNoNameMemory);
  rebuildFullyQualifiedName();
}

BaseActionClass* BaseStateVariableClass::getAffectingAction(int i) {
  KAVRIN_CHECK(i >= 0 && i < SVAffectingActions->getNumItems(), "BaseStateVariableClass", __LINE__);
  return (*SVAffectingActions)[i];
}

BaseActionClass* BaseStateVariableClass::getEnabledAction(int i) {
  KAVRIN_CHECK(i >= 0 && i < SVEnabledActions->getNumItems(), "BaseStateVariableClass", __LINE__);
  return (*SVEnabledActions)[i];
}

void BaseStateVariableClass::rebuildFullyQualifiedName() {
  size_t nameLen = std::strlen(StateVariableName);
  size_t prefixLen = std::strlen(VariableNamePrefix);
  size_t total = prefixLen > 0 ? prefixLen + 1 + nameLen : nameLen;
  char* text = new (std::nothrow) char[total + 1];
  if (text == nullptr) MemoryAllocationError(kNoNameMemory);
  if (prefixLen > 0) {
    std::memcpy(text, VariableNamePrefix, prefixLen);
    text[prefixLen] = '.';
    std::memcpy(text + prefixLen + 1, StateVariableName, nameLen + 1);
  } else {
    std::memcpy(text, StateVariableName, nameLen + 1);
  }
  delete[] FullyQualifiedName;
  FullyQualifiedName = text;
}

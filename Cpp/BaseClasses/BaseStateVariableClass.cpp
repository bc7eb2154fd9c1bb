#include "BaseClasses/BaseStateVariableClass.h"

#include <cstring>
#include <iostream>
#include <new>
#include <string>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/StandardErrors.h"

namespace {

const char* const kNoNameMemory = "Not Enough Memory";

// Names and prefixes are interned: the places of a replicated submodel's copies carry the same
// names, and all the places of one copy the same prefix. A null text is the empty one.
const char* internText(const char* text) {
  return KavrinInternName(text != nullptr ? text : "", kNoNameMemory);
}

}  // namespace

BaseStateVariableClass::BaseStateVariableClass() : BaseStateVariableClass("default", "") {}

BaseStateVariableClass::BaseStateVariableClass(const char* name, const char* prefix)
    : StateVariableName(internText(name)),
      VariableNamePrefix(internText(prefix)),
      Shared(false),
      Stored(true),
      FunctionallyShared(false),
      BorrowsLists(false),
      SharingCount(0) {}

BaseStateVariableClass::~BaseStateVariableClass() {
  if (!BorrowsLists) Lists.Own.~OwnLists();
}

void BaseStateVariableClass::borrowListsOf(BaseStateVariableClass* lender) {
  // The lists' owner itself, so that a chain of borrowers stays one step long where it can.
  lender = lender->listsOwner();
  if (lender == this) return;  // these are its own lists already
  if (!BorrowsLists) Lists.Own.~OwnLists();
  Lists.Lender = lender;
  BorrowsLists = true;
}

void BaseStateVariableClass::printState(std::ostream*) {}

void BaseStateVariableClass::printState() { printState(&std::cout); }

void BaseStateVariableClass::printStateVal(std::ostream*) {}

void BaseStateVariableClass::appendAffectingAction(BaseActionClass* a) { getAffectingActions()->append(a); }

void BaseStateVariableClass::removeAffectingAction(BaseActionClass* a) { getAffectingActions()->remove(a); }

void BaseStateVariableClass::replaceAffectingAction(BaseActionClass* oldAction, BaseActionClass* newAction) {
  getAffectingActions()->replaceItem(oldAction, newAction);
}

// The action hands a composite variable back here to be split into its leaves; a composite that
// did not override these would bounce between the two for ever, so only a leaf may arrive.
void BaseStateVariableClass::addSelfAsEnablingSVToAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", 82);
  a->addEnablingSV(this);
}

void BaseStateVariableClass::addSelfAsAffectedSVToAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", 87);
  a->addAffectedSV(this);
}

void BaseStateVariableClass::removeSelfFromEnablingSVOfAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", 92);
  a->removeEnablingSV(this);
}

void BaseStateVariableClass::removeSelfFromAffectedSVOfAction(BaseActionClass* a) {
  KAVRIN_CHECK(isLeafNode(), "BaseStateVariableClass", 97);
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

void BaseStateVariableClass::ReleaseSharingRecords() {
  if (isLeafNode()) return;
  List<BaseStateVariableClass>* leaves = getLeafNodes();
  for (int i = 0; i < leaves->getNumItems(); i++) leaves->getItem(i)->ReleaseSharingRecords();
  delete leaves;
}

void BaseStateVariableClass::appendEnabledAction(BaseActionClass* a) { getEnabledActions()->append(a); }

void BaseStateVariableClass::removeEnabledAction(BaseActionClass* a) { getEnabledActions()->remove(a); }

void BaseStateVariableClass::replaceEnabledAction(BaseActionClass* oldAction, BaseActionClass* newAction) {
  getEnabledActions()->replaceItem(oldAction, newAction);
}

void BaseStateVariableClass::SetName(const char* name) { StateVariableName = internText(name); }

void BaseStateVariableClass::SetPrefix(const char* prefix) { VariableNamePrefix = internText(prefix); }

BaseActionClass* BaseStateVariableClass::getAffectingAction(int i) {
  KAVRIN_CHECK(i >= 0 && i < getAffectingActions()->getNumItems(), "BaseStateVariableClass", 136);
  return (*getAffectingActions())[i];
}

BaseActionClass* BaseStateVariableClass::getEnabledAction(int i) {
  KAVRIN_CHECK(i >= 0 && i < getEnabledActions()->getNumItems(), "BaseStateVariableClass", 141);
  return (*getEnabledActions())[i];
}

const char* BaseStateVariableClass::getFullyQualifiedName() const {
  if (VariableNamePrefix[0] == '\0') return StateVariableName;
  const std::string whole = std::string(VariableNamePrefix) + "." + StateVariableName;
  return KavrinInternName(whole.c_str(), whole.size(), kNoNameMemory);
}

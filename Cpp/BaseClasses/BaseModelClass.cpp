#include "BaseClasses/BaseModelClass.h"

#include <iostream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/KavrinName.h"
#include "BaseClasses/debug.h"

double BaseModelClass::LastActionTime = 0.0;

namespace {
// Models are numbered 1, 2, ... in creation order, process-wide.
int NextModelId = 1;
}  // namespace

BaseModelClass::BaseModelClass()
    : NumStateVariables(0),
      NumSharedStateVariables(0),
      NumActions(0),
      NumGroups(0),
      GroupList(nullptr),
      Name(nullptr),
      Id(NextModelId++),
      ParentId(0),
      NumPVs(0),
      ActionList(nullptr) {
  ParentId = Id;
}

BaseModelClass::~BaseModelClass() = default;

int BaseModelClass::getNumStateVariables() { return NumStateVariables; }

void BaseModelClass::printState(std::ostream*) {}

void BaseModelClass::printState() { printState(&std::cout); }

BaseStateVariableClass** BaseModelClass::GetLocalStateVariables(std::ostream*) { return nullptr; }

BaseStateVariableClass** BaseModelClass::GetSharedStateVariables() { return nullptr; }

BaseStateVariableClass* BaseModelClass::getMainSharedVariable(BaseStateVariableClass*) { return nullptr; }

SharedStateVarLink* BaseModelClass::getListOfSharedVariables(BaseStateVariableClass*) { return nullptr; }

void BaseModelClass::AddAffectArc(BaseStateVariableClass* sv, BaseActionClass* a) {
  sv->appendAffectingAction(a);
  a->addAffectedSV(sv);
}

void BaseModelClass::AddEnableArc(BaseStateVariableClass* sv, BaseActionClass* a) {
  sv->appendEnabledAction(a);
  a->addEnablingSV(sv);
}

// Operations that only composed kinds of model answer.
ModelType BaseModelClass::GetModelType() {
  KAVRIN_ASSERT(!"GetModelType", "BaseModelClass", 59);
  return InvalidModel;
}

int BaseModelClass::GetNumberOfChildren() {
  KAVRIN_ASSERT(!"GetNumberOfChildren", "BaseModelClass", 64);
  return 0;
}

BaseModelClass* BaseModelClass::GetChild(int) {
  KAVRIN_ASSERT(!"GetChild", "BaseModelClass", 69);
  return nullptr;
}

void BaseModelClass::GetLocalActions(base_action_list_t&) {
  KAVRIN_ASSERT(!"GetLocalActions", "BaseModelClass", 74);
}

void BaseModelClass::GetGlobalActions(base_action_list_t&) {
  KAVRIN_ASSERT(!"GetGlobalActions", "BaseModelClass", 78);
}

bool BaseModelClass::HasLocalState() {
  KAVRIN_ASSERT(!"HasLocalState", "BaseModelClass", 82);
  return false;
}

void BaseModelClass::GetLocalState(State*) { KAVRIN_ASSERT(!"GetLocalState", "BaseModelClass", 86); }

void BaseModelClass::SetLocalState(const State*) { KAVRIN_ASSERT(!"SetLocalState", "BaseModelClass", 89); }

void BaseModelClass::ConstructLocalState(State*&) {
  KAVRIN_ASSERT(!"ConstructLocalState", "BaseModelClass", 93);
}

void BaseModelClass::DestructLocalState(State*) {
  KAVRIN_ASSERT(!"DestructLocalState", "BaseModelClass", 97);
}

void BaseModelClass::DefineName(const char* name) { Name = KavrinInternName(name != nullptr ? name : ""); }

// A model that keeps no state variables of its kind's own has none to give back.
void BaseModelClass::ReleaseSharingRecords() {}

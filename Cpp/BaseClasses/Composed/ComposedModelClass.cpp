#include "BaseClasses/Composed/ComposedModelClass.h"

#include <algorithm>
#include <cstring>
#include <iostream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/List.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/debug.h"

ComposedModelClass::ComposedModelClass(const char* name) : BaseModelClass() { DefineName(name); }

ComposedModelClass::~ComposedModelClass() {
  delete[] ActionList;
  delete[] GroupList;
  for (BaseModelClass* child : Children) delete child;
}

void ComposedModelClass::Adopt(BaseModelClass* child, const std::string& path) {
  KAVRIN_CHECK(child != nullptr, "ComposedModelClass", 23);
  child->SetParentId(Id);
  Children.push_back(child);
  Paths.push_back(path);
}

void ComposedModelClass::Share(const std::vector<BaseStateVariableClass*>& places) {
  if (places.size() < 2) return;
  for (BaseStateVariableClass* p : places) KAVRIN_CHECK(p != nullptr, "ComposedModelClass", 31);
  // Each join walks the merged action lists of both sides; joining in pairs, then pairs of pairs,
  // keeps the whole at n log n where joining one at a time is n squared (ten thousand copies).
  // The cell keeps the first place's marking.
  std::vector<char> first(static_cast<size_t>(places[0]->StateSize()));
  places[0]->CurrentState(first.data());
  for (size_t step = 1; step < places.size(); step *= 2)
    for (size_t k = 0; k + step < places.size(); k += 2 * step) places[k]->share(places[k + step]);
  places[0]->SetState(first.data());
  NumSharedStateVariables++;
}

void ComposedModelClass::Export(const std::string& name, BaseStateVariableClass* place) {
  Exports[name] = place;
}

BaseStateVariableClass* ComposedModelClass::Exported(const std::string& name) const {
  auto it = Exports.find(name);
  KAVRIN_CHECK(it != Exports.end(), "ComposedModelClass", 49);
  return it->second;
}

void ComposedModelClass::CollectImage(BaseModelClass* model, std::vector<BaseStateVariableClass*>& shared) {
  if (model->GetModelType() != AtomicModel) {
    for (int c = 0; c < model->GetNumberOfChildren(); c++) CollectImage(model->GetChild(c), shared);
    return;
  }
  SANModel* san = static_cast<SANModel*>(model);
  BaseStateVariableClass** locals = san->GetLocalStateVariables(nullptr);
  const int count = san->getNumStateVariables() - san->getNumReadOnlyPlaces();
  for (int i = 0; i < count; i++) {
    BaseStateVariableClass* v = locals[i];
    if (!v->getShared())
      Image.push_back(v);
    else if (v->getStored() && std::find(shared.begin(), shared.end(), v) == shared.end())
      shared.push_back(v);
  }
}

void ComposedModelClass::Finish() {
  NumActions = 0;
  NumGroups = 0;
  NumStateVariables = 0;
  for (BaseModelClass* child : Children) {
    NumActions += child->getNumActions();
    NumGroups += child->getNumGroups();
    NumStateVariables += child->getNumStateVariables();
  }
  delete[] ActionList;
  delete[] GroupList;
  ActionList = new BaseActionClass*[static_cast<size_t>(NumActions)];
  GroupList = new BaseGroupClass*[static_cast<size_t>(NumGroups)];
  int actions = 0;
  int groups = 0;
  for (BaseModelClass* child : Children) {
    // A child's actions name groups by their index in the child's list: move them to the
    // child's place in this one.
    for (int a = 0; a < child->getNumActions(); a++) {
      BaseActionClass* action = child->getActionList()[a];
      action->BaseActionClass::setGroupId(action->getGroupId() + groups);
      ActionList[actions++] = action;
    }
    for (int g = 0; g < child->getNumGroups(); g++) GroupList[groups++] = child->getGroupList()[g];
  }
  Image.clear();
  std::vector<BaseStateVariableClass*> shared;
  for (BaseModelClass* child : Children) CollectImage(child, shared);
  Image.insert(Image.end(), shared.begin(), shared.end());
  ImageSize = 0;
  for (BaseStateVariableClass* v : Image) ImageSize += v->StateSize();
}

void ComposedModelClass::DescribeReward(const std::string& variable, const std::string& over, bool average) {
  Scopes.push_back(RewardScope{variable, over, average});
}

int ComposedModelClass::CountInstances(const std::string& over) {
  List<BaseModelClass> found;
  listModels(over.c_str(), &found);
  return found.getNumItems();
}

bool ComposedModelClass::IsInstancePath(const std::string& path) {
  for (size_t c = 0; c < Children.size(); c++) {
    if (Paths[c] == path) return true;
    ComposedModelClass* node = dynamic_cast<ComposedModelClass*>(Children[c]);
    if (node != nullptr && node->IsInstancePath(path)) return true;
  }
  return false;
}

void ComposedModelClass::ReleaseSharingRecords() {
  for (BaseModelClass* child : Children) child->ReleaseSharingRecords();
}

int ComposedModelClass::GetNumberOfChildren() { return static_cast<int>(Children.size()); }

BaseModelClass* ComposedModelClass::GetChild(int i) {
  KAVRIN_CHECK(i >= 0 && i < static_cast<int>(Children.size()), "ComposedModelClass", 125);
  return Children[static_cast<size_t>(i)];
}

void ComposedModelClass::listModels(const char* name, List<BaseModelClass>* models) {
  if (name == nullptr) return;
  for (size_t c = 0; c < Children.size(); c++) {
    if (Paths[c] == name && Children[c]->GetModelType() == AtomicModel)
      models->append(Children[c]);
    else
      Children[c]->listModels(name, models);
  }
}

void ComposedModelClass::listActions(List<BaseActionClass>* actions) {
  for (int i = 0; i < NumActions; i++) actions->append(ActionList[i]);
}

void ComposedModelClass::listGroups(List<BaseGroupClass>* groups) {
  for (int i = 0; i < NumGroups; i++) groups->append(GroupList[i]);
}

void ComposedModelClass::listActions(const char* name, List<BaseActionClass>* actions) {
  for (BaseModelClass* child : Children) child->listActions(name, actions);
}

void ComposedModelClass::listSVs(const char* model, const char* variable,
                                 List<BaseStateVariableClass>* svList, List<BaseModelClass>* modelList) {
  if (model == nullptr) return;
  for (size_t c = 0; c < Children.size(); c++) {
    // A path names one instance: ask it under its own model name.
    const bool named = Paths[c] == model && Children[c]->GetModelType() == AtomicModel;
    Children[c]->listSVs(named ? Children[c]->getName() : model, variable, svList, modelList);
  }
}

void ComposedModelClass::CurrentState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (BaseStateVariableClass* v : Image) {
    v->CurrentState(at);
    at += v->StateSize();
  }
}

void ComposedModelClass::SetState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (BaseStateVariableClass* v : Image) {
    v->SetState(at);
    at += v->StateSize();
  }
}

int ComposedModelClass::StateSize() { return ImageSize; }

bool ComposedModelClass::CompareState(void* s1, void* s2) {
  return std::memcmp(s1, s2, static_cast<size_t>(ImageSize)) == 0;
}

void ComposedModelClass::printState(std::ostream* s) {
  for (BaseModelClass* child : Children) child->printState(s);
}

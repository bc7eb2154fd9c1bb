#include "BaseClasses/KavrinGroupMembers.h"

#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/List.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

KavrinGroupMembers::KavrinGroupMembers()
    : GroupArray(nullptr),
      ActionWeights(nullptr),
      SelectedAction(nullptr),
      HighestRank(0),
      NumActions(0),
      NumSelectableActions(0),
      ArraySize(0) {}

KavrinGroupMembers::~KavrinGroupMembers() {
  delete[] GroupArray;
  delete[] ActionWeights;
}

void KavrinGroupMembers::enlargeArrays(int n) {
  KAVRIN_CHECK(n > ArraySize, "BaseGroupClass", 252);
  resizeArrays(n);
}

void KavrinGroupMembers::resizeArrays(int n) {
  BaseGroupClass** members = KavrinNewArray<BaseGroupClass*>(n);
  for (int i = 0; i < n; i++) members[i] = i < NumActions ? GroupArray[i] : nullptr;
  GroupWeight* weights = KavrinNewArray<GroupWeight>(n);
  for (int i = 0; i < n; i++) weights[i] = GroupWeight{0.0, nullptr};
  delete[] GroupArray;
  delete[] ActionWeights;
  GroupArray = members;
  ActionWeights = weights;
  ArraySize = n;
}

KavrinGroupMembers* KavrinGroupMembers::Of(const BaseGroupClass* group) { return group->KavrinMembers; }

KavrinGroupMembers& KavrinGroupMembers::Make(BaseGroupClass* group) {
  if (group->KavrinMembers == nullptr) group->KavrinMembers = new KavrinGroupMembers();
  return *group->KavrinMembers;
}

void KavrinGroupMembers::ClearSelection(BaseGroupClass* group) {
  if (group->KavrinMembers != nullptr) group->KavrinMembers->SelectedAction = nullptr;
}

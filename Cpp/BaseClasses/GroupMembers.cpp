#include "BaseClasses/GroupMembers.h"

#include "BaseClasses/List.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

GroupMembers::GroupMembers()
    : GroupArray(nullptr),
      ActionWeights(nullptr),
      SelectedAction(nullptr),
      HighestRank(0),
      NumActions(0),
      NumSelectableActions(0),
      ArraySize(0) {}

GroupMembers::~GroupMembers() {
  delete[] GroupArray;
  delete[] ActionWeights;
}

void GroupMembers::enlargeArrays(int n) {
  KAVRIN_CHECK(n > ArraySize, "BaseGroupClass", 252);
  resizeArrays(n);
}

void GroupMembers::resizeArrays(int n) {
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

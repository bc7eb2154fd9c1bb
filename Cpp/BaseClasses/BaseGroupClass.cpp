#include "BaseClasses/BaseGroupClass.h"

#include <iostream>
#include <new>
#include <string>

#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

BaseGroupClass::BaseGroupClass()
    : BaseActionClass(),
      GroupArray(nullptr),
      SelectedAction(nullptr),
      ActionWeights(nullptr),
      HighestRank(0),
      NumActions(0),
      NumSelectableActions(0),
      ArraySize(0) {}

BaseGroupClass::BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                               int numAffected, int numEnabling, bool reactivation)
    : BaseGroupClass() {
  BaseGroupClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

BaseGroupClass::BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                               int numAffected, int numEnabling, bool reactivation, int numMembers)
    : BaseGroupClass(name, groupId, dist, policy, numAffected, numEnabling, reactivation) {
  if (numMembers > ArraySize) enlargeArrays(numMembers);
}

BaseGroupClass::~BaseGroupClass() {
  delete[] GroupArray;
  delete[] ActionWeights;
}

void BaseGroupClass::BaseGroupClassInitialize(const char* name, int groupId, Distribution dist,
                                              ExecutionPolicyType policy, int numAffected, int numEnabling,
                                              bool reactivation) {
  BaseActionClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

bool BaseGroupClass::Enabled() {
  if (NumActions == 0) return false;
  // Every member is asked, even after a true answer: activities record each answer.
  bool any = false;
  for (int i = 0; i < NumActions; i++)
    if (GroupArray[i]->Enabled()) any = true;
  return any;
}

// A member-less group (an activity) stands for itself; the generated class answers then. Each use
// names the number its failed check prints.
#define KAVRIN_FORWARD_TO_SELECTED(call, fallback, line)             \
  KAVRIN_CHECK(SelectedAction != nullptr, "BaseGroupClass", (line)); \
  if (SelectedAction == this) return fallback;                       \
  return SelectedAction->call

double BaseGroupClass::Weight() { KAVRIN_FORWARD_TO_SELECTED(Weight(), BaseActionClass::Weight(), 59); }

double BaseGroupClass::Rate() { KAVRIN_FORWARD_TO_SELECTED(Rate(), BaseActionClass::Rate(), 61); }

int BaseGroupClass::Rank() { KAVRIN_FORWARD_TO_SELECTED(Rank(), BaseActionClass::Rank(), 63); }

double BaseGroupClass::SampleDistribution() {
  KAVRIN_FORWARD_TO_SELECTED(SampleDistribution(), BaseActionClass::SampleDistribution(), 66);
}

#undef KAVRIN_FORWARD_TO_SELECTED

bool BaseGroupClass::ReactivationPredicate() { return false; }

bool BaseGroupClass::ReactivationFunction() { return false; }

BaseActionClass* BaseGroupClass::Fire() {
  KAVRIN_CHECK(SelectedAction != nullptr && SelectedAction != this, "BaseGroupClass", 76);
  KAVRIN_DEBUG(1, "SelectedAction"
                      << " = " << SelectedAction->getName());
  BaseActionClass* member = SelectedAction;
  SelectedAction = nullptr;
  return member->Fire();
}

bool BaseGroupClass::EnablingChange() {
  bool any = false;
  for (int i = 0; i < NumActions; i++)
    if (GroupArray[i]->EnablingChange()) any = true;
  return any;
}

bool BaseGroupClass::IsAMember(BaseActionClass* a) {
  for (int i = 0; i < NumActions; i++)
    if (GroupArray[i] == a) return true;
  return false;
}

double BaseGroupClass::Probability(BaseActionClass* a) {
  KAVRIN_CHECK(NumActions > 0, "BaseGroupClass", 98);
  int highestRank = 0;
  double totalWeight = 0.0;
  BaseGroupClass* holdingGroup = nullptr;
  for (int i = 0; i < NumActions; i++) {
    BaseGroupClass* member = GroupArray[i];
    if (member->Enabled()) {
      int r = member->Rank();
      if (r > highestRank) {
        highestRank = r;
        totalWeight = 0.0;
      }
      if (r == highestRank) totalWeight += member->Weight();
    }
    if (member == a || member->IsAMember(a)) holdingGroup = member;
  }
  if (holdingGroup == nullptr) return 0.0;
  if (holdingGroup->Rank() < highestRank) return 0.0;
  if (totalWeight == 0.0) {
    std::cout << "BaseGroupClass::Probability() TotalWeight is zero.\n";
    std::cout.flush();
  }
  return holdingGroup->Weight() / totalWeight * holdingGroup->Probability(a);
}

void BaseGroupClass::printEnablingState(std::ostream* s) {
  if (NumActions == 0 || GroupArray[0] == nullptr) {
    BaseActionClass::printEnablingState(s);
    return;
  }
  GroupArray[0]->printEnablingState(s);
}

BaseActionClass* BaseGroupClass::getPrintedAction() {
  if (NumActions == 0 || GroupArray[0] == nullptr) return this;
  return GroupArray[0]->getPrintedAction();
}

bool BaseGroupClass::SelectAction() {
  // The draw comes first and is made even when nothing turns out to be enabled: the random
  // stream must not depend on the marking.
  double u = TheDistribution->RNG->rnd();
  double total = CalculateWeightDistribution();
  if (total < 0.0) return false;
  double x = total * u;
  int lo = 0;
  int hi = NumSelectableActions - 1;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (ActionWeights[mid].Weight > x)
      hi = mid;
    else
      lo = mid + 1;
  }
  BaseGroupClass* chosen = ActionWeights[lo].AssociatedAction;
  chosen->SelectAction();
  SelectedAction = chosen->SelectedAction;
  return true;
}

void BaseGroupClass::setGroupId(int id) {
  for (int i = 0; i < NumActions; i++) GroupArray[i]->setGroupId(id);
}

double BaseGroupClass::CalculateWeightDistribution() {
  int i = 0;
  for (; i < NumActions; i++) {
    BaseGroupClass* member = GroupArray[i];
    if (member->Enabled()) {
      HighestRank = member->Rank();
      member->Disabled = false;
      ActionWeights[0].Weight = member->Weight();
      ActionWeights[0].AssociatedAction = member;
      break;
    }
    member->Disabled = true;
  }
  if (i == NumActions) return -1.0;

  int j = 0;
  for (i = i + 1; i < NumActions; i++) {
    BaseGroupClass* member = GroupArray[i];
    if (!member->Enabled()) {
      member->Disabled = true;
      continue;
    }
    int r = member->Rank();
    if (r < HighestRank) {
      member->Disabled = true;
    } else if (r == HighestRank) {
      member->Disabled = false;
      ActionWeights[j + 1].Weight = ActionWeights[j].Weight + member->Weight();
      ActionWeights[j + 1].AssociatedAction = member;
      j++;
    } else {
      HighestRank = r;
      KAVRIN_DEBUG(1, "Newest higest ranked group"
                          << " = " << r);
      ActionWeights[0].Weight = member->Weight();
      ActionWeights[0].AssociatedAction = member;
      member->Disabled = false;
      j = 0;
    }
  }
  NumSelectableActions = j + 1;
  return ActionWeights[j].Weight;
}

void BaseGroupClass::initialize(int n, const char* name) {
  int size = n > NumActions ? n : NumActions;
  BaseGroupClass** members = KavrinNewArray<BaseGroupClass*>(size);
  for (int i = 0; i < size; i++) members[i] = i < NumActions ? GroupArray[i] : nullptr;
  GroupWeight* weights = KavrinNewArray<GroupWeight>(size);
  delete[] GroupArray;
  delete[] ActionWeights;
  GroupArray = members;
  ActionWeights = weights;
  ArraySize = size;
  defineName(name);
  SelectedAction = nullptr;
  HighestRank = 0;
  NumSelectableActions = 0;
}

void BaseGroupClass::appendGroup(BaseGroupClass* member) {
  if (NumActions >= ArraySize) enlargeArrays(ArraySize + 1);
  KAVRIN_CHECK(NumActions < ArraySize, "BaseGroupClass", 224);
  GroupArray[NumActions++] = member;
}

void BaseGroupClass::appendMembers(BaseGroupClass* other) {
  int n = other->NumActions;
  if (NumActions + n > ArraySize) enlargeArrays(NumActions + n);
  for (int i = 0; i < n; i++) GroupArray[NumActions++] = other->GroupArray[i];
}

void BaseGroupClass::setMember(BaseGroupClass* member, int index) {
  if (index < 0 || index >= NumActions) {
    ArrayOutOfBoundsError("Array out of bounds (BaseGroupClass::setMember()");
    return;
  }
  GroupArray[index] = member;
}

void BaseGroupClass::replaceMember(BaseActionClass* oldMember, BaseActionClass* newMember) {
  BaseGroupClass* replacement = dynamic_cast<BaseGroupClass*>(newMember);
  if (replacement != nullptr) {
    for (int i = 0; i < NumActions; i++)
      if (GroupArray[i] == oldMember) GroupArray[i] = replacement;
  }
  if (SelectedAction == oldMember) SelectedAction = newMember;
}

void BaseGroupClass::enlargeArrays(int n) {
  KAVRIN_CHECK(n > ArraySize, "BaseGroupClass", 252);
  BaseGroupClass** members = KavrinNewArray<BaseGroupClass*>(n);
  for (int i = 0; i < n; i++) members[i] = i < NumActions ? GroupArray[i] : nullptr;
  // The weights are recomputed at every selection; the old ones need not be kept.
  GroupWeight* weights = KavrinNewArray<GroupWeight>(n);
  for (int i = 0; i < n; i++) weights[i] = GroupWeight{0.0, nullptr};
  delete[] GroupArray;
  delete[] ActionWeights;
  GroupArray = members;
  ActionWeights = weights;
  ArraySize = n;
}

BaseGroupClass* BaseGroupClass::getMember(int i) {
  KAVRIN_CHECK(i >= 0 && i < NumActions && GroupArray[i] != nullptr, "BaseGroupClass", 266);
  return GroupArray[i];
}

void BaseGroupClass::Check() { KAVRIN_CHECK(NumActions > 0 && GroupArray != nullptr, "BaseGroupClass", 271); }

void BaseGroupClass::PrintInfo() {
  std::cout << "************ Group: " << ActionName << " ****************" << std::endl;
  std::cout << "Contains the following actions:" << std::endl;
  for (int i = 0; i < NumActions; i++) std::cout << "  " << GroupArray[i]->getName() << std::endl;
  std::cout << "Selected Action = " << (SelectedAction != nullptr ? SelectedAction->getName() : "")
            << std::endl;
}

void BaseGroupClass::printGroup() {
  std::cout << "** Members of Group " << ActionName << std::endl;
  printMembers("", 1);
}

void BaseGroupClass::printMembers(const char* prefix, int level) {
  for (int j = 0; j < NumActions; j++) {
    BaseGroupClass* member = GroupArray[j];
    std::cout << std::string(2 * static_cast<size_t>(level), ' ') << "[" << prefix << j << "] "
              << member->getName() << std::endl;
    if (member->NumActions > 1) {
      std::string nested = std::string(prefix) + std::to_string(j) + ".";
      member->printMembers(nested.c_str(), level + 1);
    }
  }
}

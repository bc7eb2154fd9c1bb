#include "BaseClasses/BaseGroupClass.h"

#include <iostream>
#include <new>
#include <string>

#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

BaseGroupClass::BaseGroupClass() : BaseActionClass(), Members(nullptr) {}

BaseGroupClass::BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                               int numAffected, int numEnabling, bool reactivation)
    : BaseGroupClass() {
  BaseGroupClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

BaseGroupClass::BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                               int numAffected, int numEnabling, bool reactivation, int numMembers)
    : BaseGroupClass(name, groupId, dist, policy, numAffected, numEnabling, reactivation) {
  if (numMembers > 0) enlargeArrays(numMembers);
}

BaseGroupClass::~BaseGroupClass() { delete Members; }

GroupMembers& BaseGroupClass::members() {
  if (Members == nullptr) Members = new GroupMembers();
  return *Members;
}

BaseActionClass* BaseGroupClass::getSelectedAction() const {
  return Members != nullptr ? Members->SelectedAction : nullptr;
}

void BaseGroupClass::BaseGroupClassInitialize(const char* name, int groupId, Distribution dist,
                                              ExecutionPolicyType policy, int numAffected, int numEnabling,
                                              bool reactivation) {
  BaseActionClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

bool BaseGroupClass::Enabled() {
  if (Members == nullptr) return false;
  // Every member is asked, even after a true answer: activities record each answer.
  bool any = false;
  for (int i = 0; i < Members->NumActions; i++)
    if (Members->GroupArray[i]->Enabled()) any = true;
  return any;
}

// A member-less group (an activity) stands for itself; the generated class answers then. Each use
// names the number its failed check prints.
#define KAVRIN_FORWARD_TO_SELECTED(call, fallback, line)       \
  BaseActionClass* selected = getSelectedAction();             \
  KAVRIN_CHECK(selected != nullptr, "BaseGroupClass", (line)); \
  if (selected == this) return fallback;                       \
  return selected->call

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
  BaseActionClass* member = getSelectedAction();
  KAVRIN_CHECK(member != nullptr && member != this, "BaseGroupClass", 76);
  KAVRIN_DEBUG(1, "SelectedAction"
                      << " = " << member->getName());
  clearSelection();
  return member->Fire();
}

bool BaseGroupClass::EnablingChange() {
  bool any = false;
  for (int i = 0; i < getNumMembers(); i++)
    if (Members->GroupArray[i]->EnablingChange()) any = true;
  return any;
}

bool BaseGroupClass::IsAMember(BaseActionClass* a) {
  for (int i = 0; i < getNumMembers(); i++)
    if (Members->GroupArray[i] == a) return true;
  return false;
}

double BaseGroupClass::Probability(BaseActionClass* a) {
  KAVRIN_CHECK(getNumMembers() > 0, "BaseGroupClass", 98);
  int highestRank = 0;
  double totalWeight = 0.0;
  BaseGroupClass* holdingGroup = nullptr;
  for (int i = 0; i < Members->NumActions; i++) {
    BaseGroupClass* member = Members->GroupArray[i];
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
  if (getNumMembers() == 0 || Members->GroupArray[0] == nullptr) {
    BaseActionClass::printEnablingState(s);
    return;
  }
  Members->GroupArray[0]->printEnablingState(s);
}

BaseActionClass* BaseGroupClass::getPrintedAction() {
  if (getNumMembers() == 0 || Members->GroupArray[0] == nullptr) return this;
  return Members->GroupArray[0]->getPrintedAction();
}

bool BaseGroupClass::SelectAction() {
  // The draw comes first and is made even when nothing turns out to be enabled: the random
  // stream must not depend on the marking.
  double u = TheDistribution->RNG->rnd();
  double total = CalculateWeightDistribution();
  if (total < 0.0) return false;
  // A non-negative total means some member is enabled, so the record exists.
  GroupMembers& m = *Members;
  double x = total * u;
  int lo = 0;
  int hi = m.NumSelectableActions - 1;
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (m.ActionWeights[mid].Weight > x)
      hi = mid;
    else
      lo = mid + 1;
  }
  BaseGroupClass* chosen = m.ActionWeights[lo].AssociatedAction;
  chosen->SelectAction();
  m.SelectedAction = chosen->getSelectedAction();
  return true;
}

void BaseGroupClass::setGroupId(int id) {
  for (int i = 0; i < getNumMembers(); i++) Members->GroupArray[i]->setGroupId(id);
}

double BaseGroupClass::CalculateWeightDistribution() {
  if (Members == nullptr) return -1.0;
  const int count = Members->NumActions;
  BaseGroupClass** const group = Members->GroupArray;
  GroupWeight* const weights = Members->ActionWeights;
  int& highest = Members->HighestRank;
  int i = 0;
  for (; i < count; i++) {
    BaseGroupClass* member = group[i];
    if (member->Enabled()) {
      highest = member->Rank();
      member->Disabled = false;
      weights[0].Weight = member->Weight();
      weights[0].AssociatedAction = member;
      break;
    }
    member->Disabled = true;
  }
  if (i == count) return -1.0;

  int j = 0;
  for (i = i + 1; i < count; i++) {
    BaseGroupClass* member = group[i];
    if (!member->Enabled()) {
      member->Disabled = true;
      continue;
    }
    int r = member->Rank();
    if (r < highest) {
      member->Disabled = true;
    } else if (r == highest) {
      member->Disabled = false;
      weights[j + 1].Weight = weights[j].Weight + member->Weight();
      weights[j + 1].AssociatedAction = member;
      j++;
    } else {
      highest = r;
      KAVRIN_DEBUG(1, "Newest higest ranked group"
                          << " = " << r);
      weights[0].Weight = member->Weight();
      weights[0].AssociatedAction = member;
      member->Disabled = false;
      j = 0;
    }
  }
  Members->NumSelectableActions = j + 1;
  return weights[j].Weight;
}

void BaseGroupClass::initialize(int n, const char* name) {
  GroupMembers& m = members();
  m.resizeArrays(n > m.NumActions ? n : m.NumActions);
  defineName(name);
  m.SelectedAction = nullptr;
  m.HighestRank = 0;
  m.NumSelectableActions = 0;
}

void BaseGroupClass::appendGroup(BaseGroupClass* member) {
  GroupMembers& m = members();
  if (m.NumActions >= m.ArraySize) m.enlargeArrays(m.ArraySize + 1);
  KAVRIN_CHECK(m.NumActions < m.ArraySize, "BaseGroupClass", 224);
  m.GroupArray[m.NumActions++] = member;
}

void BaseGroupClass::appendMembers(BaseGroupClass* other) {
  int n = other->getNumMembers();
  if (n == 0) return;
  GroupMembers& m = members();
  if (m.NumActions + n > m.ArraySize) m.enlargeArrays(m.NumActions + n);
  for (int i = 0; i < n; i++) m.GroupArray[m.NumActions++] = other->Members->GroupArray[i];
}

void BaseGroupClass::setMember(BaseGroupClass* member, int index) {
  if (index < 0 || index >= getNumMembers()) {
    ArrayOutOfBoundsError("Array out of bounds (BaseGroupClass::setMember()");
    return;
  }
  Members->GroupArray[index] = member;
}

void BaseGroupClass::replaceMember(BaseActionClass* oldMember, BaseActionClass* newMember) {
  if (Members == nullptr) return;
  BaseGroupClass* replacement = dynamic_cast<BaseGroupClass*>(newMember);
  if (replacement != nullptr) {
    for (int i = 0; i < Members->NumActions; i++)
      if (Members->GroupArray[i] == oldMember) Members->GroupArray[i] = replacement;
  }
  if (Members->SelectedAction == oldMember) Members->SelectedAction = newMember;
}

void BaseGroupClass::enlargeArrays(int n) { members().enlargeArrays(n); }

BaseGroupClass* BaseGroupClass::getMember(int i) {
  KAVRIN_CHECK(i >= 0 && i < getNumMembers() && Members->GroupArray[i] != nullptr, "BaseGroupClass", 266);
  return Members->GroupArray[i];
}

void BaseGroupClass::Check() {
  KAVRIN_CHECK(getNumMembers() > 0 && Members->GroupArray != nullptr, "BaseGroupClass", 271);
}

void BaseGroupClass::PrintInfo() {
  std::cout << "************ Group: " << ActionName << " ****************" << std::endl;
  std::cout << "Contains the following actions:" << std::endl;
  for (int i = 0; i < getNumMembers(); i++)
    std::cout << "  " << Members->GroupArray[i]->getName() << std::endl;
  BaseActionClass* selected = getSelectedAction();
  std::cout << "Selected Action = " << (selected != nullptr ? selected->getName() : "") << std::endl;
}

void BaseGroupClass::printGroup() {
  std::cout << "** Members of Group " << ActionName << std::endl;
  printMembers("", 1);
}

void BaseGroupClass::printMembers(const char* prefix, int level) {
  for (int j = 0; j < getNumMembers(); j++) {
    BaseGroupClass* member = Members->GroupArray[j];
    std::cout << std::string(2 * static_cast<size_t>(level), ' ') << "[" << prefix << j << "] "
              << member->getName() << std::endl;
    if (member->getNumMembers() > 1) {
      std::string nested = std::string(prefix) + std::to_string(j) + ".";
      member->printMembers(nested.c_str(), level + 1);
    }
  }
}

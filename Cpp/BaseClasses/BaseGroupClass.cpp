#include "BaseClasses/BaseGroupClass.h"

#include <iostream>
#include <new>
#include <string>

#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

BaseGroupClass::BaseGroupClass() : BaseActionClass(), KavrinMembers(nullptr) {}

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

BaseGroupClass::~BaseGroupClass() { delete KavrinMembers; }

BaseActionClass* BaseGroupClass::getSelectedAction() const {
  return KavrinMembers != nullptr ? KavrinMembers->SelectedAction : nullptr;
}

void BaseGroupClass::BaseGroupClassInitialize(const char* name, int groupId, Distribution dist,
                                              ExecutionPolicyType policy, int numAffected, int numEnabling,
                                              bool reactivation) {
  BaseActionClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

bool BaseGroupClass::Enabled() {
  if (KavrinMembers == nullptr) return false;
  // Every member is asked, even after a true answer: activities record each answer.
  bool any = false;
  for (int i = 0; i < KavrinMembers->NumActions; i++)
    if (KavrinMembers->GroupArray[i]->Enabled()) any = true;
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
  KavrinGroupMembers::ClearSelection(this);
  return member->Fire();
}

bool BaseGroupClass::EnablingChange() {
  bool any = false;
  for (int i = 0; i < getNumMembers(); i++)
    if (KavrinMembers->GroupArray[i]->EnablingChange()) any = true;
  return any;
}

bool BaseGroupClass::IsAMember(BaseActionClass* a) {
  for (int i = 0; i < getNumMembers(); i++)
    if (KavrinMembers->GroupArray[i] == a) return true;
  return false;
}

double BaseGroupClass::Probability(BaseActionClass* a) {
  KAVRIN_CHECK(getNumMembers() > 0, "BaseGroupClass", 98);
  int highestRank = 0;
  double totalWeight = 0.0;
  BaseGroupClass* holdingGroup = nullptr;
  for (int i = 0; i < KavrinMembers->NumActions; i++) {
    BaseGroupClass* member = KavrinMembers->GroupArray[i];
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
  if (getNumMembers() == 0 || KavrinMembers->GroupArray[0] == nullptr) {
    BaseActionClass::printEnablingState(s);
    return;
  }
  KavrinMembers->GroupArray[0]->printEnablingState(s);
}

BaseActionClass* BaseGroupClass::getPrintedAction() {
  if (getNumMembers() == 0 || KavrinMembers->GroupArray[0] == nullptr) return this;
  return KavrinMembers->GroupArray[0]->getPrintedAction();
}

bool BaseGroupClass::SelectAction() {
  // The draw comes first and is made even when nothing turns out to be enabled: the random
  // stream must not depend on the marking.
  double u = TheDistribution->RNG->rnd();
  double total = CalculateWeightDistribution();
  if (total < 0.0) return false;
  // A non-negative total means some member is enabled, so the record exists.
  KavrinGroupMembers& m = *KavrinMembers;
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
  for (int i = 0; i < getNumMembers(); i++) KavrinMembers->GroupArray[i]->setGroupId(id);
}

double BaseGroupClass::CalculateWeightDistribution() {
  if (KavrinMembers == nullptr) return -1.0;
  const int count = KavrinMembers->NumActions;
  BaseGroupClass** const group = KavrinMembers->GroupArray;
  GroupWeight* const weights = KavrinMembers->ActionWeights;
  int& highest = KavrinMembers->HighestRank;
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
  KavrinMembers->NumSelectableActions = j + 1;
  return weights[j].Weight;
}

void BaseGroupClass::initialize(int n, const char* name) {
  KavrinGroupMembers& m = KavrinGroupMembers::Make(this);
  m.resizeArrays(n > m.NumActions ? n : m.NumActions);
  defineName(name);
  m.SelectedAction = nullptr;
  m.HighestRank = 0;
  m.NumSelectableActions = 0;
}

void BaseGroupClass::appendGroup(BaseGroupClass* member) {
  KavrinGroupMembers& m = KavrinGroupMembers::Make(this);
  if (m.NumActions >= m.ArraySize) m.enlargeArrays(m.ArraySize + 1);
  KAVRIN_CHECK(m.NumActions < m.ArraySize, "BaseGroupClass", 224);
  m.GroupArray[m.NumActions++] = member;
}

void BaseGroupClass::appendMembers(BaseGroupClass* other) {
  int n = other->getNumMembers();
  if (n == 0) return;
  KavrinGroupMembers& m = KavrinGroupMembers::Make(this);
  if (m.NumActions + n > m.ArraySize) m.enlargeArrays(m.NumActions + n);
  for (int i = 0; i < n; i++) m.GroupArray[m.NumActions++] = KavrinGroupMembers::Of(other)->GroupArray[i];
}

void BaseGroupClass::setMember(BaseGroupClass* member, int index) {
  if (index < 0 || index >= getNumMembers()) {
    ArrayOutOfBoundsError("Array out of bounds (BaseGroupClass::setMember()");
    return;
  }
  KavrinMembers->GroupArray[index] = member;
}

void BaseGroupClass::replaceMember(BaseActionClass* oldMember, BaseActionClass* newMember) {
  if (KavrinMembers == nullptr) return;
  BaseGroupClass* replacement = dynamic_cast<BaseGroupClass*>(newMember);
  if (replacement != nullptr) {
    for (int i = 0; i < KavrinMembers->NumActions; i++)
      if (KavrinMembers->GroupArray[i] == oldMember) KavrinMembers->GroupArray[i] = replacement;
  }
  if (KavrinMembers->SelectedAction == oldMember) KavrinMembers->SelectedAction = newMember;
}

void BaseGroupClass::enlargeArrays(int n) { KavrinGroupMembers::Make(this).enlargeArrays(n); }

BaseGroupClass* BaseGroupClass::getMember(int i) {
  KAVRIN_CHECK(i >= 0 && i < getNumMembers() && KavrinMembers->GroupArray[i] != nullptr, "BaseGroupClass",
               266);
  return KavrinMembers->GroupArray[i];
}

void BaseGroupClass::Check() {
  KAVRIN_CHECK(getNumMembers() > 0 && KavrinMembers->GroupArray != nullptr, "BaseGroupClass", 271);
}

void BaseGroupClass::PrintInfo() {
  std::cout << "************ Group: " << ActionName << " ****************" << std::endl;
  std::cout << "Contains the following actions:" << std::endl;
  for (int i = 0; i < getNumMembers(); i++)
    std::cout << "  " << KavrinMembers->GroupArray[i]->getName() << std::endl;
  BaseActionClass* selected = getSelectedAction();
  std::cout << "Selected Action = " << (selected != nullptr ? selected->getName() : "") << std::endl;
}

void BaseGroupClass::printGroup() {
  std::cout << "** Members of Group " << ActionName << std::endl;
  printMembers("", 1);
}

void BaseGroupClass::printMembers(const char* prefix, int level) {
  for (int j = 0; j < getNumMembers(); j++) {
    BaseGroupClass* member = KavrinMembers->GroupArray[j];
    std::cout << std::string(2 * static_cast<size_t>(level), ' ') << "[" << prefix << j << "] "
              << member->getName() << std::endl;
    if (member->getNumMembers() > 1) {
      std::string nested = std::string(prefix) + std::to_string(j) + ".";
      member->printMembers(nested.c_str(), level + 1);
    }
  }
}

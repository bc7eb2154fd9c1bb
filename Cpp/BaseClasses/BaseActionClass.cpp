#include "BaseClasses/BaseActionClass.h"

#include <cstdlib>
#include <iostream>
#include <new>

#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/StandardErrors.h"

int BaseActionClass::MaxID = 0;

// The variable lists start with room for one variable, held inside the list: most actions
// read and change only one or two.
BaseActionClass::BaseActionClass()
    : Affects(nullptr),
      EventPointer(nullptr),
      GroupID(0),
      ID(MaxID++),
      Reactivation(false),
      Disabled(true),
      phase(1),
      ExecutionPolicy(RaceEnabled),
      DistributionType(Exponential),
      KavrinOwnsRewards(false),
      ActionName("default"),
      TheModel(nullptr),
      KavrinRewards(KavrinActionRewards::Empty()),
      AffectedStateVariables(1),
      EnablingStateVariables(1) {}

BaseActionClass::BaseActionClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                                 int numAffected, int numEnabling, bool reactivation)
    : BaseActionClass() {
  BaseActionClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

BaseActionClass::~BaseActionClass() {
  if (KavrinOwnsRewards) delete KavrinRewards;
}

bool BaseActionClass::isSync() { return false; }
bool BaseActionClass::Enabled() { return false; }
double BaseActionClass::Weight() { return 0.0; }
double BaseActionClass::Rate() { return 0.0; }
bool BaseActionClass::ReactivationPredicate() { return false; }
bool BaseActionClass::ReactivationFunction() { return false; }
double BaseActionClass::SampleDistribution() { return 0.0; }
double* BaseActionClass::ReturnDistributionParameters() { return nullptr; }
BaseActionClass* BaseActionClass::Fire() { return nullptr; }
int BaseActionClass::Rank() { return 0; }
bool BaseActionClass::EnablingChange() { return false; }
bool BaseActionClass::IsAMember(BaseActionClass* a) { return a == this; }
double BaseActionClass::Probability(BaseActionClass*) { return 1.0; }

void BaseActionClass::printAffectedState(std::ostream* s) {
  for (int i = 0; i < AffectedStateVariables.getNumItems(); i++) AffectedStateVariables[i]->printState(s);
}

void BaseActionClass::printEnablingState(std::ostream* s) {
  for (int i = 0; i < EnablingStateVariables.getNumItems(); i++) EnablingStateVariables[i]->printState(s);
}

BaseActionClass* BaseActionClass::getPrintedAction() { return this; }
double BaseActionClass::ErlangParamM() { return 1.0; }
void BaseActionClass::setGroupId(int id) { GroupID = id; }

void BaseActionClass::BaseActionClassInitialize(const char* name, int groupId, Distribution dist,
                                                ExecutionPolicyType policy, int, int, bool reactivation) {
  defineName(name);
  Reactivation = reactivation;
  GroupID = groupId;
  DistributionType = dist;
  ExecutionPolicy = policy;
}

void BaseActionClass::defineName(const char* name) { ActionName.set(name); }

void BaseActionClass::addEnablingSV(BaseStateVariableClass* sv) {
  if (sv->isLeafNode())
    EnablingStateVariables.append(sv);
  else
    sv->addSelfAsEnablingSVToAction(this);
}

void BaseActionClass::removeEnablingSV(BaseStateVariableClass* sv) {
  if (sv->isLeafNode())
    EnablingStateVariables.remove(sv);
  else
    sv->removeSelfFromEnablingSVOfAction(this);
}

void BaseActionClass::replaceEnablingSV(BaseStateVariableClass* oldSV, BaseStateVariableClass* newSV) {
  EnablingStateVariables.replaceItem(oldSV, newSV);
}

void BaseActionClass::addAffectedSV(BaseStateVariableClass* sv) {
  if (sv->isLeafNode())
    AffectedStateVariables.append(sv);
  else
    sv->addSelfAsAffectedSVToAction(this);
}

void BaseActionClass::removeAffectedSV(BaseStateVariableClass* sv) {
  if (sv->isLeafNode())
    AffectedStateVariables.remove(sv);
  else
    sv->removeSelfFromAffectedSVOfAction(this);
}

void BaseActionClass::replaceAffectedSV(BaseStateVariableClass* oldSV, BaseStateVariableClass* newSV) {
  AffectedStateVariables.replaceItem(oldSV, newSV);
}

void BaseActionClass::AllocatePVRateDS(int n) {
  KavrinActionRewards::Own(this, "!! Memory allocation error in BaseActionClass::AllocatePVRateDS()")
      ->AllocateRate(n);
}

void BaseActionClass::AllocatePVImpulseDS(int n) {
  KavrinActionRewards::Own(this, "!! Memory allocation error in BaseActionClass::AllocatePVImpulseDS()")
      ->AllocateImpulse(n);
}

void BaseActionClass::DeallocatePVRateDS() {
  if (KavrinOwnsRewards) KavrinRewards->DeallocateRate();
}

void BaseActionClass::DeallocatePVImpulseDS() {
  if (KavrinOwnsRewards) KavrinRewards->DeallocateImpulse();
}

void BaseActionClass::PrintInfo() {
  std::cout << "********* " << ActionName << "**********" << std::endl;
  std::cout << std::endl;
  std::cout << "Enabled by:" << std::endl;
  for (int i = 0; i < EnablingStateVariables.getNumItems(); i++)
    std::cout << "           " << EnablingStateVariables[i]->getName() << std::endl;
  std::cout << "Affects:" << std::endl;
  for (int i = 0; i < AffectedStateVariables.getNumItems(); i++)
    std::cout << "           " << AffectedStateVariables[i]->getName() << std::endl;
  std::cout << "Group ID = " << GroupID << std::endl;
  std::cout << "Execution Policy = " << static_cast<int>(ExecutionPolicy) << std::endl;
  std::cout << "Disabled = " << (Disabled ? 1 : 0) << std::endl;
  std::cout << "Reactivation = " << (Reactivation ? 1 : 0) << std::endl;
  std::cout << "DistributionType = " << static_cast<int>(DistributionType) << std::endl;
}

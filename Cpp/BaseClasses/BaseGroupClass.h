// BaseGroupClass: an action made of member actions. When it fires, exactly one enabled member
// of the highest rank fires, chosen at random in proportion to the members' weights.
// The members and the choice live in a record the group makes with its first member (an
// activity, a group without members, has none; KavrinGroupMembers reaches it). Owns that record;
// the members belong to the model.
#ifndef KAVRIN_BASECLASSES_BASEGROUPCLASS_H
#define KAVRIN_BASECLASSES_BASEGROUPCLASS_H

#include <iostream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/KavrinGroupMembers.h"

class BaseGroupClass : public BaseActionClass {
 public:
  BaseGroupClass();
  BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                 int numAffected, int numEnabling, bool reactivation);
  BaseGroupClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                 int numAffected, int numEnabling, bool reactivation, int numMembers);
  ~BaseGroupClass() override;

  void BaseGroupClassInitialize(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                                int numAffected, int numEnabling, bool reactivation);

  bool Enabled() override;
  double Weight() override;
  double Rate() override;
  bool ReactivationPredicate() override;
  bool ReactivationFunction() override;
  double SampleDistribution() override;
  BaseActionClass* Fire() override;
  int Rank() override;
  bool EnablingChange() override;
  bool IsAMember(BaseActionClass* a) override;
  double Probability(BaseActionClass* a) override;
  void printEnablingState(std::ostream* s) override;
  BaseActionClass* getPrintedAction() override;
  virtual bool SelectAction();
  void setGroupId(int id) override;

  void initialize(int n, const char* name);
  void appendGroup(BaseGroupClass* member);
  void appendMembers(BaseGroupClass* other);
  void setMember(BaseGroupClass* member, int index);
  void replaceMember(BaseActionClass* oldMember, BaseActionClass* newMember);
  void enlargeArrays(int n);
  int getNumMembers() const { return KavrinMembers != nullptr ? KavrinMembers->NumActions : 0; }
  BaseGroupClass* getMember(int i);
  // The member chosen by the last selection (null when none is); an activity stands for itself.
  virtual BaseActionClass* getSelectedAction() const;
  void Check();

  // Fills the weight table from the enabled members of the highest rank and returns their
  // total weight, or -1.0 when no member is enabled.
  double CalculateWeightDistribution();

  void PrintInfo();
  void printGroup();

 protected:
  void printMembers(const char* prefix, int level);

 private:
  KavrinGroupMembers* KavrinMembers;  // null until the first member; named so as not to hide a global
  friend class KavrinGroupMembers;
};

#endif

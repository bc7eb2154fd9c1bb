// BaseActionClass: the common base of everything that can fire (SAN activities and groups).
// It carries the action's identity, its timing description, the leaf state variables it reads
// and changes, and a pointer to the reward structures that the reward model fills in (kept
// beside the action: most actions share one empty record; KavrinActionRewards reaches them).
// The simulation engine calls its virtual slots; generated activities override them.
// Members added here are named Kavrin...: the model's own code runs inside activities, and a
// description cannot name a global so, which such a member would otherwise hide.
// Its name is interned (SplitName). Owns its two variable lists (not the variables) and its
// reward record when it has one of its own; a shared record belongs to whoever made it.
#ifndef KAVRIN_BASECLASSES_BASEACTIONCLASS_H
#define KAVRIN_BASECLASSES_BASEACTIONCLASS_H

#include <iostream>

#include "BaseClasses/KavrinActionRewards.h"
#include "BaseClasses/KavrinEnums.h"
#include "BaseClasses/List.h"
#include "BaseClasses/SplitName.h"

class ActionAffectsElement;
class BaseStateVariableClass;
class PAddress;

class BaseActionClass {
 public:
  // The fields are ordered so that what a firing reads (connectivity list, event address,
  // reactivation flag, identity) shares the object's first cache line with the virtual table
  // pointer, and so that no padding is left between them; the variable lists, read only at
  // start-up, come last. The timing description takes a byte each: every value of both
  // enumerations fits.
  ActionAffectsElement* Affects;
  PAddress* EventPointer;
  int GroupID;
  int ID;
  bool Reactivation;
  bool Disabled;
  short phase;
  ExecutionPolicyType ExecutionPolicy : 8;
  Distribution DistributionType : 8;

 private:
  bool KavrinOwnsRewards;  // whether KavrinRewards was made for this action alone

 public:
  SplitName ActionName;  // reads as the whole name (a const char*)
  void* TheModel;

 private:
  KavrinActionRewards* KavrinRewards;  // never null: without reward structures, Empty()
  friend class KavrinActionRewards;

 public:
  List<BaseStateVariableClass> AffectedStateVariables;
  List<BaseStateVariableClass> EnablingStateVariables;

  // Number of actions created so far in this process; the next action's ID.
  static int MaxID;

  BaseActionClass();
  BaseActionClass(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                  int numAffected, int numEnabling, bool reactivation);

  BaseActionClass(const BaseActionClass&) = delete;
  BaseActionClass& operator=(const BaseActionClass&) = delete;

  virtual ~BaseActionClass();
  virtual bool isSync();
  virtual bool Enabled();
  virtual double Weight();
  virtual double Rate();
  virtual bool ReactivationPredicate();
  virtual bool ReactivationFunction();
  virtual double SampleDistribution();
  virtual double* ReturnDistributionParameters();
  virtual BaseActionClass* Fire();
  virtual int Rank();
  virtual bool EnablingChange();
  virtual bool IsAMember(BaseActionClass* a);
  virtual double Probability(BaseActionClass* a);
  virtual void printAffectedState(std::ostream* s);
  virtual void printEnablingState(std::ostream* s);
  virtual BaseActionClass* getPrintedAction();
  virtual double ErlangParamM();

  void BaseActionClassInitialize(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                                 int numAffected, int numEnabling, bool reactivation);
  void defineName(const char* name);
  const char* getName() const { return ActionName.get(); }

  int getID() const { return ID; }
  static int getMaxID() { return MaxID; }
  int getGroupId() const { return GroupID; }
  // Virtual so that a call through any pointer reaches a group, which hands the id on to its
  // members rather than keep it.
  virtual void setGroupId(int id);

  void addEnablingSV(BaseStateVariableClass* sv);
  void removeEnablingSV(BaseStateVariableClass* sv);
  void replaceEnablingSV(BaseStateVariableClass* oldSV, BaseStateVariableClass* newSV);
  int getNumEnablingSVs() const { return EnablingStateVariables.getNumItems(); }
  BaseStateVariableClass* getEnablingSV(int i) { return EnablingStateVariables.getItem(i); }

  void addAffectedSV(BaseStateVariableClass* sv);
  void removeAffectedSV(BaseStateVariableClass* sv);
  void replaceAffectedSV(BaseStateVariableClass* oldSV, BaseStateVariableClass* newSV);
  int getNumAffectedSVs() const { return AffectedStateVariables.getNumItems(); }
  BaseStateVariableClass* getAffectedSV(int i) { return AffectedStateVariables.getItem(i); }

  // The reward structures. The two allocations give the action a record of its own if it shares
  // one; the two releases free only arrays the action's own record owns, and leave a shared
  // record alone.
  void AllocatePVRateDS(int n);
  void AllocatePVImpulseDS(int n);
  bool IsPVRateDSAllocated() const { return KavrinRewards->AffectedRateWorkers != nullptr; }
  bool IsPVImpulseDSAllocated() const { return KavrinRewards->AffectedImpulseRewards != nullptr; }
  void DeallocatePVRateDS();
  void DeallocatePVImpulseDS();
  void ResetPhase() { phase = 1; }
  void Age() { phase++; }
  bool ReadyToFire() { return static_cast<double>(phase) == ErlangParamM(); }

  void PrintInfo();
};

// Read on every firing: defined here, where both classes are complete.
inline KavrinActionRewards* KavrinActionRewards::Of(const BaseActionClass* action) {
  return action->KavrinRewards;
}
inline bool KavrinActionRewards::Owned(const BaseActionClass* action) { return action->KavrinOwnsRewards; }

#endif

// KavrinActionRewards: what the reward model records on an action, kept beside the action
// rather than in it. Most actions of a large model take part in no reward; they point at a
// record they share (a process-wide empty one, or the reward model's) and carry only that
// pointer.
// The reward model fills the record at start-up and reads it on every firing. A record owns the
// arrays it allocated; arrays it was handed by another record (ShareRateFrom, ShareImpulseFrom)
// are only read.
#ifndef KAVRIN_BASECLASSES_KAVRINACTIONREWARDS_H
#define KAVRIN_BASECLASSES_KAVRINACTIONREWARDS_H

#include "BaseClasses/FastSet.h"

class BaseActionClass;

class KavrinActionRewards {
 public:
  // Rate structure: one set of worker indices per performance variable; null until allocated.
  FastSet* AffectedRateWorkers;
  // Impulse structure: per performance variable, the impulses this action triggers, and per
  // impulse the worker indices and their count; null until allocated.
  FastSet* AffectedImpulseRewards;
  int*** AffectedImpulseWorkers;
  int** NumAffectedImpulseWorkers;
  FastSet AffectedNodesByImpulseReward;
  FastSet AffectedNodes;
  FastSet AffectedNodesByRateReward;
  int TotalNumCollected;

  KavrinActionRewards();
  ~KavrinActionRewards();

  KavrinActionRewards(const KavrinActionRewards&) = delete;
  KavrinActionRewards& operator=(const KavrinActionRewards&) = delete;

  // The record of actions that take part in no reward: its three sets are frozen empty and it has
  // no arrays. Made on first use and never destroyed, so that an action may outlive every static.
  static KavrinActionRewards* Empty();

  // The record an action reads (never null) and whether it was made for that action alone
  // (defined in BaseActionClass.h).
  static KavrinActionRewards* Of(const BaseActionClass* action);
  static bool Owned(const BaseActionClass* action);
  // The action's own record, made empty when it has none; failure is the report when it cannot be.
  static KavrinActionRewards* Own(BaseActionClass* action, const char* failure);
  // Points the action at a record someone else owns (null: the process-wide empty one), freeing
  // the action's own record if it had one.
  static void Share(BaseActionClass* action, KavrinActionRewards* shared);

  void AllocateRate(int n);
  void AllocateImpulse(int n);
  void DeallocateRate();
  void DeallocateImpulse();
  bool IsRateAllocated() const { return AffectedRateWorkers != nullptr; }
  bool IsImpulseAllocated() const { return AffectedImpulseRewards != nullptr; }

  // Reads the other record's arrays without owning them (the other record must outlive this one
  // or this one's arrays must be released first). Only when this record has none of its own.
  void ShareRateFrom(const KavrinActionRewards& other);
  void ShareImpulseFrom(const KavrinActionRewards& other);

  // Gives variable p (of the allocated impulse structure) its tables for numImpulses impulses:
  // null worker arrays and zero counts. Does nothing when p already has them.
  void AllocateImpulseWorkerTables(int p, int numImpulses);
  // Frees the tables of every variable and the worker arrays they point at.
  void FreeImpulseWorkers();

 private:
  // Lengths of the owned arrays, 0 for none (arrays read from another record are not counted).
  int RateSlots;
  int ImpulseSlots;  // the three impulse arrays and the table lengths share one allocation
  int* ImpulseTableLengths;
};

#endif

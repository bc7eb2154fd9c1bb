#include "BaseClasses/KavrinActionRewards.h"

#include <cstddef>
#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/StandardErrors.h"
#include "BaseClasses/debug.h"

KavrinActionRewards::KavrinActionRewards()
    : AffectedRateWorkers(nullptr),
      AffectedImpulseRewards(nullptr),
      AffectedImpulseWorkers(nullptr),
      NumAffectedImpulseWorkers(nullptr),
      TotalNumCollected(0),
      RateSlots(0),
      ImpulseSlots(0),
      ImpulseTableLengths(nullptr) {}

// Worker tables the reward model left behind are freed here, so that an action destroyed before
// its reward model leaves nothing behind.
KavrinActionRewards::~KavrinActionRewards() {
  FreeImpulseWorkers();
  DeallocateRate();
  DeallocateImpulse();
}

KavrinActionRewards* KavrinActionRewards::Empty() {
  static KavrinActionRewards* const empty = [] {
    KavrinActionRewards* r = new KavrinActionRewards();
    r->AffectedNodesByImpulseReward.NoMoreModifications();
    r->AffectedNodes.NoMoreModifications();
    r->AffectedNodesByRateReward.NoMoreModifications();
    return r;
  }();
  return empty;
}

KavrinActionRewards* KavrinActionRewards::Own(BaseActionClass* action, const char* failure) {
  if (!action->KavrinOwnsRewards) {
    KavrinActionRewards* record = new (std::nothrow) KavrinActionRewards();
    if (record == nullptr) AllocationFailure(failure);
    action->KavrinRewards = record;
    action->KavrinOwnsRewards = true;
  }
  return action->KavrinRewards;
}

void KavrinActionRewards::Share(BaseActionClass* action, KavrinActionRewards* shared) {
  if (action->KavrinOwnsRewards) delete action->KavrinRewards;
  action->KavrinRewards = shared != nullptr ? shared : Empty();
  action->KavrinOwnsRewards = false;
}

void KavrinActionRewards::AllocateRate(int n) {
  DeallocateRate();
  int slots = n > 0 ? n : 1;
  AffectedRateWorkers = new (std::nothrow) FastSet[slots];
  if (AffectedRateWorkers == nullptr)
    AllocationFailure("!! Memory allocation error in BaseActionClass::AllocatePVRateDS()");
  RateSlots = slots;
}

// The three impulse arrays and the table lengths are one allocation: three or four small
// allocations each cost more in allocator overhead than in content.
void KavrinActionRewards::AllocateImpulse(int n) {
  DeallocateImpulse();
  int slots = n > 0 ? n : 1;
  const size_t sets = static_cast<size_t>(slots) * sizeof(FastSet);
  const size_t pointers = static_cast<size_t>(slots) * (sizeof(int**) + sizeof(int*));
  const size_t bytes = sets + pointers + static_cast<size_t>(slots) * sizeof(int);
  char* block = static_cast<char*>(::operator new(bytes, std::nothrow));
  if (block == nullptr)
    AllocationFailure("!! Memory allocation error in BaseActionClass::AllocatePVImpulseDS()");
  AffectedImpulseRewards = reinterpret_cast<FastSet*>(block);
  for (int i = 0; i < slots; i++) new (&AffectedImpulseRewards[i]) FastSet();
  AffectedImpulseWorkers = reinterpret_cast<int***>(block + sets);
  NumAffectedImpulseWorkers = reinterpret_cast<int**>(block + sets + slots * sizeof(int**));
  ImpulseTableLengths = reinterpret_cast<int*>(block + sets + pointers);
  for (int i = 0; i < slots; i++) {
    AffectedImpulseWorkers[i] = nullptr;
    NumAffectedImpulseWorkers[i] = nullptr;
    ImpulseTableLengths[i] = 0;
  }
  ImpulseSlots = slots;
}

void KavrinActionRewards::DeallocateRate() {
  if (RateSlots > 0) delete[] AffectedRateWorkers;
  AffectedRateWorkers = nullptr;
  RateSlots = 0;
}

void KavrinActionRewards::DeallocateImpulse() {
  if (ImpulseSlots > 0) {
    for (int i = 0; i < ImpulseSlots; i++) AffectedImpulseRewards[i].~FastSet();
    ::operator delete(static_cast<void*>(AffectedImpulseRewards));
  }
  AffectedImpulseRewards = nullptr;
  AffectedImpulseWorkers = nullptr;
  NumAffectedImpulseWorkers = nullptr;
  ImpulseTableLengths = nullptr;
  ImpulseSlots = 0;
}

void KavrinActionRewards::ShareRateFrom(const KavrinActionRewards& other) {
  KAVRIN_CHECK(RateSlots == 0, "KavrinActionRewards", 107);
  AffectedRateWorkers = other.AffectedRateWorkers;
}

void KavrinActionRewards::ShareImpulseFrom(const KavrinActionRewards& other) {
  KAVRIN_CHECK(ImpulseSlots == 0, "KavrinActionRewards", 112);
  AffectedImpulseRewards = other.AffectedImpulseRewards;
  AffectedImpulseWorkers = other.AffectedImpulseWorkers;
  NumAffectedImpulseWorkers = other.NumAffectedImpulseWorkers;
}

void KavrinActionRewards::AllocateImpulseWorkerTables(int p, int numImpulses) {
  KAVRIN_CHECK(p >= 0 && p < ImpulseSlots, "KavrinActionRewards", 119);
  if (AffectedImpulseWorkers[p] != nullptr) return;
  int length = numImpulses > 0 ? numImpulses : 1;
  AffectedImpulseWorkers[p] = new int*[length]();
  NumAffectedImpulseWorkers[p] = new int[length]();
  ImpulseTableLengths[p] = length;
}

void KavrinActionRewards::FreeImpulseWorkers() {
  for (int p = 0; p < ImpulseSlots; p++) {
    delete[] NumAffectedImpulseWorkers[p];
    NumAffectedImpulseWorkers[p] = nullptr;
    if (AffectedImpulseWorkers[p] == nullptr) continue;
    for (int i = 0; i < ImpulseTableLengths[p]; i++) delete[] AffectedImpulseWorkers[p][i];
    delete[] AffectedImpulseWorkers[p];
    AffectedImpulseWorkers[p] = nullptr;
    ImpulseTableLengths[p] = 0;
  }
}

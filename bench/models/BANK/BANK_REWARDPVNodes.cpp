#include "bench/models/BANK/BANK_REWARDPVNodes.h"

#include <algorithm>

#include "bench/models/BANK/BANKSAN.h"

extern Double batch;

BANK_REWARDPV0Worker::BANK_REWARDPV0Worker() : BANK(nullptr) { NumModels = 1; }

double BANK_REWARDPV0Worker::Reward_Function() { return BANK->Q[0]->Mark(); }

void BANK_REWARDPV0Worker::Accumulate(double next_time, double last_event_time) {
  double from = std::max(last_event_time, Start);
  double to = std::min(next_time, Stop);
  Reward = to > from ? Reward_Function() * (to - from) : 0.0;
  RewardFraction = 1.0 / (Stop - Start);
}

void BANK_REWARDPV0Worker::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) BANK = static_cast<BANKSAN*>(model);
}

BANK_REWARDPV0::BANK_REWARDPV0(int timeindex) : PerformanceVariableNode(), TheBANKSAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {batch};
  double stoppts[1] = {2.0 * batch};
  Initialize("mean_in_queue0", STEADY_STATE, 1, startpts, stoppts, timeindex, 0, 1, 1);
  Type = steady_state;
  AddVariableDependency("Q0", "BANK");
}

BANK_REWARDPV0::~BANK_REWARDPV0() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void BANK_REWARDPV0::CreateWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w] = new BANK_REWARDPV0Worker;
}

void BANK_REWARDPV0::SetModelPointer(BaseModelClass* model) { TheBANKSAN = static_cast<BANKSAN*>(model); }

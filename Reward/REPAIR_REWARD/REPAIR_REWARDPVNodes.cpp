#include "Reward/REPAIR_REWARD/REPAIR_REWARDPVNodes.h"

#include <algorithm>

#include "Atomic/Repairman/RepairmanSAN.h"

REPAIR_REWARDPV0Worker::REPAIR_REWARDPV0Worker() : Repairman(nullptr) { NumModels = 1; }

double REPAIR_REWARDPV0Worker::Reward_Function() { return Repairman->Down->Mark(); }

// The reward earned over the part of [last_event_time, next_time] inside the window, in the
// marking held during it; the node weights it by 1 / batch length to form the time average.
void REPAIR_REWARDPV0Worker::Accumulate(double next_time, double last_event_time) {
  double from = std::max(last_event_time, Start);
  double to = std::min(next_time, Stop);
  Reward = to > from ? Reward_Function() * (to - from) : 0.0;
  RewardFraction = 1.0 / (Stop - Start);
}

void REPAIR_REWARDPV0Worker::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) Repairman = static_cast<RepairmanSAN*>(model);
}

REPAIR_REWARDPV0::REPAIR_REWARDPV0(int timeindex) : PerformanceVariableNode(), TheRepairmanSAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {1000.0};
  double stoppts[1] = {2000.0};
  Initialize("machines_down", STEADY_STATE, 1, startpts, stoppts, timeindex, 0, 1, 1);
  Type = steady_state;
  AddVariableDependency("Down", "Repairman");
}

REPAIR_REWARDPV0::~REPAIR_REWARDPV0() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void REPAIR_REWARDPV0::CreateWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w] = new REPAIR_REWARDPV0Worker;
}

void REPAIR_REWARDPV0::SetModelPointer(BaseModelClass* model) { TheRepairmanSAN = static_cast<RepairmanSAN*>(model); }

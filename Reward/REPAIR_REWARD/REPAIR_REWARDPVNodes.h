// The variable of reward model REPAIR_REWARD: "machines_down", steady state, the time-averaged
// marking of Down over each batch of 1,000 time units after a warm-up of 1,000.
#ifndef REPAIR_REWARDPVNODES_H
#define REPAIR_REWARDPVNODES_H

#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class BaseModelClass;
class RepairmanSAN;

class REPAIR_REWARDPV0Worker : public PerformanceVariableWorker {
 public:
  RepairmanSAN* Repairman;
  REPAIR_REWARDPV0Worker();
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class REPAIR_REWARDPV0 : public PerformanceVariableNode {
 public:
  RepairmanSAN* TheRepairmanSAN;

  explicit REPAIR_REWARDPV0(int timeindex = 0);
  ~REPAIR_REWARDPV0() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

#endif

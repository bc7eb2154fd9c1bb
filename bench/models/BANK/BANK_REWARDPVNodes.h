// The variable of reward model BANK_REWARD: "mean_in_queue0", steady state, the time-averaged
// marking of Q0 over batches of `batch` time units after a warm-up of one batch.
#ifndef BANK_REWARDPVNODES_H
#define BANK_REWARDPVNODES_H

#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class BaseModelClass;
class BANKSAN;

class BANK_REWARDPV0Worker : public PerformanceVariableWorker {
 public:
  BANKSAN* BANK;
  BANK_REWARDPV0Worker();
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class BANK_REWARDPV0 : public PerformanceVariableNode {
 public:
  BANKSAN* TheBANKSAN;

  explicit BANK_REWARDPV0(int timeindex = 0);
  ~BANK_REWARDPV0() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

#endif

// The variables of reward model ERLANG_REWARD, both steady state with a warm-up of 1,000 time
// units and batches of 1,000:
//   "all_busy": the fraction of each batch during which every server is busy;
//   "blocked": the number of arrivals lost in each batch (firings of Arrival_case2).
#ifndef ERLANG_REWARDPVNODES_H
#define ERLANG_REWARDPVNODES_H

#include "Performance_Variables/IntervalOfTimeImpulse.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class BaseModelClass;
class ErlangLossSAN;

class ERLANG_REWARDPV0Worker : public PerformanceVariableWorker {
 public:
  ErlangLossSAN* ErlangLoss;
  ERLANG_REWARDPV0Worker();
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class ERLANG_REWARDPV0 : public PerformanceVariableNode {
 public:
  ErlangLossSAN* TheErlangLossSAN;

  explicit ERLANG_REWARDPV0(int timeindex = 0);
  ~ERLANG_REWARDPV0() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

class ERLANG_REWARDPV1Impulse0 : public IntervalOfTimeImpulse {
 public:
  ErlangLossSAN* ErlangLoss;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  ERLANG_REWARDPV1Impulse0();
  ~ERLANG_REWARDPV1Impulse0() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class ERLANG_REWARDPV1 : public PerformanceVariableNode {
 public:
  ErlangLossSAN* TheErlangLossSAN;
  ERLANG_REWARDPV1Impulse0 Impulse0;

  explicit ERLANG_REWARDPV1(int timeindex = 0);
  ~ERLANG_REWARDPV1() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

#endif

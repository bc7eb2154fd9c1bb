// The variables of reward model MM1_REWARD, written by hand.
#ifndef MM1_REWARDPVNODES_H
#define MM1_REWARDPVNODES_H

#include "Performance_Variables/IntervalOfTimeImpulse.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class BaseModelClass;
class MM1SAN;

class MM1_REWARDPV0Worker : public PerformanceVariableWorker {
 public:
  MM1SAN* MM1;
  MM1_REWARDPV0Worker();
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class MM1_REWARDPV0 : public PerformanceVariableNode {
 public:
  MM1SAN* TheMM1SAN;

  explicit MM1_REWARDPV0(int timeindex = 0);
  ~MM1_REWARDPV0() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

class MM1_REWARDPV1Impulse0 : public IntervalOfTimeImpulse {
 public:
  MM1SAN* MM1;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  MM1_REWARDPV1Impulse0();
  ~MM1_REWARDPV1Impulse0() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class MM1_REWARDPV1 : public PerformanceVariableNode {
 public:
  MM1SAN* TheMM1SAN;
  MM1_REWARDPV1Impulse0 Impulse0;

  explicit MM1_REWARDPV1(int timeindex = 0);
  ~MM1_REWARDPV1() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

#endif

// The variables of reward model GPU_REWARD: "token_game" counts the firings of seven actions of
// GPU_MODEL_ATOMIC_COMPOSITION between time 0 and time 1, one impulse of 1 per firing.
#ifndef GPU_REWARDPVNODES_H
#define GPU_REWARDPVNODES_H

#include "Performance_Variables/IntervalOfTimeImpulse.h"
#include "Performance_Variables/PerformanceVariableNode.h"

class BaseModelClass;
class GPU_MODEL_ATOMIC_COMPOSITIONSAN;

class GPU_REWARDPV0Impulse0 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse0();
  ~GPU_REWARDPV0Impulse0() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse1 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse1();
  ~GPU_REWARDPV0Impulse1() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse2 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse2();
  ~GPU_REWARDPV0Impulse2() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse3 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse3();
  ~GPU_REWARDPV0Impulse3() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse4 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse4();
  ~GPU_REWARDPV0Impulse4() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse5 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse5();
  ~GPU_REWARDPV0Impulse5() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0Impulse6 : public IntervalOfTimeImpulse {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* GPU_MODEL_ATOMIC_COMPOSITION;
  ImpulseNodeClass** ImpulseWorkerList;
  int ImpulseWorkerListLength;
  GPU_REWARDPV0Impulse6();
  ~GPU_REWARDPV0Impulse6() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
};

class GPU_REWARDPV0 : public PerformanceVariableNode {
 public:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN* TheGPU_MODEL_ATOMIC_COMPOSITIONSAN;
  GPU_REWARDPV0Impulse0 Impulse0;
  GPU_REWARDPV0Impulse1 Impulse1;
  GPU_REWARDPV0Impulse2 Impulse2;
  GPU_REWARDPV0Impulse3 Impulse3;
  GPU_REWARDPV0Impulse4 Impulse4;
  GPU_REWARDPV0Impulse5 Impulse5;
  GPU_REWARDPV0Impulse6 Impulse6;

  explicit GPU_REWARDPV0(int timeindex = 0);
  ~GPU_REWARDPV0() override;
  void CreateWorkerList() override;
  void SetModelPointer(BaseModelClass* model) override;
};

#endif

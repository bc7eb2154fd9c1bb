// A rate-reward worker: computes a variable's rate reward for one combination of model instances.
// Generated (or test) subclasses supply Reward_Function and Accumulate; after each Accumulate the
// node reads Reward (the step's contribution) and the first worker's RewardFraction (the weight the
// node applies to the sum). The worker owns its Name and borrows its models.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_PERFORMANCEVARIABLEWORKER_H
#define KAVRIN_PERFORMANCE_VARIABLES_PERFORMANCEVARIABLEWORKER_H

class BaseModelClass;

class PerformanceVariableWorker {
 public:
  BaseModelClass*** TheModelPtr;  // addresses of the subclass's own typed model pointers
  int NumModels;
  int lastQualification;
  char* Name;
  int Trace;
  int Number;
  int id;
  double Reward;
  double RewardSqr;
  double RewardFraction;
  double Start;
  double Stop;

  PerformanceVariableWorker();
  virtual ~PerformanceVariableWorker();

  virtual double Reward_Function() = 0;
  virtual void Accumulate(double next_time, double last_event_time) = 0;
  virtual void CurrentReward();
  virtual void Reset();
  // Binds model slot k; typed subclasses override it (see ImpulseNodeClass::SetModelPointer).
  virtual void SetModelPointer(int k, BaseModelClass* model);

  void DefineName(const char* name, int number);

  PerformanceVariableWorker(const PerformanceVariableWorker&) = delete;
  PerformanceVariableWorker& operator=(const PerformanceVariableWorker&) = delete;
};

#endif

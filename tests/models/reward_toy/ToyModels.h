// Small hand-written models for the reward-model tests.
//   ToyModel: one place "Tokens" and three actions "add" (+1), "remove" (-1) and "idle" (no change).
//   ToyComposite: a top model listing several ToyModels, so that variables see several instances.
//   ToyPVModel: a reward model whose variables are described by NodeDef values.
//   TokenWorker: a rate worker integrating the tokens of its instances over time.
//   CountImpulse: an impulse earning 1 per firing.
#ifndef KAVRIN_TESTS_MODELS_REWARD_TOY_TOYMODELS_H
#define KAVRIN_TESTS_MODELS_REWARD_TOY_TOYMODELS_H

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/SAN/Place.h"
#include "Performance_Variables/IntervalOfTimeImpulse.h"
#include "Performance_Variables/PVModel.h"
#include "Performance_Variables/PerformanceVariableNode.h"
#include "Performance_Variables/PerformanceVariableWorker.h"

class ToyAction : public BaseActionClass {
 public:
  ToyAction(const char* name, Place* target, short delta);
  BaseActionClass* Fire() override;
  Place* Target;
  short Delta;
};

class ToyModel : public BaseModelClass {
 public:
  ToyModel(const char* name, short tokens);
  ~ToyModel() override;
  ToyAction* action(const char* name);

  void listModels(const char* name, List<BaseModelClass>* models) override;
  void CurrentState(void* buffer) override;
  void listActions(List<BaseActionClass>* actions) override;
  void listGroups(List<BaseGroupClass>* groups) override;
  void SetState(void* buffer) override;
  int StateSize() override;
  bool CompareState(void* s1, void* s2) override;
  void listActions(const char* name, List<BaseActionClass>* actions) override;
  void listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
               List<BaseModelClass>* modelList) override;

  Place* Tokens;
  std::vector<ToyAction*> Actions;
};

class ToyComposite : public BaseModelClass {
 public:
  explicit ToyComposite(std::vector<ToyModel*> children);  // takes ownership
  ~ToyComposite() override;

  void listModels(const char* name, List<BaseModelClass>* models) override;
  void CurrentState(void* buffer) override;
  void listActions(List<BaseActionClass>* actions) override;
  void listGroups(List<BaseGroupClass>* groups) override;
  void SetState(void* buffer) override;
  int StateSize() override;
  bool CompareState(void* s1, void* s2) override;
  void listActions(const char* name, List<BaseActionClass>* actions) override;
  void listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
               List<BaseModelClass>* modelList) override;

  std::vector<ToyModel*> Children;
};

class TokenWorker : public PerformanceVariableWorker {
 public:
  TokenWorker(int numModels, bool timeAveraged);
  double Reward_Function() override;
  void Accumulate(double next_time, double last_event_time) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
  std::vector<ToyModel*> Models;
  bool TimeAveraged;
};

class CountImpulse : public IntervalOfTimeImpulse {
 public:
  explicit CountImpulse(bool timeAveraged, int numModels = 1);
  ~CountImpulse() override;
  double Impulse_Function(double t) override;
  ImpulseNodeClass** CreateImpulseWorkerList(int n) override;
  void SetModelPointer(int k, BaseModelClass* model) override;
  std::vector<BaseModelClass*> Models;
  std::vector<ImpulseNodeClass*> Workers;
  std::unique_ptr<ImpulseNodeClass*[]> WorkerArray;
};

struct NodeDef {
  std::string Name = "toy";
  RewardType Reward = INTERVAL_OF_TIME;
  PVType Type = terminating;
  std::vector<double> Starts{0.0};
  std::vector<double> Stops{1.0};
  std::vector<std::pair<std::string, std::string>> Variables;  // (variable, model)
  std::vector<std::string> Models;                             // further models the rate reward reads
  std::vector<std::pair<std::string, std::string>> Impulses;   // (action, model)
  bool TimeAveragedImpulses = false;
};

class ToyNode : public PerformanceVariableNode {
 public:
  ToyNode(const NodeDef& nodeDef, int timeindex);
  ~ToyNode() override;
  void CreateWorkerList() override;
  std::vector<std::unique_ptr<CountImpulse>> Prototypes;
  bool TimeAveraged;
};

class ToyPVModel : public PVModel {
 public:
  // Takes ownership of the model; builds one node per NodeDef (and per further time point when expanding).
  ToyPVModel(BaseModelClass* model, std::vector<NodeDef> defs, bool expandtimearrays = true);
  PerformanceVariableNode* createPVNode(int pvindex, int timeindex) override;
  std::vector<NodeDef> Defs;
};

#endif

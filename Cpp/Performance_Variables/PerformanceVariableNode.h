// One performance variable at one time point: its definition (reward type, window, the models and
// state variables its rate reward reads, the actions whose firings earn impulses), its rate and impulse
// workers, and the running totals the run drivers read at the end of each batch.
// Owns its name, time lists, name tables, model groups and the outer worker arrays. The rate workers
// are owned by the generated subclass; the impulse prototypes are members of the generated subclass
// and each prototype owns its impulse workers. The models are borrowed.
#ifndef KAVRIN_PERFORMANCE_VARIABLES_PERFORMANCEVARIABLENODE_H
#define KAVRIN_PERFORMANCE_VARIABLES_PERFORMANCEVARIABLENODE_H

#include <utility>
#include <vector>

#include "BaseClasses/KavrinEnums.h"
#include "Performance_Variables/ActionModelPairClass.h"
#include "Performance_Variables/ImpulseNodeClass.h"
#include "Performance_Variables/ModelGroupClass.h"
#include "Performance_Variables/PerformanceVariableWorker.h"
#include "Performance_Variables/VarModelPairClass.h"

class BaseActionClass;
class BaseModelClass;

class PerformanceVariableNode {
 public:
  BaseModelClass** TheModelPtr;  // address of the generated subclass's own typed model pointer
  char* Name;
  double TotalReward;
  double TotalRewardSqr;
  double Start;
  double Stop;
  int NumTimes;
  double* StartList;
  double* StopList;
  double TotalImpulse;
  double TotalImpulseSqr;
  double batchSize;
  PVType Type;
  RewardType PVRewardType;
  int Accumulating;
  int id;
  int Trace;
  BaseActionClass** ActionDependencies;
  int NumberOfActionDependencies;
  ModelGroupClass* ModelList;
  int NumberOfWorkers;
  PerformanceVariableWorker** WorkerList;
  VarModelPairClass* VarNamesList;
  int NumberOfVarNames;
  int NumberOfImpulses;
  int* NumberOfImpulseModelNames;
  int* NumberOfImpulseWorkers;
  int* NumberOfImpulseActions;
  ImpulseNodeClass** ImpulseNodeList;
  ImpulseNodeClass*** ImpulseWorkersList;  // inner arrays belong to the prototypes
  ActionModelPairClass* ActionNamesList;
  char*** ImpulseModelNamesList;
  ModelGroupClass** ImpulseModelList;
  char** ModelNamesList;
  int NumberOfModelNames;

  // Process-wide node counter; a node's id is its position in the reward model's list.
  static int the_id;

  PerformanceVariableNode();
  virtual ~PerformanceVariableNode();
  virtual void CreateWorkerList() = 0;
  virtual void Reset();
  // Binds the node's model pointer; typed subclasses override it (see ImpulseNodeClass::SetModelPointer).
  virtual void SetModelPointer(BaseModelClass* model);

  // Definition, used by the generated constructor.
  void Initialize(const char* the_name, RewardType rewardtype, int numtimes, double* startpts,
                  double* stoppts, int timeindex, int number_of_impulses, int numModelsAffectingReward,
                  int number_of_variable_dependencies);
  void AddModelDependency(const char* TheName);
  void AddVariableDependency(const char* TheVarName, const char* TheModelName);
  void AddImpulse(const char* TheActionName, const char* TheModelName, ImpulseNodeClass* TheImpulse);
  void AddImpulseModelDependency(const char* TheModelName, ImpulseNodeClass* TheImpulse);

  // Wiring, used by the reward model while it is built.
  void FixReferences(BaseModelClass* TheModel);
  void GetNumberOfWorkers();
  void GetNumberOfImpulseWorkers();
  void CreateModelGroupList();
  void FixWorkerList();
  void AddPVWorkersToAction(BaseActionClass* action, BaseModelClass* model);
  void CreateImpulseModelGroupList();
  void CreateImpulseWorkerLists();
  void FixImpulseWorkerLists();

  // Accumulation, used at every event and at the end of a batch.
  void Accumulate(double new_time, double last_event_time, BaseActionClass* LastAction);
  void CommonAccumulate(double next_time, double last_event_time, BaseActionClass* LastAction);
  void UpdateAccumulate(double t);
  void TotalAccumulation();
  void EndAccumulate(double finish_time, double last_event_time, BaseActionClass* LastAction);
  void CurrentReward(BaseActionClass* TheAction);
  void UpdateDependencies();
  // Once the reward structures are frozen: flattens, for each of the given actions, the impulse
  // workers its firings credit, so that a step finds them by the action's ID. Actions not given
  // keep the general lookup.
  void PrepareImpulseDispatch(BaseActionClass* const* actions, int n);

  bool IsDependentOnModel(const char* TheModelName) const;
  bool IsDependentOnImpulseModel(const char* TheModelName, int impulse) const;
  int GetImpulseNumber(const ImpulseNodeClass* TheImpulse) const;
  bool ImpulseAffectedBy(BaseActionClass* TheAction) const;
  void DefineName(const char* TheName);

  RewardType GetRewardType() const { return PVRewardType; }
  int GetNumTimePoints() const { return NumTimes; }
  double GetStartTime(int i) const { return StartList[i]; }
  double GetStopTime(int i) const { return StopList[i]; }
  const char* GetName() const { return Name; }

  PerformanceVariableNode(const PerformanceVariableNode&) = delete;
  PerformanceVariableNode& operator=(const PerformanceVariableNode&) = delete;

 private:
  // Completes the node: the time-averaged impulse workers are divided once, with doneTime as
  // the end of the observed window, then the totals are formed.
  void Complete(double doneTime);
  void UpdateAccumulate(double t, double doneTime);
  // Instances of the named model reachable from the bound model, in listing order.
  std::vector<BaseModelClass*> Instances(const char* TheModelName) const;
  // As Instances, but a name without instance is a model-definition error that ends the process.
  std::vector<BaseModelClass*> RequiredInstances(const char* TheModelName) const;
  // The impulse workers credited by the firing of action ID ImpulseFirstID + k are
  // ImpulseSlots[first .. second) of ImpulseSlotRange[k]; a negative first marks an ID with no
  // entry (general lookup).
  std::vector<std::pair<int, int>> ImpulseSlotRange;
  std::vector<ImpulseNodeClass*> ImpulseSlots;
  int ImpulseFirstID = 0;
  bool ImpulseDispatchReady = false;
  // Every impulse worker runs IntervalOfTimeImpulse's own Accumulate, Reset and
  // completeAccumulation, which are then called without dispatch.
  bool PlainIntervalImpulses = false;
  void AccumulateImpulses(double next_time, double last_event_time, BaseActionClass* LastAction);
  BaseModelClass* TopModel;
  int ImpulseCapacity;
  int ModelNameCapacity;
  int VarNameCapacity;
};

#endif

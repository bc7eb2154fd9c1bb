#include "Performance_Variables/PerformanceVariableNode.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <limits>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/FastSet.h"
#include "BaseClasses/FinalOverrider.h"
#include "BaseClasses/KavrinName.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"
#include "Performance_Variables/IntervalOfTimeImpulse.h"

int PerformanceVariableNode::the_id = 0;

namespace {

bool SameName(const char* a, const char* b) { return a != nullptr && b != nullptr && std::strcmp(a, b) == 0; }

// Membership in a frozen set: its array is sorted.
bool FrozenContains(FastSet& set, int value) {
  int lo = 0;
  int hi = set.size() - 1;
  while (lo <= hi) {
    int mid = lo + (hi - lo) / 2;
    int v = set[mid];
    if (v == value) return true;
    if (v < value)
      lo = mid + 1;
    else
      hi = mid - 1;
  }
  return false;
}

// A generated model that names something it does not contain cannot be simulated.
[[noreturn]] void ModelDefinitionError() {
  std::cerr.flush();
  std::exit(1);
}

}  // namespace

PerformanceVariableNode::PerformanceVariableNode()
    : TheModelPtr(nullptr),
      Name(nullptr),
      TotalReward(0.0),
      TotalRewardSqr(0.0),
      Start(-1.0),
      Stop(-1.0),
      NumTimes(0),
      StartList(nullptr),
      StopList(nullptr),
      TotalImpulse(0.0),
      TotalImpulseSqr(0.0),
      batchSize(0.0),
      Type(terminating),
      PVRewardType(UNDEFINED),
      Accumulating(0),
      id(-1),
      Trace(0),
      ActionDependencies(nullptr),
      NumberOfActionDependencies(0),
      ModelList(nullptr),
      NumberOfWorkers(0),
      WorkerList(nullptr),
      VarNamesList(nullptr),
      NumberOfVarNames(0),
      NumberOfImpulses(0),
      NumberOfImpulseModelNames(nullptr),
      NumberOfImpulseWorkers(nullptr),
      NumberOfImpulseActions(nullptr),
      ImpulseNodeList(nullptr),
      ImpulseWorkersList(nullptr),
      ActionNamesList(nullptr),
      ImpulseModelNamesList(nullptr),
      ImpulseModelList(nullptr),
      ModelNamesList(nullptr),
      NumberOfModelNames(0),
      TopModel(nullptr),
      ImpulseCapacity(0),
      ModelNameCapacity(0),
      VarNameCapacity(0) {}

PerformanceVariableNode::~PerformanceVariableNode() {
  delete[] Name;
  delete[] StartList;
  delete[] StopList;
  delete[] ActionDependencies;
  delete[] ModelList;
  delete[] WorkerList;
  delete[] VarNamesList;
  for (int m = 0; m < NumberOfModelNames; m++) delete[] ModelNamesList[m];
  delete[] ModelNamesList;
  for (int i = 0; i < NumberOfImpulses; i++) {
    if (ImpulseModelNamesList[i] != nullptr) {
      for (int m = 0; m < NumberOfImpulseModelNames[i]; m++) delete[] ImpulseModelNamesList[i][m];
      delete[] ImpulseModelNamesList[i];
    }
    delete[] ImpulseModelList[i];
  }
  delete[] ImpulseModelNamesList;
  delete[] ImpulseModelList;
  delete[] NumberOfImpulseModelNames;
  delete[] NumberOfImpulseWorkers;
  delete[] NumberOfImpulseActions;
  delete[] ImpulseNodeList;
  delete[] ImpulseWorkersList;  // the inner arrays belong to the prototypes
  delete[] ActionNamesList;
}

void PerformanceVariableNode::SetModelPointer(BaseModelClass* model) {
  if (TheModelPtr != nullptr) *TheModelPtr = model;
}

void PerformanceVariableNode::Initialize(const char* the_name, RewardType rewardtype, int numtimes,
                                         double* startpts, double* stoppts, int timeindex,
                                         int number_of_impulses, int numModelsAffectingReward,
                                         int number_of_variable_dependencies) {
  KAVRIN_CHECK(numtimes > 0 && timeindex >= 0 && timeindex < numtimes, "PerformanceVariableNode", 125);
  id = the_id;
  the_id = the_id + 1;
  PVRewardType = rewardtype;
  NumTimes = numtimes;
  StartList = new double[numtimes];
  StopList = new double[numtimes];
  for (int t = 0; t < numtimes; t++) {
    StartList[t] = startpts[t];
    StopList[t] = stoppts[t];
  }
  Start = StartList[timeindex];
  Stop = StopList[timeindex];
  batchSize = Stop - Start;
  KavrinReplaceName(Name, the_name);

  if (number_of_variable_dependencies > 0) {
    VarNameCapacity = number_of_variable_dependencies;
    VarNamesList = new VarModelPairClass[VarNameCapacity];
  }
  if (numModelsAffectingReward > 0) {
    ModelNameCapacity = numModelsAffectingReward;
    ModelNamesList = new char*[ModelNameCapacity]();
  }
  if (number_of_impulses > 0) {
    ImpulseCapacity = number_of_impulses;
    ImpulseNodeList = new ImpulseNodeClass*[ImpulseCapacity]();
    ImpulseWorkersList = new ImpulseNodeClass**[ImpulseCapacity]();
    NumberOfImpulseWorkers = new int[ImpulseCapacity]();
    ImpulseModelNamesList = new char**[ImpulseCapacity]();
    NumberOfImpulseModelNames = new int[ImpulseCapacity]();
    ActionNamesList = new ActionModelPairClass[ImpulseCapacity];
    NumberOfImpulseActions = new int[ImpulseCapacity]();
    ImpulseModelList = new ModelGroupClass*[ImpulseCapacity]();
  }
}

void PerformanceVariableNode::AddModelDependency(const char* TheName) {
  for (int m = 0; m < NumberOfModelNames; m++)
    if (SameName(ModelNamesList[m], TheName)) return;
  KAVRIN_CHECK(NumberOfModelNames < ModelNameCapacity, "PerformanceVariableNode", 165);
  ModelNamesList[NumberOfModelNames++] = KavrinCopyName(TheName);
}

void PerformanceVariableNode::AddVariableDependency(const char* TheVarName, const char* TheModelName) {
  KAVRIN_CHECK(NumberOfVarNames < VarNameCapacity, "PerformanceVariableNode", 170);
  VarNamesList[NumberOfVarNames++].SetPair(TheVarName, TheModelName);
  AddModelDependency(TheModelName);
}

void PerformanceVariableNode::AddImpulse(const char* TheActionName, const char* TheModelName,
                                         ImpulseNodeClass* TheImpulse) {
  int n = GetImpulseNumber(TheImpulse);
  if (n == -1) {
    KAVRIN_CHECK(NumberOfImpulses < ImpulseCapacity, "PerformanceVariableNode", 179);
    n = NumberOfImpulses++;
    ImpulseNodeList[n] = TheImpulse;
    // Room for the names the impulse function reads, plus the action's model when it is not one of them.
    ImpulseModelNamesList[n] = new char*[TheImpulse->NumberOfModelDependencies + 1]();
    NumberOfImpulseModelNames[n] = 0;
  }
  ActionNamesList[n].SetPair(TheActionName, TheModelName);
  AddImpulseModelDependency(TheModelName, TheImpulse);
}

void PerformanceVariableNode::AddImpulseModelDependency(const char* TheModelName,
                                                        ImpulseNodeClass* TheImpulse) {
  int n = GetImpulseNumber(TheImpulse);
  if (n == -1) {
    std::cerr << "Model Dependency requested on undefined impulse."
              << "  Check code generator.  Error code GP0001.\n";
    ModelDefinitionError();
  }
  if (IsDependentOnImpulseModel(TheModelName, n)) return;
  KAVRIN_CHECK(NumberOfImpulseModelNames[n] < TheImpulse->NumberOfModelDependencies + 1,
               "PerformanceVariableNode", 200);
  ImpulseModelNamesList[n][NumberOfImpulseModelNames[n]++] = KavrinCopyName(TheModelName);
}

bool PerformanceVariableNode::IsDependentOnModel(const char* TheModelName) const {
  for (int m = 0; m < NumberOfModelNames; m++)
    if (SameName(ModelNamesList[m], TheModelName)) return true;
  return false;
}

bool PerformanceVariableNode::IsDependentOnImpulseModel(const char* TheModelName, int impulse) const {
  if (impulse < 0 || impulse >= NumberOfImpulses || ImpulseModelNamesList[impulse] == nullptr) return false;
  for (int m = 0; m < NumberOfImpulseModelNames[impulse]; m++)
    if (SameName(ImpulseModelNamesList[impulse][m], TheModelName)) return true;
  return false;
}

int PerformanceVariableNode::GetImpulseNumber(const ImpulseNodeClass* TheImpulse) const {
  for (int i = 0; i < NumberOfImpulses; i++)
    if (ImpulseNodeList[i] == TheImpulse) return i;
  return -1;
}

std::vector<BaseModelClass*> PerformanceVariableNode::Instances(const char* TheModelName) const {
  std::vector<BaseModelClass*> result;
  if (TopModel == nullptr || TheModelName == nullptr) return result;
  List<BaseModelClass> found;
  TopModel->listModels(TheModelName, &found);
  for (int k = 0; k < found.getNumItems(); k++) result.push_back(found.getItem(k));
  return result;
}

std::vector<BaseModelClass*> PerformanceVariableNode::RequiredInstances(const char* TheModelName) const {
  std::vector<BaseModelClass*> result = Instances(TheModelName);
  if (result.empty()) {
    std::cerr << "Number of " << TheModelName << "'s was " << 0 << ".  Model cannot be created.\n";
    const char* top = TopModel != nullptr ? TopModel->getName() : nullptr;
    if (top != nullptr)
      std::cerr << "Model Name was: " << top << "\n.";
    else
      std::cerr << "Model Name was: NULL\n";
    ModelDefinitionError();
  }
  return result;
}

void PerformanceVariableNode::FixReferences(BaseModelClass* TheModel) {
  TopModel = TheModel;
  SetModelPointer(TheModel);
  GetNumberOfWorkers();
  GetNumberOfImpulseWorkers();
  delete[] WorkerList;
  WorkerList = NumberOfWorkers > 0 ? new PerformanceVariableWorker*[NumberOfWorkers]() : nullptr;
}

void PerformanceVariableNode::GetNumberOfWorkers() {
  NumberOfWorkers = NumberOfModelNames > 0 ? 1 : 0;
  for (int m = 0; m < NumberOfModelNames; m++)
    NumberOfWorkers *= static_cast<int>(Instances(ModelNamesList[m]).size());
}

void PerformanceVariableNode::GetNumberOfImpulseWorkers() {
  for (int i = 0; i < NumberOfImpulses; i++) {
    int workers = 1;
    for (int m = 0; m < NumberOfImpulseModelNames[i]; m++)
      workers *= static_cast<int>(Instances(ImpulseModelNamesList[i][m]).size());
    NumberOfImpulseActions[i] = static_cast<int>(Instances(ActionNamesList[i].ModelName).size());
    if (!IsDependentOnImpulseModel(ActionNamesList[i].ModelName, i)) workers *= NumberOfImpulseActions[i];
    NumberOfImpulseWorkers[i] = workers;
  }
}

// Workers enumerate every combination of instances, the first model name varying slowest.
void PerformanceVariableNode::CreateModelGroupList() {
  delete[] ModelList;
  ModelList = NumberOfWorkers > 0 ? new ModelGroupClass[NumberOfWorkers] : nullptr;
  for (int w = 0; w < NumberOfWorkers; w++) ModelList[w].CreateModelList(NumberOfModelNames);
  int repetition = NumberOfWorkers;
  for (int m = 0; m < NumberOfModelNames; m++) {
    std::vector<BaseModelClass*> instances = RequiredInstances(ModelNamesList[m]);
    int count = static_cast<int>(instances.size());
    repetition = repetition / count;
    int index = -1;
    for (int w = 0; w < NumberOfWorkers; w++) {
      if (w % repetition == 0) index = (index + 1) % count;
      ModelList[w].SetModel(m, instances[index]);
    }
  }
}

void PerformanceVariableNode::FixWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) {
    PerformanceVariableWorker* worker = WorkerList[w];
    KAVRIN_CHECK(worker != nullptr, "PerformanceVariableNode", 293);
    worker->Start = Start;
    worker->Stop = Stop;
    worker->DefineName(Name, w);
    worker->id = id;
    for (int m = 0; m < NumberOfModelNames; m++) worker->SetModelPointer(m, ModelList[w].ModelList[m]);
  }
}

void PerformanceVariableNode::AddPVWorkersToAction(BaseActionClass* action, BaseModelClass* model) {
  for (int w = 0; w < NumberOfWorkers; w++)
    if (ModelList[w].IsDependentOnModel(model))
      KavrinActionRewards::Of(action)->AffectedRateWorkers[id].insert(w);
}

// The workers of an impulse form NumberOfImpulseActions consecutive blocks, block c collecting the
// firings of the action in instance c of its model; within a block the other model names enumerate
// their instances, the first name varying slowest.
void PerformanceVariableNode::CreateImpulseModelGroupList() {
  for (int i = 0; i < NumberOfImpulses; i++) {
    int workers = NumberOfImpulseWorkers[i];
    delete[] ImpulseModelList[i];
    ImpulseModelList[i] = workers > 0 ? new ModelGroupClass[workers] : nullptr;
    for (int w = 0; w < workers; w++) ImpulseModelList[i][w].CreateModelList(NumberOfImpulseModelNames[i]);
    std::vector<BaseModelClass*> containers = RequiredInstances(ActionNamesList[i].ModelName);
    int block = workers / static_cast<int>(containers.size());
    int repetition = block;
    for (int m = 0; m < NumberOfImpulseModelNames[i]; m++) {
      const char* name = ImpulseModelNamesList[i][m];
      if (SameName(name, ActionNamesList[i].ModelName)) {
        for (int w = 0; w < workers; w++) ImpulseModelList[i][w].SetModel(m, containers[w / block]);
        continue;
      }
      std::vector<BaseModelClass*> instances = RequiredInstances(name);
      int count = static_cast<int>(instances.size());
      repetition = repetition / count;
      for (int w = 0; w < workers; w++)
        ImpulseModelList[i][w].SetModel(m, instances[((w % block) / repetition) % count]);
    }
  }
}

void PerformanceVariableNode::CreateImpulseWorkerLists() {
  for (int i = 0; i < NumberOfImpulses; i++)
    ImpulseWorkersList[i] = ImpulseNodeList[i]->CreateImpulseWorkerList(NumberOfImpulseWorkers[i]);
}

void PerformanceVariableNode::FixImpulseWorkerLists() {
  for (int i = 0; i < NumberOfImpulses; i++) {
    int workers = NumberOfImpulseWorkers[i];
    if (workers == 0) continue;
    std::vector<BaseModelClass*> containers = RequiredInstances(ActionNamesList[i].ModelName);
    int block = workers / static_cast<int>(containers.size());
    for (int w = 0; w < workers; w++) {
      ImpulseNodeClass* worker = ImpulseWorkersList[i][w];
      KAVRIN_CHECK(worker != nullptr, "PerformanceVariableNode", 347);
      worker->DefineName(Name, i, w);
      worker->Start = Start;
      worker->Stop = Stop;
      worker->id = id;
      worker->ContainingModel = containers[w / block];
      for (int m = 0; m < NumberOfImpulseModelNames[i]; m++)
        worker->SetModelPointer(m, ImpulseModelList[i][w].ModelList[m]);
    }
  }
}

bool PerformanceVariableNode::ImpulseAffectedBy(BaseActionClass* TheAction) const {
  if (TheAction == nullptr || !TheAction->IsPVImpulseDSAllocated()) return false;
  return FrozenContains(KavrinActionRewards::Of(TheAction)->AffectedNodesByImpulseReward, id);
}

void PerformanceVariableNode::Accumulate(double new_time, double last_event_time,
                                         BaseActionClass* LastAction) {
  if (Accumulating != 2 && new_time >= Start) {
    CommonAccumulate(new_time, last_event_time, LastAction);
    UpdateAccumulate(new_time);
  }
}

namespace {
typedef void (*AccumulateFn)(ImpulseNodeClass*, double, double);
typedef void (*ResetFn)(ImpulseNodeClass*);
typedef void (*CompleteFn)(ImpulseNodeClass*, double);

bool isPlainInterval(ImpulseNodeClass* w) {
  return dynamic_cast<IntervalOfTimeImpulse*>(w) != nullptr &&
         KAVRIN_IS_OWN_OVERRIDER(w, ImpulseNodeClass, IntervalOfTimeImpulse, Accumulate, AccumulateFn) &&
         KAVRIN_IS_OWN_OVERRIDER(w, ImpulseNodeClass, IntervalOfTimeImpulse, Reset, ResetFn) &&
         KAVRIN_IS_OWN_OVERRIDER(w, ImpulseNodeClass, IntervalOfTimeImpulse, completeAccumulation,
                                 CompleteFn);
}
}  // namespace

void PerformanceVariableNode::PrepareImpulseDispatch(BaseActionClass* const* actions, int n) {
  ImpulseDispatchReady = false;
  ImpulseSlotRange.clear();
  ImpulseSlots.clear();
  PlainIntervalImpulses = true;
  for (int i = 0; i < NumberOfImpulses; i++)
    for (int w = 0; w < NumberOfImpulseWorkers[i]; w++)
      if (ImpulseWorkersList[i][w] == nullptr || !isPlainInterval(ImpulseWorkersList[i][w]))
        PlainIntervalImpulses = false;
  // Without impulses no action's sets can name this node: nothing to look up.
  if (NumberOfImpulses == 0) {
    ImpulseDispatchReady = true;
    return;
  }
  int lo = 0;
  int hi = -1;
  for (int a = 0; a < n; a++) {
    if (actions[a] == nullptr) continue;
    int id_ = actions[a]->getID();
    if (hi < lo) {
      lo = hi = id_;
    } else {
      lo = std::min(lo, id_);
      hi = std::max(hi, id_);
    }
  }
  if (hi < lo) return;
  ImpulseFirstID = lo;
  std::vector<std::vector<ImpulseNodeClass*>> byID(static_cast<size_t>(hi - lo + 1));
  std::vector<bool> known(static_cast<size_t>(hi - lo + 1), false);
  for (int a = 0; a < n; a++) {
    BaseActionClass* action = actions[a];
    if (action == nullptr) continue;
    size_t k = static_cast<size_t>(action->getID() - lo);
    if (known[k]) continue;
    known[k] = true;
    if (!ImpulseAffectedBy(action)) continue;
    const KavrinActionRewards& rewards = *KavrinActionRewards::Of(action);
    FastSet& impulses = rewards.AffectedImpulseRewards[id];
    for (int j = 0; j < impulses.size(); j++) {
      int i = impulses[j];
      for (int w = 0; w < rewards.NumAffectedImpulseWorkers[id][i]; w++)
        byID[k].push_back(ImpulseWorkersList[i][rewards.AffectedImpulseWorkers[id][i][w]]);
    }
  }
  ImpulseSlotRange.assign(byID.size(), std::make_pair(-1, -1));
  for (size_t k = 0; k < byID.size(); k++) {
    if (!known[k]) continue;
    int begin = static_cast<int>(ImpulseSlots.size());
    ImpulseSlots.insert(ImpulseSlots.end(), byID[k].begin(), byID[k].end());
    ImpulseSlotRange[k] = std::make_pair(begin, static_cast<int>(ImpulseSlots.size()));
  }
  ImpulseDispatchReady = true;
}

void PerformanceVariableNode::AccumulateImpulses(double next_time, double last_event_time,
                                                 BaseActionClass* LastAction) {
  if (ImpulseDispatchReady) {
    if (NumberOfImpulses == 0 || LastAction == nullptr) return;
    long k = static_cast<long>(LastAction->getID()) - ImpulseFirstID;
    if (k >= 0 && k < static_cast<long>(ImpulseSlotRange.size()) &&
        ImpulseSlotRange[static_cast<size_t>(k)].first >= 0) {
      const std::pair<int, int> range = ImpulseSlotRange[static_cast<size_t>(k)];
      for (int s = range.first; s < range.second; s++) {
        ImpulseNodeClass* worker = ImpulseSlots[static_cast<size_t>(s)];
        if (PlainIntervalImpulses)
          static_cast<IntervalOfTimeImpulse*>(worker)->IntervalOfTimeImpulse::Accumulate(next_time,
                                                                                         last_event_time);
        else
          worker->Accumulate(next_time, last_event_time);
      }
      return;
    }
  }
  if (ImpulseAffectedBy(LastAction)) {
    const KavrinActionRewards& rewards = *KavrinActionRewards::Of(LastAction);
    FastSet& impulses = rewards.AffectedImpulseRewards[id];
    for (int k = 0; k < impulses.size(); k++) {
      int i = impulses[k];
      int count = rewards.NumAffectedImpulseWorkers[id][i];
      for (int j = 0; j < count; j++)
        ImpulseWorkersList[i][rewards.AffectedImpulseWorkers[id][i][j]]->Accumulate(next_time,
                                                                                    last_event_time);
    }
  }
}

void PerformanceVariableNode::CommonAccumulate(double next_time, double last_event_time,
                                               BaseActionClass* LastAction) {
  double reward = 0.0;
  for (int w = 0; w < NumberOfWorkers; w++) {
    WorkerList[w]->Accumulate(next_time, last_event_time);
    reward += WorkerList[w]->Reward;
  }
  if (PVRewardType != INSTANT_OF_TIME && NumberOfWorkers > 0) {
    double fraction = WorkerList[0]->RewardFraction;
    TotalReward += fraction * reward;
    TotalRewardSqr += reward * reward * fraction;
  }
  AccumulateImpulses(next_time, last_event_time, LastAction);
}

void PerformanceVariableNode::UpdateAccumulate(double t) { UpdateAccumulate(t, t); }

void PerformanceVariableNode::UpdateAccumulate(double t, double doneTime) {
  if (t > Stop) {
    Accumulating = 2;
    Complete(doneTime);
  } else {
    Accumulating = 1;
  }
}

void PerformanceVariableNode::Complete(double doneTime) {
  for (int i = 0; i < NumberOfImpulses; i++)
    for (int w = 0; w < NumberOfImpulseWorkers[i]; w++) {
      ImpulseNodeClass* worker = ImpulseWorkersList[i][w];
      if (PlainIntervalImpulses)
        static_cast<IntervalOfTimeImpulse*>(worker)->IntervalOfTimeImpulse::completeAccumulation(doneTime);
      else
        worker->completeAccumulation(doneTime);
    }
  TotalAccumulation();
}

void PerformanceVariableNode::TotalAccumulation() {
  if (PVRewardType == INSTANT_OF_TIME && NumberOfWorkers > 0) {
    double reward = 0.0;
    for (int w = 0; w < NumberOfWorkers; w++) reward += WorkerList[w]->Reward;
    double fraction = WorkerList[0]->RewardFraction;
    TotalReward += fraction * reward;
    TotalRewardSqr += reward * reward * fraction;
  }
  TotalImpulse = 0.0;
  TotalImpulseSqr = 0.0;
  for (int i = 0; i < NumberOfImpulses; i++)
    for (int w = 0; w < NumberOfImpulseWorkers[i]; w++) {
      double impulse = ImpulseWorkersList[i][w]->Impulse;
      TotalImpulse += impulse;
      TotalImpulseSqr += impulse * impulse;
    }
  TotalReward += TotalImpulse;
  TotalRewardSqr += TotalImpulseSqr;
}

// The completion time must exceed Stop even where t + 1.0 rounds back to t.
void PerformanceVariableNode::EndAccumulate(double finish_time, double last_event_time,
                                            BaseActionClass* LastAction) {
  if (Accumulating == 2) return;
  CommonAccumulate(finish_time, last_event_time, LastAction);
  double past = std::max(finish_time + 1.0, std::nextafter(Stop, std::numeric_limits<double>::infinity()));
  UpdateAccumulate(past, finish_time);
}

void PerformanceVariableNode::Reset() {
  Accumulating = 0;
  TotalReward = 0.0;
  TotalRewardSqr = 0.0;
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w]->Reset();
  TotalImpulse = 0.0;
  TotalImpulseSqr = 0.0;
  for (int i = 0; i < NumberOfImpulses; i++)
    for (int w = 0; w < NumberOfImpulseWorkers[i]; w++) {
      ImpulseNodeClass* worker = ImpulseWorkersList[i][w];
      if (PlainIntervalImpulses)
        static_cast<IntervalOfTimeImpulse*>(worker)->IntervalOfTimeImpulse::Reset();
      else
        worker->Reset();
    }
  if (Type == steady_state) {
    Start = Stop;
    Stop = Stop + batchSize;
    // The workers test their own copies of the window, so they must move with it.
    for (int w = 0; w < NumberOfWorkers; w++) {
      WorkerList[w]->Start = Start;
      WorkerList[w]->Stop = Stop;
    }
    for (int i = 0; i < NumberOfImpulses; i++)
      for (int w = 0; w < NumberOfImpulseWorkers[i]; w++) {
        ImpulseWorkersList[i][w]->Start = Start;
        ImpulseWorkersList[i][w]->Stop = Stop;
      }
  }
}

void PerformanceVariableNode::CurrentReward(BaseActionClass* TheAction) {
  TotalReward = 0.0;
  TotalRewardSqr = 0.0;
  for (int w = 0; w < NumberOfWorkers; w++) {
    WorkerList[w]->CurrentReward();
    TotalReward += WorkerList[w]->Reward;
    TotalRewardSqr += WorkerList[w]->RewardSqr;
  }
  TotalImpulse = 0.0;
  TotalImpulseSqr = 0.0;
  if (ImpulseAffectedBy(TheAction)) {
    const KavrinActionRewards& rewards = *KavrinActionRewards::Of(TheAction);
    FastSet& impulses = rewards.AffectedImpulseRewards[id];
    for (int k = 0; k < impulses.size(); k++) {
      int i = impulses[k];
      int count = rewards.NumAffectedImpulseWorkers[id][i];
      for (int j = 0; j < count; j++) {
        ImpulseNodeClass* worker = ImpulseWorkersList[i][rewards.AffectedImpulseWorkers[id][i][j]];
        worker->CurrentImpulse();
        TotalImpulse += worker->Impulse;
        TotalImpulseSqr += worker->ImpulseSqr;
      }
    }
  }
}

void PerformanceVariableNode::UpdateDependencies() {
  if (Type != terminating) return;
  for (int k = 0; k < NumberOfActionDependencies; k++) {
    KavrinActionRewards& rewards = *KavrinActionRewards::Of(ActionDependencies[k]);
    rewards.TotalNumCollected++;
    if (rewards.TotalNumCollected == rewards.AffectedNodes.size()) rewards.AffectedNodes.clear();
  }
}

void PerformanceVariableNode::DefineName(const char* TheName) {
  KavrinReplaceName(Name, TheName);
  for (int w = 0; w < NumberOfWorkers; w++)
    if (WorkerList[w] != nullptr) WorkerList[w]->DefineName(Name, w);
  for (int i = 0; i < NumberOfImpulses; i++)
    for (int w = 0; w < NumberOfImpulseWorkers[i]; w++)
      if (ImpulseWorkersList[i] != nullptr) ImpulseWorkersList[i][w]->DefineName(Name, i, w);
}

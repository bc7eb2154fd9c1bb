#include "ToyModels.h"

#include <algorithm>
#include <cstring>

namespace {
bool Same(const char* a, const char* b) { return a != nullptr && b != nullptr && std::strcmp(a, b) == 0; }
}  // namespace

ToyAction::ToyAction(const char* name, Place* target, short delta) : Target(target), Delta(delta) {
  defineName(name);
  DistributionType = Instantaneous;
}

BaseActionClass* ToyAction::Fire() {
  Target->setMark(static_cast<short>(Target->getMark() + Delta));
  return this;
}

ToyModel::ToyModel(const char* name, short tokens) {
  DefineName(name);
  Tokens = new Place("Tokens", tokens);
  Actions.push_back(new ToyAction("add", Tokens, 1));
  Actions.push_back(new ToyAction("remove", Tokens, -1));
  Actions.push_back(new ToyAction("idle", Tokens, 0));
  AddAffectArc(Tokens, Actions[0]);
  AddAffectArc(Tokens, Actions[1]);
  NumStateVariables = 1;
  NumActions = static_cast<int>(Actions.size());
  ActionList = new BaseActionClass*[NumActions];
  for (int a = 0; a < NumActions; a++) {
    ActionList[a] = Actions[a];
    Actions[a]->TheModel = this;
  }
}

ToyModel::~ToyModel() {
  delete[] ActionList;
  for (ToyAction* a : Actions) delete a;
  delete Tokens;
}

ToyAction* ToyModel::action(const char* name) {
  for (ToyAction* a : Actions)
    if (Same(a->getName(), name)) return a;
  return nullptr;
}

void ToyModel::listModels(const char* name, List<BaseModelClass>* models) {
  if (Same(name, Name)) models->append(this);
}
void ToyModel::CurrentState(void* buffer) { Tokens->CurrentState(buffer); }
void ToyModel::listActions(List<BaseActionClass>* actions) { actions->append(ActionList, NumActions); }
void ToyModel::listGroups(List<BaseGroupClass>* /*groups*/) {}
void ToyModel::SetState(void* buffer) { Tokens->SetState(buffer); }
int ToyModel::StateSize() { return Tokens->StateSize(); }
bool ToyModel::CompareState(void* s1, void* s2) { return std::memcmp(s1, s2, StateSize()) == 0; }
void ToyModel::listActions(const char* name, List<BaseActionClass>* actions) {
  ToyAction* a = action(name);
  if (a != nullptr) actions->append(a);
}
void ToyModel::listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
                       List<BaseModelClass>* modelList) {
  if (Same(model, Name) && Same(variable, Tokens->getName())) {
    svList->append(Tokens);
    modelList->append(this);
  }
}

ToyComposite::ToyComposite(std::vector<ToyModel*> children) : Children(std::move(children)) {
  DefineName("Composite");
  for (ToyModel* c : Children) NumActions += c->NumActions;
  ActionList = new BaseActionClass*[NumActions];
  int k = 0;
  for (ToyModel* c : Children)
    for (int a = 0; a < c->NumActions; a++) ActionList[k++] = c->ActionList[a];
  NumStateVariables = static_cast<int>(Children.size());
}

ToyComposite::~ToyComposite() {
  delete[] ActionList;
  for (ToyModel* c : Children) delete c;
}

void ToyComposite::listModels(const char* name, List<BaseModelClass>* models) {
  for (ToyModel* c : Children) c->listModels(name, models);
}
void ToyComposite::CurrentState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (ToyModel* c : Children) {
    c->CurrentState(at);
    at += c->StateSize();
  }
}
void ToyComposite::listActions(List<BaseActionClass>* actions) { actions->append(ActionList, NumActions); }
void ToyComposite::listGroups(List<BaseGroupClass>* /*groups*/) {}
void ToyComposite::SetState(void* buffer) {
  char* at = static_cast<char*>(buffer);
  for (ToyModel* c : Children) {
    c->SetState(at);
    at += c->StateSize();
  }
}
int ToyComposite::StateSize() {
  int size = 0;
  for (ToyModel* c : Children) size += c->StateSize();
  return size;
}
bool ToyComposite::CompareState(void* s1, void* s2) { return std::memcmp(s1, s2, StateSize()) == 0; }
void ToyComposite::listActions(const char* name, List<BaseActionClass>* actions) {
  for (ToyModel* c : Children) c->listActions(name, actions);
}
void ToyComposite::listSVs(const char* model, const char* variable, List<BaseStateVariableClass>* svList,
                           List<BaseModelClass>* modelList) {
  for (ToyModel* c : Children) c->listSVs(model, variable, svList, modelList);
}

TokenWorker::TokenWorker(int numModels, bool timeAveraged)
    : Models(numModels, nullptr), TimeAveraged(timeAveraged) {
  NumModels = numModels;
}

double TokenWorker::Reward_Function() {
  double tokens = 0.0;
  for (ToyModel* m : Models)
    if (m != nullptr) tokens += m->Tokens->getMark();
  return tokens;
}

// The step's contribution: tokens held times the part of [last_event_time, next_time] inside the window.
void TokenWorker::Accumulate(double next_time, double last_event_time) {
  double from = std::max(last_event_time, Start);
  double to = std::min(next_time, Stop);
  Reward = to > from ? Reward_Function() * (to - from) : 0.0;
  RewardFraction = TimeAveraged ? 1.0 / (Stop - Start) : 1.0;
}

void TokenWorker::SetModelPointer(int k, BaseModelClass* model) {
  if (k >= 0 && k < NumModels) Models[k] = static_cast<ToyModel*>(model);
}

CountImpulse::CountImpulse(bool timeAveraged, int numModels)
    : IntervalOfTimeImpulse(timeAveraged), Models(numModels, nullptr) {
  NumberOfModelDependencies = numModels;
}

CountImpulse::~CountImpulse() {
  for (ImpulseNodeClass* w : Workers) delete w;
}

double CountImpulse::Impulse_Function(double /*t*/) { return 1.0; }

ImpulseNodeClass** CountImpulse::CreateImpulseWorkerList(int n) {
  WorkerArray.reset(new ImpulseNodeClass*[n > 0 ? n : 1]);
  for (int i = 0; i < n; i++) {
    Workers.push_back(new CountImpulse(TimeAveraged, NumberOfModelDependencies));
    WorkerArray[i] = Workers.back();
  }
  return WorkerArray.get();
}

void CountImpulse::SetModelPointer(int k, BaseModelClass* model) {
  if (k >= 0 && k < static_cast<int>(Models.size())) Models[k] = model;
}

ToyNode::ToyNode(const NodeDef& nodeDef, int timeindex)
    : TimeAveraged(nodeDef.Reward == TIMEAVE_INTERVAL_OF_TIME) {
  std::vector<double> starts = nodeDef.Starts;
  std::vector<double> stops = nodeDef.Stops;
  int models = static_cast<int>(nodeDef.Models.size() + nodeDef.Variables.size());
  Initialize(nodeDef.Name.c_str(), nodeDef.Reward, static_cast<int>(starts.size()), starts.data(),
             stops.data(), timeindex, static_cast<int>(nodeDef.Impulses.size()), models,
             static_cast<int>(nodeDef.Variables.size()));
  Type = nodeDef.Type;
  for (const auto& v : nodeDef.Variables) AddVariableDependency(v.first.c_str(), v.second.c_str());
  for (const auto& m : nodeDef.Models) AddModelDependency(m.c_str());
  for (const auto& i : nodeDef.Impulses) {
    Prototypes.emplace_back(new CountImpulse(nodeDef.TimeAveragedImpulses));
    AddImpulse(i.first.c_str(), i.second.c_str(), Prototypes.back().get());
  }
}

ToyNode::~ToyNode() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void ToyNode::CreateWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w] = new TokenWorker(NumberOfModelNames, TimeAveraged);
}

ToyPVModel::ToyPVModel(BaseModelClass* model, std::vector<NodeDef> defs, bool expandtimearrays)
    : Defs(std::move(defs)) {
  TheModel = model;
  DefineName("ToyPVModel");
  StateMode = 1;
  CreatePVList(static_cast<int>(Defs.size()), expandtimearrays);
  Initialize();
}

PerformanceVariableNode* ToyPVModel::createPVNode(int pvindex, int timeindex) {
  if (pvindex < 0 || pvindex >= static_cast<int>(Defs.size())) return nullptr;
  return new ToyNode(Defs[pvindex], timeindex);
}

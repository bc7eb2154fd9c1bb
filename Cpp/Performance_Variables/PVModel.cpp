#include "Performance_Variables/PVModel.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/FastSet.h"
#include "BaseClasses/List.h"
#include "BaseClasses/debug.h"

PVModel::PVModel()
    : BaseModelClass(),
      PerformanceVariableList(nullptr),
      Number_Of_Performance_Variables(0),
      Trace(0),
      TheModel(nullptr),
      LastAction(nullptr),
      PVListOfActions(nullptr),
      Simulation_Stop_Time(0.0),
      AffectingActions(nullptr),
      ListOfAffectedLists(nullptr),
      NumAffectingActions(0),
      NumActionsWithImpulseAffects(0),
      TotalNumAffectingActions(0),
      PVStateIndexLength(0),
      ModelStateSize(0),
      PVModelStateSize(0),
      AdditionalStateSize(0),
      StateMode(0),
      PVStateIndex(nullptr) {
  ZeroImpulseAction.defineName("No Action Fired Yet");
  LastAction = &ZeroImpulseAction;
  BaseModelClass::LastActionTime = 0.0;
}

PVModel::~PVModel() { Destruct(); }

// ---------------------------------------------------------------- construction

void PVModel::CreatePVList(int numPVs, bool expandtimearrays) {
  int capacity = 100;
  PerformanceVariableList = new PerformanceVariableNode*[capacity]();
  int used = 0;
  auto append = [&](PerformanceVariableNode* node) {
    // A node's id indexes the per-action reward structures, so it must equal its position here.
    if (node != nullptr) node->id = used;
    PerformanceVariableList[used++] = node;
  };
  for (int n = 0; n < numPVs; n++) {
    PerformanceVariableNode* node = createPVNode(n, 0);
    KAVRIN_CHECK(node != nullptr, "PVModel", 53);
    int k = node->GetNumTimePoints();
    if (used + k > capacity - 1) {
      int grown = 2 * (capacity + k);
      PerformanceVariableNode** list = new PerformanceVariableNode*[grown]();
      for (int i = 0; i < used; i++) list[i] = PerformanceVariableList[i];
      delete[] PerformanceVariableList;
      PerformanceVariableList = list;
      capacity = grown;
    }
    append(node);
    if (expandtimearrays)
      for (int t = 1; t < k; t++) {
        PerformanceVariableNode* later = createPVNode(n, t);
        KAVRIN_CHECK(later != nullptr, "PVModel", 67);
        append(later);
      }
  }
  Number_Of_Performance_Variables = used;
}

bool PVModel::EnsureRateDS(BaseActionClass* action) {
  if (action->IsPVRateDSAllocated()) return false;
  action->AllocatePVRateDS(Number_Of_Performance_Variables);
  return true;
}

bool PVModel::EnsureImpulseDS(BaseActionClass* action) {
  if (action->IsPVImpulseDSAllocated()) return false;
  action->AllocatePVImpulseDS(Number_Of_Performance_Variables);
  return true;
}

BaseActionClass* PVModel::ActionAt(int index) const { return PVListOfActions[index]; }

void PVModel::Initialize() {
  KAVRIN_DEBUG(0, "Entering PVModel::Initialize()");
  // ZeroImpulseAction's record is the one shared by every action no reward depends on.
  EnsureRateDS(&ZeroImpulseAction);
  EnsureImpulseDS(&ZeroImpulseAction);
  KavrinActionRewards& none = *KavrinActionRewards::Of(&ZeroImpulseAction);
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    none.AffectedRateWorkers[p].NoMoreModifications();
    none.AffectedImpulseRewards[p].NoMoreModifications();
  }
  none.AffectedNodesByRateReward.NoMoreModifications();
  none.AffectedNodesByImpulseReward.NoMoreModifications();
  none.AffectedNodes.NoMoreModifications();

  GroupList = TheModel->getGroupList();
  ActionList = TheModel->getActionList();
  PVListOfActions = ActionList;
  NumActions = TheModel->getNumActions();
  NumStateVariables = TheModel->getNumStateVariables();
  NumGroups = TheModel->getNumGroups();
  NumSharedStateVariables = 0;

  KAVRIN_DEBUG(1, "Fixing references");
  for (int p = 0; p < Number_Of_Performance_Variables; p++)
    PerformanceVariableList[p]->FixReferences(TheModel);

  for (int p = 0; p < Number_Of_Performance_Variables; p++)
    if (PerformanceVariableList[p]->Stop > Simulation_Stop_Time)
      Simulation_Stop_Time = PerformanceVariableList[p]->Stop;

  KAVRIN_DEBUG(1, "Making Affected Lists");
  MakeAffectedLists();
  MakeImpulseAffectedLists();
  CreateAffectedLists();
  CreatePVStateIndex();

  std::vector<BaseActionClass*> credited(PVListOfActions, PVListOfActions + NumActions);
  credited.push_back(&ZeroImpulseAction);
  for (int p = 0; p < Number_Of_Performance_Variables; p++)
    PerformanceVariableList[p]->PrepareImpulseDispatch(credited.data(), static_cast<int>(credited.size()));
}

void PVModel::MakeAffectedLists() {
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    PerformanceVariableNode* node = PerformanceVariableList[p];
    KAVRIN_DEBUG(2, "Developing affects relationships for: " << node->GetName());
    node->CreateModelGroupList();
    node->CreateWorkerList();
    node->FixWorkerList();
    for (int v = 0; v < node->NumberOfVarNames; v++) {
      // Listed instance by instance, so that each variable is paired with the model holding it.
      List<BaseModelClass> instances;
      TheModel->listModels(node->VarNamesList[v].ModelName, &instances);
      for (int m = 0; m < instances.getNumItems(); m++) {
        BaseModelClass* model = instances.getItem(m);
        List<BaseStateVariableClass> variables;
        List<BaseModelClass> holders;
        model->listSVs(node->VarNamesList[v].ModelName, node->VarNamesList[v].VarName(), &variables,
                       &holders);
        for (int k = 0; k < variables.getNumItems(); k++) {
          BaseStateVariableClass* sv = variables.getItem(k);
          for (int j = 0; j < sv->getNumAffectingActions(); j++) {
            BaseActionClass* Action = sv->getAffectingAction(j);
            if (EnsureRateDS(Action)) NumAffectingActions++;
            KavrinActionRewards& rewards = *KavrinActionRewards::Of(Action);
            if (rewards.AffectedRateWorkers[p].empty()) {
              int PVCounter = p;
              KAVRIN_ASSERT_AS(rewards.AffectedNodesByRateReward.insert(PVCounter),
                               "Action->AffectedNodesByRateReward.insert(PVCounter)", "PVModel", 173);
              node->NumberOfActionDependencies++;
            }
            node->AddPVWorkersToAction(Action, model);
          }
        }
      }
    }
  }
  // Only after every node: a frozen set accepts no further insertion. An action no rate reward
  // depends on is given the shared empty sets once the impulses are known (see
  // MakeImpulseAffectedLists).
  for (int a = 0; a < NumActions; a++) {
    BaseActionClass* action = ActionAt(a);
    if (!KavrinActionRewards::Owned(action) || !action->IsPVRateDSAllocated()) continue;
    KavrinActionRewards& rewards = *KavrinActionRewards::Of(action);
    for (int p = 0; p < Number_Of_Performance_Variables; p++)
      rewards.AffectedRateWorkers[p].NoMoreModifications();
    rewards.AffectedNodesByRateReward.NoMoreModifications();
  }
}

void PVModel::MakeImpulseAffectedLists() {
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    PerformanceVariableNode* node = PerformanceVariableList[p];
    node->CreateImpulseModelGroupList();
    node->CreateImpulseWorkerLists();
    node->FixImpulseWorkerLists();
    for (int i = 0; i < node->NumberOfImpulses; i++) {
      const ActionModelPairClass& named = node->ActionNamesList[i];
      List<BaseModelClass> models;
      TheModel->listModels(named.ModelName, &models);
      for (int k = 0; k < models.getNumItems(); k++) {
        BaseModelClass* m = models.getItem(k);
        List<BaseActionClass> actions;
        m->listActions(named.ActionName(), &actions);
        if (actions.getNumItems() == 0) {
          // A generated reward model may name an action its model lacks: that impulse earns nothing.
          std::cerr << "Warning: performance variable \"" << node->GetName() << "\": impulse action \""
                    << named.ActionName() << "\" does not exist in model \"" << named.ModelName
                    << "\"; the impulse is ignored." << std::endl;
          continue;
        }
        BaseActionClass* a = actions.getItem(0);
        if (EnsureImpulseDS(a)) NumActionsWithImpulseAffects++;
        KavrinActionRewards& rewards = *KavrinActionRewards::Of(a);
        if (rewards.AffectedImpulseRewards[p].empty()) {
          rewards.AffectedNodesByImpulseReward.insert(p);
          node->NumberOfActionDependencies++;
          rewards.AllocateImpulseWorkerTables(p, node->NumberOfImpulses);
        }
        if (rewards.AffectedImpulseWorkers[p][i] == nullptr) {
          rewards.AffectedImpulseRewards[p].insert(i);
          rewards.AffectedImpulseWorkers[p][i] =
              new int[node->NumberOfImpulseWorkers[i] > 0 ? node->NumberOfImpulseWorkers[i] : 1];
        }
        for (int w = 0; w < node->NumberOfImpulseWorkers[i]; w++)
          if (node->ImpulseWorkersList[i][w]->ContainingModel == m)
            rewards.AffectedImpulseWorkers[p][i][rewards.NumAffectedImpulseWorkers[p][i]++] = w;
      }
    }
  }
  // Every action now reads as having both structures: an action no reward depends on shares
  // ZeroImpulseAction's record; one that has only one structure of its own reads the other's
  // empty arrays from that record.
  const KavrinActionRewards& none = *KavrinActionRewards::Of(&ZeroImpulseAction);
  for (int a = 0; a < NumActions; a++) {
    BaseActionClass* action = ActionAt(a);
    if (!KavrinActionRewards::Owned(action)) {
      KavrinActionRewards::Share(action, KavrinActionRewards::Of(&ZeroImpulseAction));
      continue;
    }
    KavrinActionRewards& rewards = *KavrinActionRewards::Of(action);
    if (!rewards.IsRateAllocated()) {
      rewards.ShareRateFrom(none);
      rewards.AffectedNodesByRateReward.NoMoreModifications();
    }
    if (rewards.IsImpulseAllocated()) {
      for (int p = 0; p < Number_Of_Performance_Variables; p++)
        rewards.AffectedImpulseRewards[p].NoMoreModifications();
    } else {
      rewards.ShareImpulseFrom(none);
    }
    rewards.AffectedNodesByImpulseReward.NoMoreModifications();
  }
}

void PVModel::CreateAffectedLists() {
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    PerformanceVariableNode* node = PerformanceVariableList[p];
    if (node->NumberOfActionDependencies != 0) {
      node->ActionDependencies = new BaseActionClass*[node->NumberOfActionDependencies]();
      node->NumberOfActionDependencies = 0;
    }
  }
  int room = NumAffectingActions + NumActionsWithImpulseAffects;
  if (room > 0) {
    AffectingActions = new BaseActionClass*[room]();
    ListOfAffectedLists = new FastSet*[room]();
  }
  for (int a = 0; a < NumActions; a++) {
    BaseActionClass* Action = ActionAt(a);
    // A shared record's sets are frozen empty already.
    if (!KavrinActionRewards::Owned(Action)) continue;
    KavrinActionRewards& rewards = *KavrinActionRewards::Of(Action);
    if (room == 0 ||
        (rewards.AffectedNodesByRateReward.size() == 0 && rewards.AffectedNodesByImpulseReward.size() == 0)) {
      // Frozen empty, so that every action's sets can be read the same way.
      rewards.AffectedNodes.NoMoreModifications();
      continue;
    }
    KAVRIN_ASSERT_AS(rewards.AffectedNodes.empty(), "Action->AffectedNodes.empty()", "PVModel", 32);
    for (int k = 0; k < rewards.AffectedNodesByRateReward.size(); k++)
      rewards.AffectedNodes.insert(rewards.AffectedNodesByRateReward[k]);
    for (int k = 0; k < rewards.AffectedNodesByImpulseReward.size(); k++)
      rewards.AffectedNodes.insert(rewards.AffectedNodesByImpulseReward[k]);
    rewards.AffectedNodes.NoMoreModifications();
    AffectingActions[TotalNumAffectingActions] = Action;
    ListOfAffectedLists[TotalNumAffectingActions] = &rewards.AffectedNodes;
    TotalNumAffectingActions++;
    for (int k = 0; k < rewards.AffectedNodes.size(); k++) {
      PerformanceVariableNode* node = PerformanceVariableList[rewards.AffectedNodes[k]];
      node->ActionDependencies[node->NumberOfActionDependencies++] = Action;
    }
  }
}

void PVModel::CreatePVStateIndex() {
  ModelStateSize = TheModel->StateSize();
  if (StateMode == 1) {
    KAVRIN_CHECK(PVListOfActions != nullptr || NumActions == 0, "PVModel", 709);
    PVStateIndex = PVListOfActions;
    PVStateIndexLength = NumActions;
    AdditionalStateSize = BytesFor(NumActions);
  }
  PVModelStateSize = ModelStateSize + AdditionalStateSize;
}

void PVModel::ConsiderOnly(const int* NodeIndices, int size) {
  // An empty selection selects nothing, whatever pointer carries it: the data of an empty vector
  // may well be null, and must not read as "every variable".
  if (size <= 0) return;
  if (NodeIndices == nullptr) {
    for (int p = 0; p < Number_Of_Performance_Variables; p++)
      RelevantNodes.push_back(PerformanceVariableList[p]);
    return;
  }
  for (int k = 0; k < size; k++) {
    KAVRIN_CHECK(NodeIndices[k] >= 0 && NodeIndices[k] < Number_Of_Performance_Variables, "PVModel", 291);
    RelevantNodes.push_back(PerformanceVariableList[NodeIndices[k]]);
  }
}

// ---------------------------------------------------------------- additional state

int PVModel::BytesFor(int TheNumber) {
  uint32_t value = static_cast<uint32_t>(TheNumber);
  int bytes = 0;
  while (value != 0) {
    bytes++;
    value >>= 8;
  }
  return bytes;
}

void PVModel::GetPVState(void* Location) {
  if (StateMode != 1) return;
  uint32_t index = 0;
  for (int k = 0; k < PVStateIndexLength; k++)
    if (PVStateIndex[k] == LastAction) {
      index = static_cast<uint32_t>(k) + 1;
      break;
    }
  unsigned char* out = static_cast<unsigned char*>(Location);
  for (int b = 0; b < AdditionalStateSize; b++)
    out[b] = static_cast<unsigned char>(index >> (8 * (AdditionalStateSize - 1 - b)));
}

int PVModel::StateIndexLookup(const void* Location) const {
  const unsigned char* in = static_cast<const unsigned char*>(Location);
  uint32_t index = 0;
  for (int b = 0; b < AdditionalStateSize; b++) index = (index << 8) | in[b];
  return static_cast<int>(index);
}

// ---------------------------------------------------------------- forwarding

void PVModel::listModels(const char* TheModelName, List<BaseModelClass>* TheContainer) {
  TheModel->listModels(TheModelName, TheContainer);
}

void PVModel::CurrentState(void* Location) {
  TheModel->CurrentState(Location);
  GetPVState(static_cast<char*>(Location) + ModelStateSize);
}

void PVModel::listActions(List<BaseActionClass>* TheContainer) {
  TheContainer->append(PVListOfActions, NumActions);
}

void PVModel::listGroups(List<BaseGroupClass>* TheContainer) { TheContainer->append(GroupList, NumGroups); }

void PVModel::SetState(void* TheState) { TheModel->SetState(TheState); }

int PVModel::StateSize() { return PVModelStateSize; }

bool PVModel::CompareState(void* state1, void* state2) {
  if (!TheModel->CompareState(state1, state2)) return false;
  if (StateMode == 0) return true;
  return std::memcmp(static_cast<char*>(state1) + ModelStateSize, static_cast<char*>(state2) + ModelStateSize,
                     AdditionalStateSize) == 0;
}

void PVModel::listActions(const char* TheActionName, List<BaseActionClass>* TheContainer) {
  TheModel->listActions(TheActionName, TheContainer);
}

void PVModel::listSVs(const char* TheModelName, const char* TheSVName,
                      List<BaseStateVariableClass>* TheSVContainer, List<BaseModelClass>* TheModelContainer) {
  TheModel->listSVs(TheModelName, TheSVName, TheSVContainer, TheModelContainer);
}

void PVModel::printState(std::ostream* s) { TheModel->printState(s); }

void PVModel::ReleaseSharingRecords() {
  if (TheModel != nullptr) TheModel->ReleaseSharingRecords();
}

// ---------------------------------------------------------------- simulation

void PVModel::Accumulate(double new_time) {
  KAVRIN_DEBUG(3, "PVModel::Accumulate(double)");
  for (PerformanceVariableNode* node : RelevantNodes)
    node->Accumulate(new_time, BaseModelClass::LastActionTime, LastAction);
}

BaseActionClass* PVModel::FireAction(BaseActionClass* TheAction, double FiringTime) {
  KAVRIN_DEBUG(3, "PV Model firing action");
  BaseModelClass::LastActionTime = FiringTime;
  BaseActionClass* fired = TheAction->Fire();
  LastAction = fired;
  return fired;
}

void PVModel::EndAccumulate(double finish_time) {
  for (PerformanceVariableNode* node : RelevantNodes)
    if (node->Accumulating != 2) node->EndAccumulate(finish_time, BaseModelClass::LastActionTime, LastAction);
}

void PVModel::PVReset() {
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    PerformanceVariableNode* node = PerformanceVariableList[p];
    if (node->Accumulating == 1 || node->Accumulating == 2) node->Reset();
  }
  LastAction = &ZeroImpulseAction;
  BaseModelClass::LastActionTime = 0.0;
}

void PVModel::SteadyState() {
  PVReset();
  for (int p = 0; p < Number_Of_Performance_Variables; p++)
    if (PerformanceVariableList[p]->Type == steady_state) PerformanceVariableList[p]->Accumulating = 1;
}

// ---------------------------------------------------------------- state-space forms

void PVModel::FireAction(void* TheState, BaseActionClass* TheAction) {
  TheAction->Fire();
  LastAction = TheAction;
  for (PerformanceVariableNode* node : RelevantNodes) node->CurrentReward(TheAction);
  CurrentState(TheState);
}

void PVModel::AgeAction(char* TheState, BaseActionClass* /*TheAction*/) {
  int index = StateIndexLookup(TheState + ModelStateSize);
  LastAction = (index > 0 && index <= PVStateIndexLength) ? PVStateIndex[index - 1] : &ZeroImpulseAction;
  for (PerformanceVariableNode* node : RelevantNodes) node->CurrentReward(LastAction);
}

void PVModel::PutPVState(void* PVStatePntr) {
  if (StateMode == 1) {
    int index = StateIndexLookup(PVStatePntr);
    LastAction = (index > 0 && index <= PVStateIndexLength) ? PVStateIndex[index - 1] : &ZeroImpulseAction;
    for (PerformanceVariableNode* node : RelevantNodes) node->CurrentReward(LastAction);
  } else {
    for (PerformanceVariableNode* node : RelevantNodes) {
      node->CurrentReward(&ZeroImpulseAction);
      node->TotalImpulse = 0.0;
    }
  }
}

// ---------------------------------------------------------------- description file

bool PVModel::WritePVTypeFile(const char* filename) {
  std::ofstream out(filename, std::ios::out | std::ios::binary | std::ios::trunc);
  if (!out) {
    std::cerr << "Cannot open the reward-model description file " << filename << ": " << std::strerror(errno)
              << std::endl;
    return false;
  }
  out << "Version:1\n";
  out << "NumPV:" << Number_Of_Performance_Variables << "\n";
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    PerformanceVariableNode* node = PerformanceVariableList[p];
    out << "Name:" << node->GetName() << "\n";
    out << "Type:" << static_cast<int>(node->GetRewardType()) << "\n";
    out << "NumTimes:" << node->GetNumTimePoints() << "\n";
    for (int t = 0; t < node->GetNumTimePoints(); t++) {
      out << "Start:" << node->GetStartTime(t) << "\n";
      out << "Stop:" << node->GetStopTime(t) << "\n";
    }
  }
  out.flush();
  if (!out) {
    std::cerr << "Cannot write the reward-model description file " << filename << std::endl;
    return false;
  }
  return true;
}

// ---------------------------------------------------------------- teardown

// Only actions that carry an impulse of node j have arrays for it; the others hold null. A record
// shared with ZeroImpulseAction is left to it.
void PVModel::FreeImpulseWorkers(BaseActionClass* action) {
  if (KavrinActionRewards::Owned(action)) KavrinActionRewards::Of(action)->FreeImpulseWorkers();
}

void PVModel::Destruct() {
  // Every action goes back to the process-wide empty record: ZeroImpulseAction's, which the
  // others may share, goes last.
  for (int a = 0; a < NumActions && PVListOfActions != nullptr; a++) {
    BaseActionClass* action = PVListOfActions[a];
    FreeImpulseWorkers(action);
    action->DeallocatePVRateDS();
    action->DeallocatePVImpulseDS();
    KavrinActionRewards::Share(action, nullptr);
  }
  FreeImpulseWorkers(&ZeroImpulseAction);
  ZeroImpulseAction.DeallocatePVRateDS();
  ZeroImpulseAction.DeallocatePVImpulseDS();
  KavrinActionRewards::Share(&ZeroImpulseAction, nullptr);
  for (int p = 0; p < Number_Of_Performance_Variables; p++) {
    if (PerformanceVariableList[p] == nullptr) continue;
    delete[] PerformanceVariableList[p]->ActionDependencies;
    PerformanceVariableList[p]->ActionDependencies = nullptr;
  }
  delete[] AffectingActions;
  AffectingActions = nullptr;
  delete[] ListOfAffectedLists;
  ListOfAffectedLists = nullptr;
  RelevantNodes.clear();
  for (int p = 0; p < Number_Of_Performance_Variables; p++) delete PerformanceVariableList[p];
  delete[] PerformanceVariableList;
  PerformanceVariableList = nullptr;
  Number_Of_Performance_Variables = 0;
  delete TheModel;
  TheModel = nullptr;
  PVListOfActions = nullptr;
  PVStateIndex = nullptr;
  ActionList = nullptr;
  GroupList = nullptr;
  NumActions = 0;
  NumGroups = 0;
}

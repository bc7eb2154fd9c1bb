// Reward accumulation on small hand-written models: windows, rate rewards on a hand-fired
// trajectory, impulse workers, worker enumeration over instances, and the affected lists.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ToyModels.h"

namespace {

// One simulation step as the engine does it: accumulate up to the event, then fire.
void Step(PVModel& pv, BaseActionClass* action, double t) {
  pv.Accumulate(t);
  pv.FireAction(action, t);
}

NodeDef RateDef(RewardType type, double start, double stop) {
  NodeDef nodeDef;
  nodeDef.Reward = type;
  nodeDef.Starts = {start};
  nodeDef.Stops = {stop};
  nodeDef.Variables = {{"Tokens", "Toy"}};
  return nodeDef;
}

NodeDef ImpulseDef(double start, double stop, const char* action = "add") {
  NodeDef nodeDef;
  nodeDef.Starts = {start};
  nodeDef.Stops = {stop};
  nodeDef.Impulses = {{action, "Toy"}};
  return nodeDef;
}

}  // namespace

// Tokens: 2 until 0.5, 3 until 2, 4 until 3, then 3; window [1, 5].
// Integral over the window: 3*(2-1) + 4*(3-2) + 3*(5-3) = 3 + 4 + 6 = 13; averaged over 4: 3.25.
// The event at 6 is the first after Stop: it closes the last step at Stop and completes the node.
TEST(RateReward, IntervalAndTimeAveragedMatchHandIntegral) {
  auto* toy = new ToyModel("Toy", 2);
  ToyPVModel pv(toy, {RateDef(INTERVAL_OF_TIME, 1.0, 5.0), RateDef(TIMEAVE_INTERVAL_OF_TIME, 1.0, 5.0)});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  Step(pv, toy->action("add"), 0.5);
  Step(pv, toy->action("add"), 2.0);
  Step(pv, toy->action("remove"), 3.0);
  EXPECT_EQ(pv.getPV(0)->Accumulating, 1);
  Step(pv, toy->action("idle"), 6.0);
  EXPECT_EQ(pv.getPV(0)->Accumulating, 2);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 13.0);
  EXPECT_DOUBLE_EQ(pv.getPV(1)->TotalReward, 3.25);
  // A completed node ignores the end of the replication.
  pv.EndAccumulate(10.0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 13.0);
}

TEST(RateReward, EndAccumulateClosesTheLastInterval) {
  auto* toy = new ToyModel("Toy", 1);
  ToyPVModel pv(toy, {RateDef(INTERVAL_OF_TIME, 0.0, 4.0)});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  Step(pv, toy->action("add"), 1.0);  // 1 token for 1, then 2 tokens for 3
  pv.EndAccumulate(4.0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 7.0);
  EXPECT_EQ(pv.getPV(0)->Accumulating, 2);
}

// Firings exactly at Start and at Stop count; a firing is credited at the next accumulation.
TEST(ImpulseWindow, EdgesAreIncludedAndTheFirstEventAfterStopCompletes) {
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ImpulseDef(1.0, 5.0)});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  PerformanceVariableNode* node = pv.getPV(0);
  Step(pv, toy->action("add"), 0.5);  // before the window
  Step(pv, toy->action("add"), 1.0);  // exactly at Start
  Step(pv, toy->action("add"), 5.0);  // exactly at Stop
  EXPECT_EQ(node->Accumulating, 1);
  Step(pv, toy->action("add"), std::nextafter(5.0, 6.0));  // completes the node before it fires
  EXPECT_EQ(node->Accumulating, 2);
  EXPECT_DOUBLE_EQ(node->TotalReward, 2.0);
  pv.EndAccumulate(7.0);
  EXPECT_DOUBLE_EQ(node->TotalReward, 2.0);
}

TEST(ImpulseWindow, WorkerCountsOnlyInsideItsWindow) {
  CountImpulse worker(false);
  worker.Start = 1.0;
  worker.Stop = 5.0;
  worker.Accumulate(9.0, 1.0);
  worker.Accumulate(9.0, 5.0);
  worker.Accumulate(9.0, std::nextafter(5.0, 6.0));
  worker.Accumulate(9.0, std::nextafter(1.0, 0.0));
  EXPECT_DOUBLE_EQ(worker.Impulse, 2.0);
  worker.CurrentImpulse();  // replaces, does not add
  EXPECT_DOUBLE_EQ(worker.Impulse, 1.0);
  worker.Reset();
  EXPECT_DOUBLE_EQ(worker.Impulse, 0.0);
  EXPECT_EQ(worker.Accumulating, acc_later);
}

TEST(ImpulseWindow, TimeAveragedDividesByTheObservedPartOfTheWindow) {
  for (double done : {8.0, 12.0}) {
    CountImpulse worker(true);
    worker.Start = 0.0;
    worker.Stop = 10.0;
    for (int k = 0; k < 5; k++) worker.Accumulate(0.0, 1.0);
    worker.completeAccumulation(done);
    EXPECT_DOUBLE_EQ(worker.Impulse, done == 8.0 ? 5.0 / 8.0 : 5.0 / 10.0);
  }
}

// Each replication starts clean: totals zero, the node not started, no last action.
TEST(ImpulseWindow, PVResetRestoresACleanReplication) {
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ImpulseDef(0.0, 1.0)});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  for (int rep = 0; rep < 2; rep++) {
    Step(pv, toy->action("add"), 0.25);
    Step(pv, toy->action("add"), 0.5);
    pv.EndAccumulate(1.0);
    EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 2.0);
    pv.PVReset();
    EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 0.0);
    EXPECT_EQ(pv.getPV(0)->Accumulating, 0);
    EXPECT_EQ(pv.LastAction, &pv.ZeroImpulseAction);
    EXPECT_EQ(BaseModelClass::LastActionTime, 0.0);
  }
}

// The time of the last firing is where the next rate interval starts, and a new replication
// starts it at 0 again. Replication 1: 1 token on [0, 3], 2 on [3, 4]: 3 + 2 = 5. Replication 2
// (marking back to 1): 1 token on [0, 1], 2 on [1, 4]: 1 + 6 = 7; had the interval started at the
// previous replication's last firing (3), the integral would have lost [0, 3].
TEST(RateReward, EachReplicationIntegratesFromTimeZero) {
  auto* toy = new ToyModel("Toy", 1);
  ToyPVModel pv(toy, {RateDef(INTERVAL_OF_TIME, 0.0, 4.0)});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  Step(pv, toy->action("add"), 3.0);
  pv.EndAccumulate(4.0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 5.0);
  pv.PVReset();
  toy->Tokens->Mark() = 1;
  Step(pv, toy->action("add"), 1.0);
  pv.EndAccumulate(4.0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 7.0);
}

// A steady-state node's window moves by one batch at each Reset, and its workers follow it.
TEST(SteadyStateWindow, ResetMovesTheNodeAndItsWorkers) {
  NodeDef ss = RateDef(INTERVAL_OF_TIME, 10.0, 20.0);
  ss.Type = steady_state;
  ss.Impulses = {{"add", "Toy"}};
  NodeDef term = ImpulseDef(10.0, 20.0);
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ss, term});
  PerformanceVariableNode* moving = pv.getPV(0);
  moving->Reset();
  EXPECT_EQ(moving->Start, 20.0);
  EXPECT_EQ(moving->Stop, 30.0);
  EXPECT_EQ(moving->WorkerList[0]->Start, 20.0);
  EXPECT_EQ(moving->WorkerList[0]->Stop, 30.0);
  EXPECT_EQ(moving->ImpulseWorkersList[0][0]->Start, 20.0);
  EXPECT_EQ(moving->ImpulseWorkersList[0][0]->Stop, 30.0);
  pv.getPV(1)->Reset();
  EXPECT_EQ(pv.getPV(1)->Start, 10.0);
  EXPECT_EQ(pv.getPV(1)->Stop, 20.0);
}

// Batches of firings at 15, 25, 35 (one per batch): each batch is credited exactly once.
TEST(SteadyStateWindow, EveryBatchCountsItsOwnFirings) {
  NodeDef ss = ImpulseDef(10.0, 20.0);
  ss.Type = steady_state;
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ss});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  PerformanceVariableNode* node = pv.getPV(0);
  for (double t : {15.0, 25.0, 35.0}) {
    Step(pv, toy->action("add"), t);
    node->Accumulate(node->Stop + 1.0, BaseModelClass::LastActionTime, pv.LastAction);  // batch close
    EXPECT_DOUBLE_EQ(node->TotalReward, 1.0) << "batch ending at " << node->Stop;
    node->Reset();
  }
}

// Two model names with 2 and 3 instances: 6 workers, worker w reads A[w / 3] and B[w % 3].
TEST(WorkerEnumeration, EveryCombinationFirstNameSlowest) {
  auto* top = new ToyComposite({new ToyModel("A", 0), new ToyModel("A", 0), new ToyModel("B", 0),
                                new ToyModel("B", 0), new ToyModel("B", 0)});
  NodeDef nodeDef;
  nodeDef.Variables = {{"Tokens", "A"}};
  nodeDef.Models = {"B"};
  ToyPVModel pv(top, {nodeDef});
  PerformanceVariableNode* node = pv.getPV(0);
  ASSERT_EQ(node->NumberOfWorkers, 6);
  for (int w = 0; w < 6; w++) {
    EXPECT_EQ(node->ModelList[w].ModelList[0], top->Children[w / 3]) << w;
    EXPECT_EQ(node->ModelList[w].ModelList[1], top->Children[2 + w % 3]) << w;
    auto* worker = static_cast<TokenWorker*>(node->WorkerList[w]);
    EXPECT_EQ(worker->Models[0], top->Children[w / 3]);
    EXPECT_EQ(worker->Number, w);
    EXPECT_STREQ(worker->Name, "toy");
  }
  // "add" of the second A changes its Tokens: it reaches exactly the workers reading that instance.
  FastSet& reached = KavrinActionRewards::Of(top->Children[1]->action("add"))->AffectedRateWorkers[0];
  ASSERT_EQ(reached.size(), 3);
  EXPECT_EQ(reached[0], 3);
  EXPECT_EQ(reached[2], 5);
  // B's actions change nothing the variable reads.
  EXPECT_EQ(KavrinActionRewards::Of(top->Children[2]->action("add"))->AffectedRateWorkers[0].size(), 0);
  EXPECT_EQ(node->NumberOfActionDependencies, 4);  // add and remove of both A instances
}

// Several impulse workers: the squared total is the sum of the workers' squares.
TEST(ImpulseWorkers, OneWorkerPerInstanceAndSumOfSquares) {
  auto* top = new ToyComposite({new ToyModel("A", 0), new ToyModel("A", 0)});
  NodeDef nodeDef = ImpulseDef(0.0, 10.0);
  nodeDef.Impulses = {{"add", "A"}};
  ToyPVModel pv(top, {nodeDef});
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  PerformanceVariableNode* node = pv.getPV(0);
  ASSERT_EQ(node->NumberOfImpulseWorkers[0], 2);
  EXPECT_EQ(node->ImpulseWorkersList[0][0]->ContainingModel, top->Children[0]);
  EXPECT_EQ(node->ImpulseWorkersList[0][1]->ContainingModel, top->Children[1]);
  Step(pv, top->Children[0]->action("add"), 1.0);
  Step(pv, top->Children[0]->action("add"), 2.0);
  Step(pv, top->Children[1]->action("add"), 3.0);
  pv.EndAccumulate(10.0);
  EXPECT_DOUBLE_EQ(node->TotalReward, 3.0);
  EXPECT_DOUBLE_EQ(node->TotalRewardSqr, 5.0);  // 2*2 + 1*1
}

TEST(AffectedLists, ActionReachedByRateAndImpulseIsListedOnce) {
  auto* toy = new ToyModel("Toy", 0);
  NodeDef nodeDef = RateDef(INTERVAL_OF_TIME, 0.0, 1.0);
  nodeDef.Impulses = {{"add", "Toy"}};
  ToyPVModel pv(toy, {nodeDef});
  EXPECT_EQ(pv.TotalNumAffectingActions, 2);  // add and remove
  EXPECT_EQ(pv.AffectingActions[0], toy->action("add"));
  EXPECT_EQ(KavrinActionRewards::Of(toy->action("add"))->AffectedNodes.size(), 1);
  EXPECT_EQ(pv.getPV(0)->NumberOfActionDependencies, 2);
  EXPECT_EQ(KavrinActionRewards::Of(toy->action("idle"))->AffectedNodes.size(), 0);
}

// A rate reward on Tokens (changed by add and remove) and an impulse of 1 per firing of add,
// over [0, 10]. add and remove have records of their own, idle shares the reward model's; remove
// has no impulse arrays of its own and reads the shared empty ones. Every action reads as having
// both structures. Firing all three counts add's two firings only.
TEST(AffectedLists, ActionsNoRewardDependsOnShareTheEmptyTables) {
  auto* toy = new ToyModel("Toy", 0);
  // The reward model owns the toy and frees the shared tables once (a double free would show
  // under the sanitizers).
  ToyPVModel pv(toy, {RateDef(INTERVAL_OF_TIME, 0.0, 10.0), ImpulseDef(0.0, 10.0)});
  const KavrinActionRewards* none = KavrinActionRewards::Of(&pv.ZeroImpulseAction);
  BaseActionClass* add = toy->action("add");
  BaseActionClass* remove = toy->action("remove");
  BaseActionClass* idle = toy->action("idle");
  EXPECT_TRUE(KavrinActionRewards::Owned(add));
  EXPECT_TRUE(KavrinActionRewards::Owned(remove));
  EXPECT_FALSE(KavrinActionRewards::Owned(idle));
  EXPECT_EQ(KavrinActionRewards::Of(idle), none);
  EXPECT_NE(KavrinActionRewards::Of(add)->AffectedRateWorkers, none->AffectedRateWorkers);
  EXPECT_NE(KavrinActionRewards::Of(remove)->AffectedRateWorkers, none->AffectedRateWorkers);
  EXPECT_NE(KavrinActionRewards::Of(add)->AffectedImpulseRewards, none->AffectedImpulseRewards);
  EXPECT_EQ(KavrinActionRewards::Of(remove)->AffectedImpulseRewards, none->AffectedImpulseRewards);
  EXPECT_EQ(KavrinActionRewards::Of(remove)->AffectedImpulseWorkers, none->AffectedImpulseWorkers);
  for (BaseActionClass* action : {add, remove, idle}) {
    EXPECT_TRUE(action->IsPVRateDSAllocated()) << action->getName();
    EXPECT_TRUE(action->IsPVImpulseDSAllocated()) << action->getName();
  }
  for (int p = 0; p < 2; p++) {
    EXPECT_EQ(KavrinActionRewards::Of(idle)->AffectedRateWorkers[p].size(), 0);
    EXPECT_EQ(KavrinActionRewards::Of(remove)->AffectedImpulseRewards[p].size(), 0);
  }
  // remove reaches node 0 through Tokens only; add reaches node 0 and, by its impulse, node 1.
  EXPECT_EQ(KavrinActionRewards::Of(remove)->AffectedNodes.size(), 1);
  EXPECT_EQ(KavrinActionRewards::Of(add)->AffectedNodes.size(), 2);
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  Step(pv, idle, 1.0);
  Step(pv, add, 2.0);
  Step(pv, remove, 3.0);
  Step(pv, add, 4.0);
  Step(pv, idle, 5.0);
  pv.EndAccumulate(10.0);
  EXPECT_DOUBLE_EQ(pv.getPV(1)->TotalReward, 2.0);
}

// The reward model torn down first: it hands every action back the process-wide empty record
// and frees what the actions owned; the model, destroyed later, frees no reward structure.
TEST(RewardTeardown, RewardModelFirstLeavesTheActionsWithTheEmptyRecord) {
  auto* toy = new ToyModel("Toy", 0);
  auto* pv = new ToyPVModel(toy, {RateDef(INTERVAL_OF_TIME, 0.0, 10.0), ImpulseDef(0.0, 10.0)});
  pv->TheModel = nullptr;  // the toy outlives the reward model
  delete pv;
  for (const char* name : {"add", "remove", "idle"}) {
    BaseActionClass* action = toy->action(name);
    EXPECT_EQ(KavrinActionRewards::Of(action), KavrinActionRewards::Empty()) << name;
    EXPECT_FALSE(KavrinActionRewards::Owned(action)) << name;
    EXPECT_FALSE(action->IsPVRateDSAllocated()) << name;
    EXPECT_FALSE(action->IsPVImpulseDSAllocated()) << name;
  }
  delete toy;
}

// The model torn down first: each action frees its own record, impulse worker tables included,
// and leaves alone the record it shares; the reward model then frees its own record only. Under
// the sanitizers a leak, a double free or a read of a destroyed action would show.
TEST(RewardTeardown, ModelFirstFreesEachRecordOnce) {
  auto* toy = new ToyModel("Toy", 0);
  auto* pv = new ToyPVModel(toy, {RateDef(INTERVAL_OF_TIME, 0.0, 10.0), ImpulseDef(0.0, 10.0)});
  ASSERT_NE(KavrinActionRewards::Of(toy->action("add"))->AffectedImpulseWorkers[1], nullptr);
  delete toy;
  pv->TheModel = nullptr;
  pv->PVListOfActions = nullptr;
  pv->NumActions = 0;
  delete pv;
}

TEST(AffectedLists, NoDependenciesMeansNoAffectingActions) {
  NodeDef nodeDef;
  ToyPVModel pv(new ToyModel("Toy", 0), {nodeDef});
  EXPECT_EQ(pv.TotalNumAffectingActions, 0);
  EXPECT_EQ(pv.AffectingActions, nullptr);
}

TEST(AffectedLists, MissingImpulseActionIsWarnedAndNeverFires) {
  auto* toy = new ToyModel("Toy", 0);
  NodeDef nodeDef = ImpulseDef(0.0, 1.0, "vanish");
  testing::internal::CaptureStderr();
  ToyPVModel pv(toy, {nodeDef});
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("\"toy\""), std::string::npos) << err;
  EXPECT_NE(err.find("\"vanish\""), std::string::npos) << err;
  EXPECT_NE(err.find("\"Toy\""), std::string::npos) << err;
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  Step(pv, toy->action("add"), 0.5);
  pv.EndAccumulate(1.0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 0.0);
}

TEST(ModelDefinitionErrors, UnknownModelNameEndsWithStatus1) {
  NodeDef nodeDef;
  nodeDef.Variables = {{"Tokens", "Nowhere"}};
  EXPECT_EXIT(ToyPVModel(new ToyModel("Toy", 0), {nodeDef}), testing::ExitedWithCode(1),
              "Number of Nowhere's was 0\\.  Model cannot be created\\.\nModel Name was: Toy\n\\.");
}

TEST(PVList, TimeArraysExpandIntoConsecutiveNodes) {
  NodeDef nodeDef = ImpulseDef(0.0, 1.0);
  nodeDef.Starts = {0.0, 2.0, 4.0};
  nodeDef.Stops = {1.0, 3.0, 7.5};
  ToyPVModel expanded(new ToyModel("Toy", 0), {nodeDef}, true);
  ASSERT_EQ(expanded.getNumPVs(), 3);
  EXPECT_EQ(expanded.getPV(2)->Start, 4.0);
  EXPECT_EQ(expanded.getPV(2)->id, 2);
  EXPECT_EQ(expanded.getSimulationStopTime(), 7.5);
  ToyPVModel single(new ToyModel("Toy", 0), {nodeDef}, false);
  EXPECT_EQ(single.getNumPVs(), 1);
  EXPECT_EQ(single.getSimulationStopTime(), 1.0);
}

TEST(PVList, ConsiderOnlyAnEmptySelectionAccumulatesNothing) {
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ImpulseDef(0.0, 1.0)});
  int none[1] = {0};
  pv.ConsiderOnly(none, 0);
  Step(pv, toy->action("add"), 0.5);
  pv.EndAccumulate(1.0);
  EXPECT_EQ(pv.getPV(0)->Accumulating, 0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 0.0);
}

// The data of an empty vector is null: an empty selection still selects nothing.
TEST(PVList, ConsiderOnlyAnEmptySelectionThroughANullPointerAccumulatesNothing) {
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ImpulseDef(0.0, 1.0)});
  pv.ConsiderOnly(nullptr, 0);
  Step(pv, toy->action("add"), 0.5);
  pv.EndAccumulate(1.0);
  EXPECT_EQ(pv.getPV(0)->Accumulating, 0);
  EXPECT_DOUBLE_EQ(pv.getPV(0)->TotalReward, 0.0);
}

TEST(AdditionalState, BytesForCountsSignificantBytes) {
  EXPECT_EQ(PVModel::BytesFor(0), 0);
  EXPECT_EQ(PVModel::BytesFor(15), 1);
  EXPECT_EQ(PVModel::BytesFor(255), 1);
  EXPECT_EQ(PVModel::BytesFor(256), 2);
  EXPECT_EQ(PVModel::BytesFor(65536), 3);
  EXPECT_EQ(PVModel::BytesFor(-1), 4);
}

TEST(AdditionalState, LastActionIndexFollowsTheModelImage) {
  auto* toy = new ToyModel("Toy", 7);
  ToyPVModel pv(toy, {ImpulseDef(0.0, 1.0)});
  ASSERT_EQ(pv.StateSize(), toy->StateSize() + 1);
  std::vector<char> image(pv.StateSize());
  pv.CurrentState(image.data());
  EXPECT_EQ(image.back(), 0);
  pv.FireAction(toy->action("remove"), 0.1);
  std::vector<char> after(pv.StateSize());
  pv.CurrentState(after.data());
  EXPECT_EQ(after.back(), 2);  // 1 + position of "remove"
  EXPECT_EQ(pv.StateIndexLookup(after.data() + toy->StateSize()), 2);
  EXPECT_FALSE(pv.CompareState(image.data(), after.data()));
  pv.SetState(image.data());
  EXPECT_EQ(toy->Tokens->getMark(), 7);
}

// The reward model's stop time is the largest Stop of every variable, also those the run does not
// measure; where a mixed model's terminating replications end is the simulator's decision.
TEST(StopTime, CoversEveryVariableWhateverTheRunConsiders) {
  NodeDef ss = RateDef(INTERVAL_OF_TIME, 1000.0, 2000.0);
  ss.Type = steady_state;
  NodeDef term = ImpulseDef(0.0, 10.0);
  auto* toy = new ToyModel("Toy", 0);
  ToyPVModel pv(toy, {ss, term});
  EXPECT_EQ(pv.Simulation_Stop_Time, 2000.0);
  const int terminatingOnly[] = {1};
  pv.ConsiderOnly(terminatingOnly, 1);
  EXPECT_EQ(pv.Simulation_Stop_Time, 2000.0);
}

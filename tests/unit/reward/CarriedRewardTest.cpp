// The carried reward model "token_game" over the carried atomic model, driven by hand.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "Atomic/GPU_MODEL_ATOMIC_COMPOSITION/GPU_MODEL_ATOMIC_COMPOSITIONSAN.h"
#include "Reward/GPU_REWARD/GPU_REWARDPVModel.h"

namespace {

BaseActionClass* ActionNamed(PVModel& pv, const char* name) {
  List<BaseActionClass> found;
  pv.listActions(name, &found);
  return found.getNumItems() > 0 ? found.getItem(0) : nullptr;
}

// One replication as the engine runs it: DISPATCHER three times, then COMPUTE_case2, all at time 0.
void Replicate(PVModel& pv) {
  BaseActionClass* dispatcher = ActionNamed(pv, "DISPATCHER");
  BaseActionClass* compute = ActionNamed(pv, "COMPUTE_case2");
  ASSERT_NE(dispatcher, nullptr);
  ASSERT_NE(compute, nullptr);
  for (int k = 0; k < 3; k++) {
    pv.Accumulate(0.0);
    pv.FireAction(dispatcher, 0.0);
  }
  pv.Accumulate(0.0);
  pv.FireAction(compute, 0.0);
  pv.EndAccumulate(1.0);
}

}  // namespace

// Impulse 0 (DISPATCHER) collects 3 and impulse 6 (COMPUTE_case2) 1: total 4, squares 9 + 1.
TEST(CarriedReward, OneReplicationGivesFourAndTen) {
  testing::internal::CaptureStderr();
  GPU_REWARDPVModel pv(true);
  testing::internal::GetCapturedStderr();
  pv.ConsiderOnly(nullptr, pv.Number_Of_Performance_Variables);
  std::vector<char> initial(pv.StateSize());
  pv.CurrentState(initial.data());
  for (int rep = 0; rep < 3; rep++) {
    Replicate(pv);
    PerformanceVariableNode* node = pv.getPV(0);
    EXPECT_EQ(node->Accumulating, 2);
    EXPECT_DOUBLE_EQ(node->TotalReward, 4.0);
    EXPECT_DOUBLE_EQ(node->TotalRewardSqr, 10.0);
    pv.SetState(initial.data());
    pv.PVReset();
    EXPECT_EQ(node->Accumulating, 0);
    EXPECT_DOUBLE_EQ(node->TotalReward, 0.0);
    EXPECT_DOUBLE_EQ(node->TotalRewardSqr, 0.0);
    EXPECT_EQ(pv.LastAction, &pv.ZeroImpulseAction);
  }
}

TEST(CarriedReward, ShapeOfTheRewardModel) {
  testing::internal::CaptureStderr();
  GPU_REWARDPVModel pv(true);
  testing::internal::GetCapturedStderr();
  EXPECT_STREQ(pv.getName(), "GPU_REWARDPVModel");
  EXPECT_EQ(pv.getSimulationStopTime(), 1.0);
  ASSERT_EQ(pv.getNumPVs(), 1);
  PerformanceVariableNode* node = pv.getPV(0);
  EXPECT_STREQ(node->GetName(), "token_game");
  EXPECT_EQ(node->Type, terminating);
  EXPECT_EQ(node->NumberOfWorkers, 0);
  EXPECT_EQ(node->NumberOfImpulses, 7);
  for (int i = 0; i < 7; i++) EXPECT_EQ(node->NumberOfImpulseWorkers[i], 1) << i;
  EXPECT_EQ(node->ImpulseWorkersList[0][0]->ContainingModel, pv.getTheModel());
  // DISPATCHER, WRITE_TO_case1/2, COMPUTE_case1/2 carry impulses; the READ_FROM actions do not exist.
  EXPECT_EQ(pv.TotalNumAffectingActions, 5);
  EXPECT_EQ(node->NumberOfActionDependencies, 5);
}

TEST(CarriedReward, StateImageEndsWithTheLastActionIndex) {
  testing::internal::CaptureStderr();
  GPU_REWARDPVModel pv(true);
  testing::internal::GetCapturedStderr();
  ASSERT_EQ(pv.AdditionalStateSize, 1);
  ASSERT_EQ(pv.StateSize(), pv.getTheModel()->StateSize() + 1);
  std::vector<char> image(pv.StateSize());
  pv.CurrentState(image.data());
  EXPECT_EQ(image.back(), 0);
  pv.FireAction(ActionNamed(pv, "DISPATCHER"), 0.0);
  pv.CurrentState(image.data());
  EXPECT_EQ(image.back(), 11);  // DISPATCHER is action 10 of the atomic model
}

TEST(CarriedReward, MissingActionsAreWarnedOncePerAction) {
  testing::internal::CaptureStderr();
  GPU_REWARDPVModel pv(true);
  std::string err = testing::internal::GetCapturedStderr();
  const char* expected[] = {
      "Warning: performance variable \"token_game\": impulse action \"READ_FROM_case1\" does not exist in "
      "model "
      "\"GPU_MODEL_ATOMIC_COMPOSITION\"; the impulse is ignored.\n",
      "Warning: performance variable \"token_game\": impulse action \"READ_FROM_case2\" does not exist in "
      "model "
      "\"GPU_MODEL_ATOMIC_COMPOSITION\"; the impulse is ignored.\n"};
  EXPECT_EQ(err, std::string(expected[0]) + expected[1]);
}

TEST(CarriedReward, DescriptionFileLineByLine) {
  testing::internal::CaptureStderr();
  GPU_REWARDPVModel pv(true);
  testing::internal::GetCapturedStderr();
  std::string path = testing::TempDir() + "carried_reward.pv";
  ASSERT_TRUE(pv.WritePVTypeFile(path.c_str()));
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::vector<std::string> expected = {"Version:1",  "NumPV:1", "Name:token_game", "Type:1",
                                       "NumTimes:1", "Start:0", "Stop:1"};
  EXPECT_EQ(lines, expected);
  std::remove(path.c_str());
  EXPECT_FALSE(pv.WritePVTypeFile("/nonexistent-dir/x.pv"));
}

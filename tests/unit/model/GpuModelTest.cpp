#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Atomic/GPU_MODEL_ATOMIC_COMPOSITION/GPU_MODEL_ATOMIC_COMPOSITIONSAN.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "support/ScriptedGenerator.h"

namespace {

const char* const kPlaceNames[20] = {"TOTAL_PERFORM_OK_READ",
                                     "TOTAL_PERFORM_KO_READ",
                                     "RESULT_OK_CONTENT",
                                     "RESULT_KO_CONTENT",
                                     "RESULT_KO",
                                     "RESULT_OK",
                                     "ALU_INSTRUCTION",
                                     "OUTPUT_MEMORY",
                                     "WRITE_RESULT_MEMORY",
                                     "RESULT_MEMORY",
                                     "READ_TOTAL_MEMORY",
                                     "TOTAL_MEMORY",
                                     "RESULT_PERFORM_OK_READ",
                                     "RESULT_PERFORM_KO_READ",
                                     "OUTPUT_OK_CONTENT",
                                     "OUTPUT_KO_CONTENT",
                                     "READ_RESULT_MEMORY",
                                     "WRITE_OUTPUT_MEMORY",
                                     "ALU_INSTRUCTION_WITH_INPUT",
                                     "INST_COUNTER"};

const char* const kActionNames[15] = {"T_READ_TOTAL_case1",   "T_READ_TOTAL_case2", "T_WRITE_RESULT_case1",
                                      "T_WRITE_RESULT_case2", "COMPUTE_case1",      "COMPUTE_case2",
                                      "T_READ_case1",         "T_READ_case2",       "T_WRITE_OUTPUT_case1",
                                      "T_WRITE_OUTPUT_case2", "DISPATCHER",         "READ_TOTAL_case1",
                                      "READ_TOTAL_case2",     "WRITE_TO_case1",     "WRITE_TO_case2"};

const char* const kGroupNames[8] = {"T_READ_TOTALGroup", "T_WRITE_RESULTGroup", "COMPUTEGroup",
                                    "T_READGroup",       "T_WRITE_OUTPUTGroup", "DISPATCHER",
                                    "READ_TOTALGroup",   "WRITE_TOGroup"};

class GpuModelTest : public ::testing::Test {
 protected:
  GPU_MODEL_ATOMIC_COMPOSITIONSAN model;

  Place* place(int i) { return static_cast<Place*>(model.LocalStateVariables[i]); }
  std::vector<short> markings() {
    std::vector<short> m;
    for (int i = 0; i < 20; i++) m.push_back(place(i)->Mark());
    return m;
  }
  std::vector<int> enabledGroups() {
    std::vector<int> e;
    for (int g = 0; g < model.getNumGroups(); g++) {
      if (model.getGroupList()[g]->Enabled()) e.push_back(g);
    }
    return e;
  }
};

TEST_F(GpuModelTest, BuildsTheListsInContractOrder) {
  EXPECT_STREQ(model.getName(), "GPU_MODEL_ATOMIC_COMPOSITION");
  ASSERT_EQ(model.getNumStateVariables(), 21);
  ASSERT_EQ(model.getNumActions(), 15);
  ASSERT_EQ(model.getNumGroups(), 8);
  for (int i = 0; i < 20; i++) EXPECT_STREQ(model.LocalStateVariables[i]->getName(), kPlaceNames[i]);
  EXPECT_STREQ(model.LocalStateVariables[20]->getName(), "SCHEDULER");
  EXPECT_EQ(model.LocalStateVariables[20], model.SCHEDULER);

  BaseActionClass** actions = model.getActionList();
  int first = actions[0]->getID();
  for (int i = 0; i < 15; i++) {
    EXPECT_STREQ(actions[i]->getName(), kActionNames[i]);
    // Members are built in action-list order, so their numbers are consecutive.
    EXPECT_EQ(actions[i]->getID(), first + i);
    EXPECT_EQ(actions[i]->DistributionType, Instantaneous);
    EXPECT_EQ(actions[i]->ExecutionPolicy, RaceEnabled);
    EXPECT_EQ(actions[i]->Rank(), 1);
    EXPECT_EQ(actions[i]->Weight(), i == 10 ? 1.0 : 0.0);
    EXPECT_EQ(actions[i]->TheModel, &model);
  }
  for (int g = 0; g < 8; g++) EXPECT_STREQ(model.getGroupList()[g]->getName(), kGroupNames[g]);
  EXPECT_EQ(model.getGroupList()[5], &model.DISPATCHER);
  // The unlisted groups still take their numbers, after the activities.
  EXPECT_EQ(model.ImmediateGroup.getID(), first + 15);
  EXPECT_EQ(model.T_READ_TOTALGroup.getID(), first + 16);
  EXPECT_EQ(model.DISPATCHERGroup.getID(), first + 21);
  EXPECT_EQ(model.WRITE_TOGroup.getID(), first + 23);
  const int gid[15] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 6, 6, 7, 7};
  for (int i = 0; i < 15; i++) {
    EXPECT_EQ(actions[i]->GroupID, gid[i]);
    if (i != 10) {
      EXPECT_TRUE(model.getGroupList()[gid[i]]->IsAMember(actions[i])) << i;
    }
  }
}

TEST_F(GpuModelTest, ArcsReachTheLeavesOfTheSchedulerArray) {
  BaseActionClass** actions = model.getActionList();
  // Affected counts follow the 38 arcs; DISPATCHER's one arc to SCHEDULER lists its five elements.
  const int affected[15] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 11, 3, 2, 3, 3};
  const int enabling[15] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2};
  for (int i = 0; i < 15; i++) {
    EXPECT_EQ(actions[i]->getNumAffectedSVs(), affected[i]) << kActionNames[i];
    EXPECT_EQ(actions[i]->getNumEnablingSVs(), enabling[i]) << kActionNames[i];
  }
  BaseActionClass* dispatcher = actions[10];
  EXPECT_EQ(dispatcher->getAffectedSV(0), model.INST_COUNTER);
  EXPECT_EQ(dispatcher->getAffectedSV(6), model.SCHEDULER->Index(0));
  EXPECT_EQ(dispatcher->getAffectedSV(10), model.SCHEDULER->Index(4));
  EXPECT_EQ(model.SCHEDULER->getNumAffectingActions(), 0);
  EXPECT_EQ(model.SCHEDULER->Index(3)->getNumAffectingActions(), 1);
  // RESULT_MEMORY is changed by T_WRITE_RESULT, T_READ and WRITE_TO_case1, and enables four cases.
  EXPECT_EQ(model.RESULT_MEMORY->getNumAffectingActions(), 5);
  EXPECT_EQ(model.RESULT_MEMORY->getNumEnabledActions(), 4);
  EXPECT_EQ(model.ALU_INSTRUCTION_WITH_INPUT->getNumAffectingActions(), 0);
  EXPECT_EQ(model.ALU_INSTRUCTION_WITH_INPUT->getNumEnabledActions(), 0);
}

TEST_F(GpuModelTest, InitialImageIsTwentyShortsThenFiveInts) {
  ASSERT_EQ(model.StateSize(), 60);
  unsigned char image[60];
  model.CurrentState(image);
  for (int i = 0; i < 20; i++) {
    short m;
    std::memcpy(&m, image + 2 * i, 2);
    EXPECT_EQ(m, i == 19 ? -1 : 0) << kPlaceNames[i];
  }
  for (int k = 0; k < 5; k++) {
    int v;
    std::memcpy(&v, image + 40 + 4 * k, 4);
    EXPECT_EQ(v, k);
  }
}

TEST_F(GpuModelTest, FiringByHandDispatchesThreeTimesThenComputesOnce) {
  ScriptedGenerator gen({0.9});
  ScopedGenerator use(&gen);
  std::vector<short> initial = markings();
  std::vector<char> saved(model.StateSize());
  model.CurrentState(saved.data());

  // The counter steps by two per firing and reads the codes of elements 0, 2 and 4.
  const short counters[3] = {1, 3, 5};
  for (int n = 0; n < 3; n++) {
    ASSERT_EQ(enabledGroups(), std::vector<int>{5});
    EXPECT_EQ(model.DISPATCHER.Fire(), &model.DISPATCHER);
    EXPECT_EQ(model.INST_COUNTER->Mark(), counters[n]);
  }
  EXPECT_EQ(model.READ_TOTAL_MEMORY->Mark(), 1);
  EXPECT_EQ(model.WRITE_RESULT_MEMORY->Mark(), 1);
  EXPECT_EQ(model.ALU_INSTRUCTION->Mark(), 1);
  EXPECT_EQ(model.READ_RESULT_MEMORY->Mark(), 0);
  EXPECT_EQ(model.WRITE_OUTPUT_MEMORY->Mark(), 0);

  // Both COMPUTE cases weigh 0.0: the total is 0 and the last enabled case is chosen, one draw.
  ASSERT_EQ(enabledGroups(), std::vector<int>{2});
  EXPECT_EQ(model.COMPUTEGroup.Fire(), &model.COMPUTE_case2);
  EXPECT_EQ(gen.draws(), 1u);
  EXPECT_EQ(model.RESULT_KO->Mark(), 1);
  EXPECT_EQ(model.RESULT_OK->Mark(), 0);
  EXPECT_EQ(model.ALU_INSTRUCTION->Mark(), 0);
  EXPECT_TRUE(enabledGroups().empty());

  std::vector<char> after(model.StateSize());
  model.CurrentState(after.data());
  EXPECT_FALSE(model.CompareState(saved.data(), after.data()));
  model.SetState(saved.data());
  EXPECT_EQ(markings(), initial);
  for (int k = 0; k < 5; k++) EXPECT_EQ(model.SCHEDULER->Index(k)->Mark(), k);
  model.CurrentState(after.data());
  EXPECT_TRUE(model.CompareState(saved.data(), after.data()));
  // The activities' mark pointers follow the restored cells.
  EXPECT_EQ(*model.DISPATCHER.INST_COUNTER_Kavrin_Mark, -1);
  EXPECT_EQ(enabledGroups(), std::vector<int>{5});
}

TEST_F(GpuModelTest, CasesMoveTheirTokens) {
  // Every case fires through its mark pointers and moves one token from input to output.
  struct Case {
    int action;
    std::vector<int> from;
    std::vector<int> to;
  };
  const std::vector<Case> cases = {
      {0, {11}, {0}},       {1, {11}, {1}},     {2, {9}, {2}},      {3, {9}, {3}},     {4, {6}, {5}},
      {5, {6}, {4}},        {6, {9}, {12}},     {7, {9}, {13}},     {8, {7}, {14}},    {9, {7}, {15}},
      {11, {10, 16}, {11}}, {12, {10, 16}, {}}, {13, {8, 17}, {9}}, {14, {8, 17}, {7}}};
  std::vector<char> saved(model.StateSize());
  model.CurrentState(saved.data());
  for (const Case& c : cases) {
    model.SetState(saved.data());
    BaseActionClass* a = model.getActionList()[c.action];
    EXPECT_FALSE(a->Enabled()) << kActionNames[c.action];
    for (int p : c.from) place(p)->Mark() = 2;
    ASSERT_TRUE(a->Enabled()) << kActionNames[c.action];
    std::vector<short> expect = markings();
    for (int p : c.from) expect[p]--;
    for (int p : c.to) expect[p]++;
    EXPECT_EQ(a->Fire(), a);
    EXPECT_EQ(markings(), expect) << kActionNames[c.action];
  }
}

TEST_F(GpuModelTest, DispatcherDepositsByCodeAndIgnoresUnknownCodes) {
  const int target[5] = {10, 16, 8, 17, 6};
  for (int code = -1; code <= 5; code++) {
    std::vector<short> before = markings();
    model.INST_COUNTER->Mark() = 1;
    model.SCHEDULER->Index(2)->Mark() = code;
    model.DISPATCHER.Fire();
    std::vector<short> expect = before;
    expect[19] = 3;
    if (code >= 0 && code <= 4) expect[target[code]]++;
    EXPECT_EQ(markings(), expect) << "code " << code;
  }
}

}  // namespace

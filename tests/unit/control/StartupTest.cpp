// What the start-up decides before a run: the version text, the -O values it refuses, and where
// each replication of a terminating run ends.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "Performance_Variables/PerformanceVariableNode.h"
#include "Simulator/SimulatorClass.h"
#include "Study/BaseStudyClass.h"
#include "ToyModels.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

TEST(VersionText, NamesTheProgramAndWhereItsModelCameFrom) {
  const std::string hash(64, 'a');
  EXPECT_EQ(SimulatorClass::VersionText("/opt/sims/MM1_STUDYSim", "1.2.3", hash.c_str()),
            "MM1_STUDYSim 1.2.3\nmodel description sha256: " + hash + "\n");
  EXPECT_EQ(SimulatorClass::VersionText("GPUS_STUDYSim", "1.2.3", ""),
            "GPUS_STUDYSim 1.2.3\nmodel: written by hand\n");
  EXPECT_EQ(SimulatorClass::VersionText("GPUS_STUDYSim", "1.2.3", nullptr),
            "GPUS_STUDYSim 1.2.3\nmodel: written by hand\n");
  // A Windows path: both separators, and the ".exe" (any case) is not part of the name.
  EXPECT_EQ(SimulatorClass::VersionText("C:\\sims/bin\\REPAIR_STUDYSim.EXE", "0.6.0", ""),
            "REPAIR_STUDYSim 0.6.0\nmodel: written by hand\n");
  // Only the suffix ".exe" is dropped, and never the whole name.
  EXPECT_EQ(SimulatorClass::VersionText("./my.sim", "0.6.0", ""), "my.sim 0.6.0\nmodel: written by hand\n");
  EXPECT_EQ(SimulatorClass::VersionText(".exe", "0.6.0", ""), ".exe 0.6.0\nmodel: written by hand\n");
}

TEST(UnreadableOverride, FindsTheFirstValueThatIsNotWhollyANumber) {
  EXPECT_EQ(BaseStudyClass::UnreadableOverride(nullptr), "");
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("d:lambda:0.7"), "");
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("d:lambda: 0.7 "), "");
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("d:lambda:0.7junk"),
            "The value \"0.7junk\" of global variable lambda is not a number of type d (double)");
  // Separators come in runs; the second triple is the faulty one.
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("i:n:0x10::s:k:7.5"),
            "The value \"7.5\" of global variable k is not a number of type s (short)");
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("b:on:yes"),
            "The value \"yes\" of global variable on is not a number of type b (bool)");
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("f:x:."),
            "The value \".\" of global variable x is not a number of type f (float)");
  // Left to the study: characters, unknown letters, an incomplete last triple.
  EXPECT_EQ(BaseStudyClass::UnreadableOverride("c:x:abc:z:y:what:d:lambda"), "");
}

NodeDef Variable(PVType type, double start, double stop) {
  NodeDef nodeDef;
  nodeDef.Type = type;
  nodeDef.Starts = {start};
  nodeDef.Stops = {stop};
  return nodeDef;
}

// The horizon of a terminating run's replications, for a reward model with these variables.
double Horizon(std::vector<NodeDef> defs, bool asTheStartUpLeavesThem) {
  auto* san = new StepTestSAN({{"p", 1}}, {{"tick", Deterministic}});
  ToyPVModel model(san, std::move(defs));
  SimulatorClass sim{SimulatorClass::BareTag{}};
  sim.TheModel = &model;
  sim.isTerminatingSimulation = 1;
  // The start-up sets the Stop of every variable the run does not measure to the largest double.
  if (asTheStartUpLeavesThem)
    for (int i = 0; i < model.Number_Of_Performance_Variables; ++i)
      if (model.PerformanceVariableList[i]->Type == steady_state)
        model.PerformanceVariableList[i]->Stop = std::numeric_limits<double>::max();
  const double horizon = sim.ReplicationStopTime();
  sim.TheModel = nullptr;
  return horizon;
}

TEST(ReplicationStopTime, AMixedModelEndsAtItsTerminatingVariablesHorizon) {
  for (bool startUp : {false, true}) {
    EXPECT_EQ(Horizon({Variable(steady_state, 1000, 2000), Variable(terminating, 0, 10),
                       Variable(terminating, 5, 25)},
                      startUp),
              25.0);
  }
}

TEST(ReplicationStopTime, AModelOfOneKindEndsAtTheLargestStop) {
  EXPECT_EQ(Horizon({Variable(terminating, 0, 10), Variable(terminating, 5, 25)}, true), 25.0);
  // A terminating run of a steady-state model measures nothing but still runs to the largest Stop.
  EXPECT_EQ(Horizon({Variable(steady_state, 1000, 2000), Variable(steady_state, 0, 500)}, false), 2000.0);
  // The model's stop time starts from 0: variables that all stop before it give 0.
  EXPECT_EQ(Horizon({Variable(terminating, -5, -1)}, true), 0.0);
}

}  // namespace

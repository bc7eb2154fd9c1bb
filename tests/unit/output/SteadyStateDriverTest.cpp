// The steady-state driver on a clock model: one activity firing every time unit, variables that
// count its firings over batches of their own length.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "OutputTestSupport.h"
#include "ToyModels.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

using outtest::ReadFile;
using outtest::ScratchFile;

NodeSpec CountTicks(const char* name, double start, double stop) {
  NodeSpec nodeSpec;
  nodeSpec.Name = name;
  nodeSpec.Type = steady_state;
  nodeSpec.Starts = {start};
  nodeSpec.Stops = {stop};
  nodeSpec.Impulses = {{"tick", "StepTestSAN"}};
  return nodeSpec;
}

// Observations per variable, read back from the ASCII file.
std::map<int, std::vector<std::string>> Observations(const std::string& csv) {
  std::map<int, std::vector<std::string>> out;
  std::istringstream in(csv);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.find(',');
    out[std::stoi(line.substr(0, comma))].push_back(line.substr(comma + 1));
  }
  return out;
}

class SteadyStateDriver : public ::testing::Test {
 protected:
  // tokens < 0: the clock never stops; otherwise it fires that many times and the state absorbs.
  void Build(std::vector<NodeSpec> specs, int tokens = -1) {
    auto* san =
        new StepTestSAN({{"p", static_cast<short>(tokens < 0 ? 1 : tokens)}}, {{"tick", Deterministic}});
    StepTestActivity* tick = san->activity(0);
    tick->delay = [] { return 1.0; };
    if (tokens >= 0) {
      Place* p = san->place(0);
      tick->enabling = [p] { return p->Mark() > 0; };
      tick->effect = [p] { p->Mark()--; };
      san->reads(0, 0);
      san->affects(0, 0);
    }
    model = std::make_unique<ToyPVModel>(san, std::move(specs));
    harness = std::make_unique<StepHarness>(model.get());
    SimulatorClass& sim = harness->sim;
    // The driver makes its own working records.
    delete sim.CurrEvent;
    delete sim.TempEvent;
    delete sim.NullAction;
    sim.CurrEvent = sim.TempEvent = nullptr;
    sim.NullAction = sim.TempAction = nullptr;
    sim.isTerminatingSimulation = 0;
    sim.NumPVs = model->Number_Of_Performance_Variables;
    sim.FileCSV = sim.CreateAsciiFile(csv.c_name());
  }
  std::map<int, std::vector<std::string>> Run() {
    testing::internal::CaptureStdout();
    harness->sim.SteadyStateSimulation();
    stdoutText = testing::internal::GetCapturedStdout();
    harness->sim.FileCSV->flush();
    return Observations(ReadFile(csv.name()));
  }
  void TearDown() override {
    if (harness) {
      SimulatorClass& sim = harness->sim;
      sim.CloseAsciiFile(*sim.FileCSV);
      delete sim.FileCSV;
      sim.FileCSV = nullptr;
    }
    harness.reset();
    model.reset();
  }

  ScratchFile csv{".csv"};
  std::unique_ptr<ToyPVModel> model;
  std::unique_ptr<StepHarness> harness;
  std::string stdoutText;
};

TEST_F(SteadyStateDriver, EachVariableReportsItsOwnBatchesAndTheLimitCountsTheSlowest) {
  // Batches of 2 and of 1; the limit of 3 is reached when the slower variable has 3 batches
  // (time 6), by which time the faster one has 6. Rows of 3: the faster row fills first and is
  // sent on its own schedule.
  Build({CountTicks("two", 0.0, 2.0), CountTicks("one", 0.0, 1.0)});
  harness->sim.ReportSize = 3;
  harness->sim.MaxNumOfBatches = 3;
  auto obs = Run();
  ASSERT_EQ(obs[0].size(), 3u);
  ASSERT_EQ(obs[1].size(), 6u);
  // A steady clock: every full batch after the first sees the same number of firings.
  EXPECT_EQ(obs[0][1], obs[0][2]);
  EXPECT_EQ(obs[1][2], obs[1][3]);
  EXPECT_NE(obs[0][1], "0.0");
  EXPECT_EQ(harness->sim.SimControl, STOPHARD);
  EXPECT_EQ(harness->sim.BatchRuns, 0);
}

TEST_F(SteadyStateDriver, TheWarmUpIntervalYieldsNoObservation) {
  // Warm-up to 2, then batches of 2 ending at 4 and 6.
  Build({CountTicks("late", 2.0, 4.0)});
  harness->sim.ReportSize = 10;
  harness->sim.MaxNumOfBatches = 2;
  auto obs = Run();
  EXPECT_EQ(obs[0].size(), 2u);
}

TEST_F(SteadyStateDriver, AnAbsorbingStateEndsTheRunAndSendsWhatIsPending) {
  Build({CountTicks("one", 0.0, 1.0)}, 3);
  harness->sim.ReportSize = 10;
  auto obs = Run();
  const std::string message =
      "Simulator encountered an absorbing state and is unable to proceed.  Terminating run.\n";
  EXPECT_NE(stdoutText.find(message), std::string::npos) << stdoutText;
  EXPECT_EQ(harness->sim.SimControl, STOPHARD);
  EXPECT_GE(obs[0].size(), 2u);
  EXPECT_LE(obs[0].size(), 3u);
}

TEST_F(SteadyStateDriver, ANonPositiveBatchLengthIsAModelError) {
  Build({CountTicks("none", 0.0, 0.0)});
  EXPECT_EXIT(harness->sim.SteadyStateSimulation(), ::testing::ExitedWithCode(1),
              "steady-state performance variable none has a batch length of 0");
}

}  // namespace

// The steady-state driver on a clock model: one activity firing every time unit, variables that
// count its firings over batches of their own length.
#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "OutputTestSupport.h"
#include "ToyModels.h"
#include "support/ScriptedGenerator.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

using outtest::ReadFile;
using outtest::ScratchFile;

NodeDef CountTicks(const char* name, double start, double stop) {
  NodeDef nodeDef;
  nodeDef.Name = name;
  nodeDef.Type = steady_state;
  nodeDef.Starts = {start};
  nodeDef.Stops = {stop};
  nodeDef.Impulses = {{"tick", "StepTestSAN"}};
  return nodeDef;
}

// Observations per variable, read back from the ASCII file.
std::map<int, std::vector<double>> Observations(const std::string& csv) {
  std::map<int, std::vector<double>> out;
  std::istringstream in(csv);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const size_t comma = line.find(',');
    out[std::stoi(line.substr(0, comma))].push_back(std::stod(line.substr(comma + 1)));
  }
  return out;
}

using Values = std::vector<double>;

class SteadyStateDriver : public ::testing::Test {
 protected:
  // The clock fires first at delays[0], then delays[1] later, and so on; each delay is drawn as
  // twice a uniform of the scripted generator, so the script also counts the samples taken.
  // tokens < 0: the clock never stops; otherwise it fires that many times and the state absorbs.
  void Build(std::vector<NodeDef> defs, std::vector<double> delays, int tokens = -1) {
    std::vector<double> uniforms;
    for (double d : delays) uniforms.push_back(d / 2.0);
    gen = std::make_unique<ScriptedGenerator>(uniforms);
    install = std::make_unique<ScopedGenerator>(gen.get());
    auto* san =
        new StepTestSAN({{"p", static_cast<short>(tokens < 0 ? 1 : tokens)}}, {{"tick", Deterministic}});
    StepTestActivity* tick = san->activity(0);
    tick->delay = [] { return 2.0 * TheDistribution->RNG->rnd(); };
    if (tokens >= 0) {
      Place* p = san->place(0);
      tick->enabling = [p] { return p->Mark() > 0; };
      tick->effect = [p] { p->Mark()--; };
      san->reads(0, 0);
      san->affects(0, 0);
    }
    model = std::make_unique<ToyPVModel>(san, std::move(defs));
    // As the start-up does for a steady-state run: every variable here is a steady-state one.
    model->ConsiderOnly(nullptr, model->Number_Of_Performance_Variables);
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
  std::map<int, Values> Run() {
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
    install.reset();
  }

  ScratchFile csv{".csv"};
  std::unique_ptr<ScriptedGenerator> gen;
  std::unique_ptr<ScopedGenerator> install;
  std::unique_ptr<ToyPVModel> model;
  std::unique_ptr<StepHarness> harness;
  std::string stdoutText;
};

// A batch [a, b) closes when the next event is due at b or later, before that event fires, so a
// firing exactly at b belongs to the next batch; each observation counts the firings in its batch.
// Every batch that has ended by the next event closes then, and only after that is the limit on
// the number of batches tested.
//
// Delays 0.5 0.5 1.25 0.25 2.5 0.5 put the firings at 0.5, 1, 2.25, 2.5, 5, 5.5 (the sixth delay
// is drawn after the firing at 5 and never used). Batches of length 1 from 0:
//   [0,1): 0.5 -> 1   [1,2): 1 -> 1   [2,3): 2.25, 2.5 -> 2   [3,4): none -> 0   [4,5): none -> 0
// The last three close together when the event at 5 is next, which passes the limit of 4; the
// event at 5 still fires (one more step) and draws the sixth and last uniform.
TEST_F(SteadyStateDriver, EachBatchCountsTheFiringsInsideItExactly) {
  Build({CountTicks("one", 0.0, 1.0)}, {0.5, 0.5, 1.25, 0.25, 2.5, 0.5});
  harness->sim.ReportSize = 10;
  harness->sim.MaxNumOfBatches = 4;
  auto obs = Run();
  EXPECT_EQ(obs[0], (Values{1, 1, 2, 0, 0}));
  EXPECT_EQ(gen->draws(), 6u);
}

// The same clock at 1, 2, 3, ... (every delay 1). Variable "two" has batches of 2 and "one" of 1.
//   two: [0,2): 1 -> 1   [2,4): 2, 3 -> 2   [4,6): 4, 5 -> 2
//   one: [0,1): none -> 0, then [k,k+1): k -> 1 for k = 1..5
// The limit of 3 counts the slower variable: "two" closes its third batch when the event at 6 is
// next, and "one" has closed six by then. The firings at 1..6 take seven delays.
// Rows hold 3 observations: "one" fills its row first, and each full row is sent before the next
// observation is stored, so nothing is lost.
TEST_F(SteadyStateDriver, EachVariableReportsItsOwnBatchesAndTheLimitCountsTheSlowest) {
  Build({CountTicks("two", 0.0, 2.0), CountTicks("one", 0.0, 1.0)}, std::vector<double>(7, 1.0));
  harness->sim.ReportSize = 3;
  harness->sim.MaxNumOfBatches = 3;
  auto obs = Run();
  EXPECT_EQ(obs[0], (Values{1, 2, 2}));
  EXPECT_EQ(obs[1], (Values{0, 1, 1, 1, 1, 1}));
  EXPECT_EQ(gen->draws(), 7u);
  EXPECT_EQ(harness->sim.BatchRuns, 0);
}

// Warm-up to 2, then batches of 2: [2,4) and [4,6) each hold two firings of the clock at 1, 2, ...
// The firing at 1 falls in the warm-up and is in no observation.
TEST_F(SteadyStateDriver, TheWarmUpIntervalYieldsNoObservation) {
  Build({CountTicks("late", 2.0, 4.0)}, std::vector<double>(7, 1.0));
  harness->sim.ReportSize = 10;
  harness->sim.MaxNumOfBatches = 2;
  auto obs = Run();
  EXPECT_EQ(obs[0], (Values{2, 2}));
}

// Three tokens: the clock fires at 1, 2 and 3, and then nothing is enabled. Batches [0,1), [1,2)
// and [2,3) close before the firings at 1, 2 and 3; the batch [3,4) holding the last firing never
// ends and is not reported. Three delays are drawn (at the start and after the first two
// firings); the third firing disables the clock.
TEST_F(SteadyStateDriver, AnAbsorbingStateEndsTheRunAndSendsWhatIsPending) {
  Build({CountTicks("one", 0.0, 1.0)}, {1.0, 1.0, 1.0}, 3);
  harness->sim.ReportSize = 10;
  auto obs = Run();
  const std::string message =
      "Simulator encountered an absorbing state and is unable to proceed.  Terminating run.\n";
  EXPECT_NE(stdoutText.find(message), std::string::npos) << stdoutText;
  EXPECT_EQ(obs[0], (Values{0, 1, 1}));
  EXPECT_EQ(gen->draws(), 3u);
}

TEST_F(SteadyStateDriver, ANonPositiveBatchLengthIsAModelError) {
  Build({CountTicks("none", 0.0, 0.0)}, {});
  EXPECT_EXIT(harness->sim.SteadyStateSimulation(), ::testing::ExitedWithCode(1),
              "steady-state performance variable none has a batch length of 0");
}

}  // namespace

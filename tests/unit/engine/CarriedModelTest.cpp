// One replication of the carried model: four firings at time 0 (the dispatcher three times, then
// the compute group's second case), and the text trace of it.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "Reward/GPU_REWARD/GPU_REWARDPVModel.h"
#include "Trace/TraceFileContainer.h"
#include "Trace/TraceFileKavrin.h"
#include "tests/models/steptest/StepHarness.h"

namespace {

struct CarriedRun {
  explicit CarriedRun(int level) : pv(true), h(&pv), writer(&out) {
    TraceFileContainer* trace = h.sim.trace;
    trace->setTraceLevel(level);
    writer.setTraceLevel(level);
    trace->AddTraceFile(&writer);
    trace->addPVModel(&pv);
    h.sim.GenerateInitialEnabledList();
    trace->newBatch();
    trace->printInitialState();
    out.str("");  // keep the firings only
    EXPECT_TRUE(h.startReplication());
    times.push_back(h.sim.CurrentTime);
    while (h.sim.SimStep(EventAtInfinity::IsNext)) {
      times.push_back(h.sim.CurrentTime);
      if (level > 2) trace->printState();
    }
    trout = &std::cout;
  }
  std::vector<std::string> lines() const {
    std::vector<std::string> result;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
  }

  GPU_REWARDPVModel pv;
  StepHarness h;
  std::ostringstream out;
  TraceFileKavrin writer;
  std::vector<double> times;
};

}  // namespace

TEST(CarriedModel, OneReplicationFiresFourActionsAtTimeZero) {
  CarriedRun run(1);
  EXPECT_EQ(run.h.sim._fireActionCount, 4);
  EXPECT_EQ(run.h.sim.NextEvent, nullptr);
  EXPECT_EQ(run.times, (std::vector<double>{0, 0, 0, 0}));
  const std::string id = std::to_string(run.pv.TheModel->getId());
  const std::string dispatcherFiring =
      "#### Firing: 0  Action: (" + id + ")GPU_MODEL_ATOMIC_COMPOSITION->DISPATCHER";
  const std::string dispatcherAfter = "#### After: (" + id + ")DISPATCHER->DISPATCHER";
  EXPECT_EQ(run.lines(), (std::vector<std::string>{dispatcherFiring, dispatcherAfter, dispatcherFiring,
                                                   dispatcherAfter, dispatcherFiring, dispatcherAfter,
                                                   "#### Firing: 0  Action: (" + id +
                                                       ")GPU_MODEL_ATOMIC_COMPOSITION->COMPUTE_case1",
                                                   "#### After: (" + id + ")COMPUTEGroup->COMPUTE_case2"}));
}

TEST(CarriedModel, HigherLevelsShowVariablesAndFullStates) {
  CarriedRun level2(2);
  std::vector<std::string> lines = level2.lines();
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], "Enabling state before action firing:");
  int affected = 0;
  for (const std::string& line : lines) affected += line == "Affected state after firing: ";
  EXPECT_EQ(affected, 4);
  // The last firing (COMPUTE_case2) leaves a token in RESULT_KO.
  EXPECT_EQ(lines.back(), "  RESULT_KO = 1");

  CarriedRun level3(3);
  int states = 0;
  for (const std::string& line : level3.lines()) states += line == "Model State:";
  EXPECT_EQ(states, 3);  // after each step that leaves an event; the fourth ends the replication
}

// Which kinds of run the manager plans from the description's kinds and the simulator options.
#include <gtest/gtest.h>

#include "RunKinds.h"

using namespace simmgr;

namespace {

PVDescription Kinds(const std::string& text) {
  PVDescription pv;
  std::string error;
  EXPECT_TRUE(pv.ParseKindText(text, error)) << error;
  return pv;
}

Options WithArgs(std::vector<std::string> args) {
  Options o;
  o.simulatorArgs = std::move(args);
  return o;
}

}  // namespace

TEST(RunKinds, WithoutTheOptionEveryKindTheModelHasRunsTerminatingFirst) {
  const PVDescription mixed = Kinds("0 queue steady_state\n1 arrivals terminating\n"),
                      steady = Kinds("0 machines_down steady_state\n"), none;
  std::vector<bool> kinds;
  std::string error;
  ASSERT_TRUE(PlanRunKinds(WithArgs({"-r", "1"}), mixed, kinds, error));
  EXPECT_EQ(kinds, (std::vector<bool>{true, false}));
  ASSERT_TRUE(PlanRunKinds(WithArgs({}), steady, kinds, error));
  EXPECT_EQ(kinds, std::vector<bool>{false});
  ASSERT_TRUE(PlanRunKinds(WithArgs({}), none, kinds, error));  // nothing known: terminating, as ever
  EXPECT_EQ(kinds, std::vector<bool>{true});
}

TEST(RunKinds, AnExplicitKindHoldsAndOneTheModelLacksIsRefusedWithWhatToDo) {
  const PVDescription steady = Kinds("0 machines_down steady_state\n1 backlog steady_state\n"),
                      terminating = Kinds("0 token_game terminating\n"), none;
  std::vector<bool> kinds;
  std::string error;
  ASSERT_TRUE(PlanRunKinds(WithArgs({"-t0"}), steady, kinds, error));
  EXPECT_EQ(kinds, std::vector<bool>{false});
  ASSERT_TRUE(PlanRunKinds(WithArgs({"-t", "0"}), none, kinds, error));
  EXPECT_EQ(kinds, std::vector<bool>{false});
  EXPECT_FALSE(PlanRunKinds(WithArgs({"-t", "1"}), steady, kinds, error));
  EXPECT_EQ(
      error,
      "the model has no terminating variable, so a run with -t 1 observes nothing; its variables are steady "
      "state (machines_down, backlog): give -t 0, or leave -t out to run every kind the model has");
  EXPECT_FALSE(PlanRunKinds(WithArgs({"-t", "0"}), terminating, kinds, error));
  EXPECT_NE(error.find("no steady-state variable"), std::string::npos);
  EXPECT_NE(error.find("terminating (token_game): give -t 1"), std::string::npos) << error;
}

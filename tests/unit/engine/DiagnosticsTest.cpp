// The "** " diagnostics of the start of a replication, of one firing and of the state image, with
// the level raised as a debugging session would raise it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "BaseClasses/debug.h"
#include "Random/Distributions.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

// Raises the process-wide level for one test and puts it back.
class DebugLevel {
 public:
  explicit DebugLevel(int level) : saved_(GlobalDebugLevel) { GlobalDebugLevel = level; }
  ~DebugLevel() { GlobalDebugLevel = saved_; }

 private:
  int saved_;
};

}  // namespace

// One activity A, enabled while P holds a token, takes it away after a delay of 1. At level 4
// every threshold below 4 speaks: the initial list names the one enabled group (threshold 3, two
// lines), scheduling says nothing, and the firing passes the reward model's accumulation and
// firing (threshold 3) and then the walk of the connectivity list (threshold 0). A is then
// disabled: nothing more is scheduled and the step ends the replication.
TEST(Diagnostics, RaisedLevelShowsTheStartAndOneFiringInOrder) {
  auto* san = new StepTestSAN({{"P", 1}}, {{"A", Deterministic}});
  StepTestActivity* a = san->activity(0);
  a->enabling = [san] { return san->mark(0) > 0; };
  a->delay = [] { return 1.0; };
  a->effect = [san] { san->mark(0)--; };
  san->affects(0, 0);
  san->reads(0, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);

  DebugLevel level(4);
  testing::internal::CaptureStdout();
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::IsNext));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "** Current Action Enabled\n"
            "** End if\n"
            "** PVModel::Accumulate(double)\n"
            "** PV Model firing action\n"
            "** Starting to look at the other actions that are affected by the firing\n");
}

// The same run at the default level is silent.
TEST(Diagnostics, DefaultLevelIsSilent) {
  auto* san = new StepTestSAN({{"P", 1}}, {{"A", Deterministic}});
  san->activity(0)->delay = [] { return 1.0; };
  StepTestPV pv(san);
  StepHarness h(&pv);
  testing::internal::CaptureStdout();
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  h.sim.SimStep(EventAtInfinity::IsNext);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// While the copy helpers' diagnostics (threshold 2) are on, the model saves its image through
// each variable, so each place's copy is shown: one line per place. Below that the
// precomputed plan copies the same bytes silently.
TEST(Diagnostics, StateImageShowsEachCopyOnlyWhileTheHelpersSpeak) {
  auto* san = new StepTestSAN({{"P", 7}, {"Q", -2}}, {{"A", Deterministic}});
  StepTestPV pv(san);
  short image[2] = {0, 0};
  {
    DebugLevel level(3);
    testing::internal::CaptureStdout();
    san->CurrentState(image);
    // Only the regular expressions every platform's GoogleTest understands (no brackets).
    EXPECT_THAT(testing::internal::GetCapturedStdout(),
                testing::MatchesRegex("\\*\\* Writing value to location = 0x\\w+\n"
                                      "\\*\\* Writing value to location = 0x\\w+\n"));
  }
  EXPECT_EQ(image[0], 7);
  EXPECT_EQ(image[1], -2);

  short quiet[2] = {0, 0};
  DebugLevel level(2);
  testing::internal::CaptureStdout();
  san->CurrentState(quiet);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(quiet[0], 7);
  EXPECT_EQ(quiet[1], -2);
}

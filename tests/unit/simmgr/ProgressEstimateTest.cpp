// What a progress line says about the time left. Values 1..5 repeated k times have mean 3 and
// sample variance 2 (5k)/(5k - 1); with k = 20 (n = 100) the half-width is
// t(0.975, 99) sqrt(2 * 100 / 99 / 100) = 1.984217 * 0.142134 = 0.282025, relative 0.0940084.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "ProgressEstimate.h"

using namespace simmgr;

namespace {

constexpr double kRelative = 1.9842169515 * 0.14213381090374028 / 3.0;  // n = 100, as above

VariableResult Repeated(const std::string& name, int times) {
  VariableResult v;
  v.name = name;
  for (int k = 0; k < times; ++k)
    for (double x : {1, 2, 3, 4, 5}) AddObservation(v, 0, x);
  return v;
}

Options Wanted(double precision, uint64_t minObs = 30) {
  Options o;
  o.precision = precision;
  o.minObs = minObs;
  return o;
}

}  // namespace

TEST(ProgressEstimate, TimeLeftFollowsTheHalfWidthsOneOverRootNDecline) {
  const std::map<int, VariableResult> vars{{0, Repeated("queue", 20)}};
  // Wanted 0.05: n (r / 0.05)^2 = 100 * 3.5351 = 353.5 observations, 253.5 more at 10 per second.
  ProgressEstimate e = EstimateProgress(vars, Wanted(0.05), 10.0);
  ASSERT_TRUE(e.timeKnown && e.worstKnown);
  EXPECT_NEAR(e.worst, kRelative, 1e-6);
  EXPECT_EQ(e.worstName, "queue");
  const double needed = 100 * (kRelative / 0.05) * (kRelative / 0.05);
  EXPECT_NEAR(e.secondsLeft, (needed - 100) / 10.0, 1e-3);
  EXPECT_EQ(ProgressText(e, Wanted(0.05)), "worst rel.hw 0.094 (queue) of 0.05, about 26 s left");

  // Precise already but short of --min-obs 500: 400 more at 10 per second.
  EXPECT_NEAR(EstimateProgress(vars, Wanted(0.1, 500), 10.0).secondsLeft, 40.0, 1e-9);
  // --max-obs 150 comes first: 50 more; a time limit of 12 s sooner still.
  Options capped = Wanted(0.05);
  capped.maxObs = 150;
  EXPECT_NEAR(EstimateProgress(vars, capped, 10.0).secondsLeft, 5.0, 1e-9);
  capped.timeLimit = 12.0;
  EXPECT_NEAR(EstimateProgress(vars, capped, 10.0).secondsLeft, 2.0, 1e-9);
  // The slowest variable decides: with 20 observations its interval is the widest.
  std::map<int, VariableResult> two = vars;
  two.emplace(1, Repeated("served", 4));  // n = 20: its own needs dominate
  const ProgressEstimate both = EstimateProgress(two, Wanted(0.05), 10.0);
  EXPECT_EQ(both.worstName, "served");
  EXPECT_GT(both.secondsLeft, e.secondsLeft);
  // Long waits read in minutes and hours.
  ProgressEstimate soon = e;
  soon.secondsLeft = 0.0;  // precise, waiting for the checkpoint that confirms it
  EXPECT_EQ(ProgressText(soon, Wanted(0.05)), "worst rel.hw 0.094 (queue) of 0.05, less than 1 s left");
  ProgressEstimate slow = e;
  slow.secondsLeft = 5400;
  EXPECT_EQ(ProgressText(slow, Wanted(0.05)), "worst rel.hw 0.094 (queue) of 0.05, about 1.5 h left");
}

TEST(ProgressEstimate, SaysWhyWhenItCannotEstimate) {
  EXPECT_EQ(ProgressText(EstimateProgress({}, Wanted(0.1), 1.0), Wanted(0.1)),
            "worst rel.hw - of 0.1, time left not known yet: no observations yet");
  std::map<int, VariableResult> one{{0, Repeated("queue", 20)}};
  VariableResult single;
  single.name = "served";
  AddObservation(single, 0, 2.0);
  one.emplace(1, single);
  const ProgressEstimate e = EstimateProgress(one, Wanted(0.1), 1.0);
  EXPECT_FALSE(e.timeKnown);
  EXPECT_TRUE(e.worstKnown);  // the variable with an interval still shows its width
  EXPECT_EQ(e.unknownWhy, "fewer than 2 observations");

  // A precision of 0 is never reached by a variable that varies, and nothing else stops the run.
  const std::map<int, VariableResult> vars{{0, Repeated("queue", 20)}};
  EXPECT_EQ(EstimateProgress(vars, Wanted(0.0), 1.0).unknownWhy,
            "the precision is never reached and no limit is set");

  // A flagged variable cannot become precise: it holds nothing back, and alone it leaves nothing to estimate.
  std::map<int, VariableResult> flagged{{0, Repeated("queue", 20)}};
  AddObservation(flagged[0], 0, std::nan(""));
  EXPECT_EQ(EstimateProgress(flagged, Wanted(0.1), 1.0).unknownWhy, "every variable is flagged");
}

// When an experiment stops. Intervals are worked out by hand: the values 1..5 have mean 3 and
// sample variance 2.5, so the half-width is t(0.975, 4) sqrt(2.5 / 5) = 2.776445 * 0.707107
// = 1.963243 and the relative half-width 1.963243 / 3 = 0.654414.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "StoppingRule.h"

using namespace simmgr;

namespace {

VariableResult Terminating(int index, std::initializer_list<double> values) {
  VariableResult v;
  v.index = index;
  for (double x : values) AddObservation(v, 0, x);
  return v;
}

VariableResult OneToFive(int index) { return Terminating(index, {1, 2, 3, 4, 5}); }

Options Rule(double precision, uint64_t minObs = 5) {
  Options o;
  o.precision = precision;
  o.minObs = minObs;
  return o;
}

const RunFacts kGoingOn{false, 1.0, true};

}  // namespace

TEST(StoppingRule, PrecisionCountsOnlyWithEnoughObservationsAndANarrowEnoughInterval) {
  std::map<int, VariableResult> vars{{0, OneToFive(0)}};
  EXPECT_EQ(StopReason(vars, Rule(0.66), kGoingOn), "precision reached");  // 0.654414 <= 0.66
  EXPECT_EQ(StopReason(vars, Rule(0.65), kGoingOn), "");                   // 0.654414 > 0.65
  EXPECT_EQ(StopReason(vars, Rule(0.66, 6), kGoingOn), "");                // 5 observations < 6
  // Every variable must be precise: a second one with mean 3 and variance 0.005 (2.9, 3.1 around
  // 3) is narrow, but a third with only one observation holds the stop back.
  vars.emplace(1, Terminating(1, {2.9, 3.1, 3.0, 3.0, 3.0}));
  EXPECT_EQ(StopReason(vars, Rule(0.66), kGoingOn), "precision reached");
  vars.emplace(2, Terminating(2, {7}));
  EXPECT_EQ(StopReason(vars, Rule(0.66, 1), kGoingOn), "");
}

TEST(StoppingRule, AFlaggedVariableNeverHoldsTheOthersBack) {
  std::map<int, VariableResult> vars{{0, OneToFive(0)},
                                     {1, Terminating(1, {std::numeric_limits<double>::quiet_NaN(), 1.0})}};
  EXPECT_EQ(vars[1].nonFinite, 1u);
  // Not "precision reached": that is said only when every variable reached it.
  EXPECT_EQ(StopReason(vars, Rule(0.66), kGoingOn), "other variables precise");
  Options cap = Rule(0.01);
  cap.maxObs = 5;  // pv1 has a single finite observation, yet the cap is reached
  EXPECT_EQ(StopReason(vars, cap, kGoingOn), "max-obs reached");
  vars.erase(0);
  EXPECT_EQ(StopReason(vars, Rule(0.66), kGoingOn), "every variable received non-finite observations");
}

TEST(StoppingRule, TheCapNeedsEveryVariableAtIt) {
  std::map<int, VariableResult> vars{{0, OneToFive(0)}, {1, Terminating(1, {1, 2, 3, 4})}};
  Options o = Rule(0.01);
  o.maxObs = 5;
  EXPECT_EQ(StopReason(vars, o, kGoingOn), "");
  AddObservation(vars[1], 0, 5);
  EXPECT_EQ(StopReason(vars, o, kGoingOn), "max-obs reached");
  o.maxObs = 0;  // no cap
  EXPECT_EQ(StopReason(vars, o, kGoingOn), "");
}

TEST(StoppingRule, TheFirstReasonThatHoldsWinsInAFixedOrder) {
  const std::map<int, VariableResult> none, precise{{0, OneToFive(0)}};
  Options o = Rule(0.66);
  o.maxObs = 5;
  o.timeLimit = 10;
  const RunFacts late{false, 10.0, false};
  EXPECT_EQ(StopReason(precise, o, RunFacts{true, 10.0, false}), "interrupted");
  EXPECT_EQ(StopReason(precise, o, late), "precision reached");
  EXPECT_EQ(StopReason(precise, Rule(0.01), late), "all simulators ended");
  o.precision = 0.01;
  EXPECT_EQ(StopReason(precise, o, late), "max-obs reached");
  o.maxObs = 6;
  EXPECT_EQ(StopReason(precise, o, late), "time limit");
  EXPECT_EQ(StopReason(precise, o, RunFacts{false, 9.99, false}), "all simulators ended");
  EXPECT_EQ(StopReason(precise, o, RunFacts{false, 9.99, true}), "");
  o.timeLimit = 0;  // no limit
  EXPECT_EQ(StopReason(precise, o, RunFacts{false, 1e9, true}), "");
  // Without variables neither precision nor the cap can hold; the run waits for its simulators.
  EXPECT_EQ(StopReason(none, Rule(0.66), kGoingOn), "");
  EXPECT_EQ(StopReason(none, Rule(0.66), RunFacts{false, 1.0, false}), "all simulators ended");
}

TEST(StoppingRule, ASteadyStateVariableAlsoNeedsItsBatchesToPassTheTests) {
  VariableResult v = OneToFive(0);
  v.steadyState = true;
  v.batch.enoughBatches = v.batch.independent = v.batch.normal = true;
  v.batch.mean = 3.0;
  v.batch.halfWidth = 0.15;
  v.batch.relative = 0.05;
  std::map<int, VariableResult> vars{{0, v}};
  EXPECT_EQ(StopReason(vars, Rule(0.1), kGoingOn), "precision reached");
  EXPECT_EQ(StopReason(vars, Rule(0.04), kGoingOn), "");
  for (bool stats::BatchMeansResult::*test :
       {&stats::BatchMeansResult::enoughBatches, &stats::BatchMeansResult::independent,
        &stats::BatchMeansResult::normal}) {
    std::map<int, VariableResult> failing{{0, v}};
    failing[0].batch.*test = false;
    EXPECT_EQ(StopReason(failing, Rule(0.1), kGoingOn), "");
  }
}

TEST(StoppingRule, CheckpointsComeAReportApartThenAQuarterApart) {
  // k + max(step, floor(k / 4)). Step 1: 8 + 2, 10 + 2, 12 + 3, 15 + 3, 18 + 4, 22 + 5, 27 + 6.
  std::vector<uint64_t> ks{1};
  while (ks.size() < 15) ks.push_back(NextCheckpoint(ks.back(), 1));
  EXPECT_EQ(ks, (std::vector<uint64_t>{1, 2, 3, 4, 5, 6, 7, 8, 10, 12, 15, 18, 22, 27, 33}));
  // Step 100: a report apart up to 400 (a quarter of 400 is 100), then 500 + 125, 625 + 156.
  ks = {100};
  while (ks.size() < 7) ks.push_back(NextCheckpoint(ks.back(), 100));
  EXPECT_EQ(ks, (std::vector<uint64_t>{100, 200, 300, 400, 500, 625, 781}));
  EXPECT_EQ(NextCheckpoint(1000000, 100), 1250000u);
  EXPECT_EQ(NextCheckpoint(5, 0), 6u);  // never standing still
}

TEST(StoppingRule, TheVerdictNamesEveryVariableNotToBeTrustedAndOnlyThose) {
  VariableResult wide = OneToFive(0), correlated = OneToFive(1),
                 flagged = Terminating(2, {1, 2, 3, 4, 5, NAN});
  wide.name = "wide";
  correlated.name = "queue";
  correlated.steadyState = true;
  correlated.batch.enoughBatches = correlated.batch.normal = true;  // independent stays false
  flagged.name = "broken";
  std::map<int, VariableResult> vars{{0, wide}, {1, correlated}, {2, flagged}};
  const Options o = Rule(0.01);
  EXPECT_FALSE(Untrusted(wide, o));  // only wider than asked: the cause says the run stopped short
  EXPECT_TRUE(Untrusted(correlated, o));
  EXPECT_TRUE(Untrusted(flagged, o));
  EXPECT_EQ(StopVerdict("max-obs reached", vars, o),
            "max-obs reached; queue unreliable: batches correlated; broken flagged: non-finite observations");
  // Too few observations for --min-obs is a reason not to trust the interval too.
  EXPECT_EQ(StopVerdict("time limit", {{0, wide}}, Rule(0.01, 6)),
            "time limit; wide unreliable: too few observations");
  EXPECT_EQ(StopVerdict("precision reached", {{0, wide}}, Rule(0.66)), "precision reached");
}

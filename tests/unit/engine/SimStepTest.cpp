// The firing step on small models: what keeps, loses, moves or gets a new event after a firing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "BaseClasses/DistributionDefinition.h"
#include "Random/Distributions.h"
#include "Random/UserDistributions.h"
#include "Simulator/ActionAffectsElement.h"
#include "support/ScriptedGenerator.h"
#include "tests/models/steptest/StepHarness.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

// Delays taken from a list, one per call.
std::function<double()> delays(std::vector<double> values) {
  auto next = std::make_shared<size_t>(0);
  return [values, next] { return values.at((*next)++); };
}

struct Places {
  std::vector<std::pair<std::string, short> > list;
};

}  // namespace

// Two timed activities: Fast (delays 2, 2, ...) changes P, which Slow reads but stays enabled by.
// Slow keeps its completion time 5 while Fast fires at 2 and 4; each firing of Fast draws anew.
TEST(SimStep, TimedActivityThatStaysEnabledKeepsItsCompletionTime) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"Slow", Exponential}, {"Fast", Exponential}});
  StepTestActivity* slow = san->activity(0);
  StepTestActivity* fast = san->activity(1);
  std::vector<std::string> fired;
  slow->enabling = [san] { return san->mark(0) >= 0; };
  slow->delay = delays({5.0, 100.0});
  slow->effect = [&] { fired.push_back("Slow"); };
  fast->delay = delays({2.0, 2.0, 2.0});
  fast->effect = [&, san] {
    san->mark(0)++;
    fired.push_back("Fast");
  };
  san->affects(1, 0);
  san->reads(0, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  EXPECT_EQ(h.sim.CurrentTime, 2.0);
  ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));
  EXPECT_EQ(h.scheduledTime(slow), 5.0);
  EXPECT_EQ(h.scheduledTime(fast), 4.0);  // rescheduled at now + a new sample
  ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));
  ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));
  EXPECT_EQ(fired, (std::vector<std::string>{"Fast", "Fast", "Slow"}));
  EXPECT_EQ(slow->sampleCalls, 2);  // the first sample, then the one after its own firing
  EXPECT_EQ(fast->sampleCalls, 3);
  EXPECT_EQ(h.sim._fireActionCount, 3);
}

// Fast empties P, which Slow needs: Slow's event is cancelled and it never fires.
TEST(SimStep, DisabledActivityLosesItsEvent) {
  auto* san = new StepTestSAN({{"P", 1}}, {{"Slow", Deterministic}, {"Fast", Deterministic}});
  StepTestActivity* slow = san->activity(0);
  StepTestActivity* fast = san->activity(1);
  slow->enabling = [san] { return san->mark(0) > 0; };
  slow->delay = [] { return 5.0; };
  fast->enabling = [san] { return san->mark(0) > 0; };
  fast->delay = [] { return 2.0; };
  fast->effect = [san] { san->mark(0) = 0; };
  san->affects(1, 0);
  san->reads(0, 0);
  san->reads(1, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  EXPECT_EQ(h.sim.CurrAction, fast);
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::IsNext));  // nothing is left: an absorbing state
  EXPECT_EQ(h.sim.NextEvent, nullptr);
  EXPECT_LT(h.scheduledTime(slow), 0.0);
  EXPECT_EQ(h.sim.TheEventList->getSize(), 0);
  EXPECT_EQ(h.sim._fireActionCount, 1);
}

// Watched activity W (delays 10, then 4) is reactivated when T puts a token in P at time 1.
// W is not on T's connectivity list, so only the reactivation check moves it: to 1 + 4 = 5,
// and it goes back on the list because its predicate still holds.
TEST(SimStep, ReactivationMovesTheEventAndKeepsWatching) {
  auto* san = new StepTestSAN({{"P", 0}, {"Q", 0}}, {{"W", Exponential}, {"T", Deterministic}});
  StepTestActivity* w = san->activity(0);
  StepTestActivity* t = san->activity(1);
  w->delay = delays({10.0, 4.0});
  w->watch = [] { return true; };
  w->reactivate = [san] { return san->mark(0) == 1; };
  w->effect = [san] { san->mark(1)++; };
  w->enabling = [san] { return san->mark(1) == 0; };
  t->enabling = [san] { return san->mark(0) == 0; };
  t->delay = [] { return 1.0; };
  t->effect = [san] { san->mark(0) = 1; };
  san->affects(1, 0);
  san->reads(1, 0);
  san->affects(0, 1);
  san->reads(0, 1);
  StepTestPV pv(san);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  EXPECT_TRUE(h.onReactivationList(w));
  EXPECT_TRUE(w->Reactivation);
  EXPECT_FALSE(h.onReactivationList(t));
  ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));  // T fires at 1
  EXPECT_EQ(h.scheduledTime(w), 5.0);
  EXPECT_EQ(h.sim.CurrentTime, 5.0);
  EXPECT_TRUE(h.onReactivationList(w));
  EXPECT_TRUE(w->Reactivation);
  EXPECT_FALSE(w->EventPointer->isReactNull());
  EXPECT_EQ(*w->EventPointer->getReact(), w);
  EXPECT_EQ(w->sampleCalls, 2);
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::IsNext));  // W fires at 5 and disables itself
  EXPECT_TRUE(h.sim.TheReactivationList.empty());
  EXPECT_FALSE(w->Reactivation);
  EXPECT_TRUE(w->EventPointer->isReactNull());
}

// The same, but W also reads P, so it is on T's connectivity list: the reactivation check
// resamples it (4), then the list walk cancels that event and schedules it once more (7).
// Both draws are made: the random stream depends on them.
TEST(SimStep, ReactivatedGroupOnTheFiredListIsSampledTwice) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"W", Exponential}, {"T", Deterministic}});
  StepTestActivity* w = san->activity(0);
  StepTestActivity* t = san->activity(1);
  w->delay = delays({10.0, 4.0, 7.0});
  w->watch = [] { return true; };
  w->reactivate = [san] { return san->mark(0) == 1; };
  t->enabling = [san] { return san->mark(0) == 0; };
  t->delay = [] { return 1.0; };
  t->effect = [san] { san->mark(0) = 1; };
  san->affects(1, 0);
  san->reads(1, 0);
  san->reads(0, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));
  EXPECT_EQ(w->sampleCalls, 3);
  EXPECT_EQ(h.scheduledTime(w), 8.0);
  EXPECT_TRUE(h.onReactivationList(w));
  EXPECT_EQ(h.sim.TheReactivationList.size(), 1u);
}

// Two instantaneous activities share one token: rank 2 goes first without a random draw, and
// its firing removes the rank-1 event, which never fires.
TEST(SimStep, HigherRankFiresFirstAmongInstantaneousActivities) {
  auto* san = new StepTestSAN({{"P", 1}}, {{"Low", Instantaneous}, {"High", Instantaneous}});
  StepTestActivity* low = san->activity(0);
  StepTestActivity* high = san->activity(1);
  std::vector<std::string> fired;
  for (StepTestActivity* a : {low, high}) {
    a->enabling = [san] { return san->mark(0) > 0; };
    a->effect = [&fired, a, san] {
      san->mark(0)--;
      fired.push_back(a->getName());
    };
    san->affects(a == low ? 0 : 1, 0);
    san->reads(a == low ? 0 : 1, 0);
  }
  low->rank = 1;
  high->rank = 2;
  StepTestPV pv(san);
  ScriptedGenerator gen;  // any draw fails the test
  ScopedGenerator install(&gen);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_EQ(h.sim.NumInitiallyEnabled, 2);
  ASSERT_TRUE(h.startReplication());
  EXPECT_EQ(h.sim.CurrAction, high);
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::IsNext));
  EXPECT_EQ(fired, (std::vector<std::string>{"High"}));
  EXPECT_EQ(gen.draws(), 0u);
}

// The harness assembles the engine as start-up does: the lists sit compacted in one block. Fast
// changes P, which enables Slow: Slow's list holds Slow's group; Fast's list gets Fast's group,
// then Slow's pushed in front of it. Three cells, each list followed by its end cell.
TEST(SimStep, RunsOnTheCompactedListsOfTheProgram) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"Slow", Exponential}, {"Fast", Exponential}});
  san->affects(1, 0);
  san->reads(0, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);
  ASSERT_EQ(h.sim.AffectsBlockSize, 5);
  const ActionAffectsElement* block = h.sim.AffectsBlock;
  EXPECT_EQ(san->activity(0)->Affects, block);
  EXPECT_EQ(block[0].Action, san->activity(0));
  EXPECT_EQ(block[0].next(), nullptr);
  EXPECT_EQ(block[1].Action, nullptr);
  EXPECT_EQ(san->activity(1)->Affects, block + 2);
  EXPECT_EQ(block[2].Action, san->activity(0));
  EXPECT_EQ(block[2].next(), block + 3);
  EXPECT_EQ(block[3].Action, san->activity(1));
  EXPECT_EQ(block[3].next(), nullptr);
  EXPECT_EQ(block[4].Action, nullptr);
}

// Only enabled groups are kept, in group order; replications start again from the same list.
TEST(SimStep, InitialEnabledListKeepsEnabledGroupsInOrder) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"A", Deterministic},
                                           {"B", Deterministic},
                                           {"C", Deterministic},
                                           {"D", Deterministic},
                                           {"E", Deterministic}});
  for (int i = 0; i < 5; i++) san->activity(i)->enabling = [] { return false; };
  san->activity(3)->enabling = [] { return true; };
  san->activity(3)->delay = [] { return 1.5; };
  StepTestPV pv(san);
  StepHarness h(&pv);

  h.sim.GenerateInitialEnabledList();
  ASSERT_EQ(h.sim.NumInitiallyEnabled, 1);
  EXPECT_EQ(h.sim.InitiallyEnabled[0], san->activity(3));
  for (int rep = 0; rep < 2; rep++) {
    ASSERT_TRUE(h.startReplication());
    EXPECT_EQ(h.sim.CurrentTime, 1.5);
    EXPECT_EQ(h.sim.TheEventList->getSize(), 1);
  }
}

TEST(SimStep, AllEnabledKeepsOneSlotPerGroup) {
  auto* san = new StepTestSAN({}, {{"A", Deterministic}, {"B", Deterministic}});
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  ASSERT_EQ(h.sim.NumInitiallyEnabled, 2);
  EXPECT_EQ(h.sim.InitiallyEnabled[0], san->activity(0));
  EXPECT_EQ(h.sim.InitiallyEnabled[1], san->activity(1));
}

// A replication must start from the state the initial list was built in.
TEST(SimStepDeathTest, InitiallyEnabledGroupThatIsNotEnabledIsAnInternalError) {
  auto* san = new StepTestSAN({{"P", 1}}, {{"A", Deterministic}});
  san->activity(0)->enabling = [san] { return san->mark(0) > 0; };
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  san->mark(0) = 0;
  EXPECT_DEATH(h.sim.GenerateCompleteEventList(), "!! Assertion failed in file SimStep, line 134");
}

TEST(SimStepDeathTest, InvalidDistributionParameterEndsTheRun) {
  auto* san = new StepTestSAN({}, {{"Broken", Exponential}});
  san->activity(0)->delay = [] { return TheDistribution->Exponential(-1.0); };
  StepTestPV pv(san);
  // The parameter check comes before any draw; the installed generator is left alone so that
  // the exit does not tear down a borrowed one.
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  EXPECT_EXIT(h.startReplication(), ::testing::ExitedWithCode(1), "FATAL ERROR: In action Broken,");
}

// Without an event there is nothing to fire: the step reports the absorbing state at once.
TEST(SimStepSS, ModelThatEnablesNothingStopsAtOnce) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"A", Exponential}, {"B", Exponential}});
  for (int i = 0; i < 2; i++) san->activity(i)->enabling = [san] { return san->mark(0) > 0; };
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  EXPECT_FALSE(h.startSteadyState());
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::Absorbs));
  EXPECT_EQ(h.sim._fireActionCount, 0);
  // Initial scheduling asks each group once; a disabled group is skipped.
  EXPECT_EQ(san->activity(0)->enabledCalls, 2);  // GenerateInitialEnabledList, then the SS list
  EXPECT_FALSE(san->activity(0)->NewEnabled);
  EXPECT_EQ(san->activity(0)->sampleCalls, 0);
}

TEST(SimStepSS, RunsTheSameTrajectoryAsTheTerminatingStep) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"Tick", Deterministic}, {"Stop", Deterministic}});
  StepTestActivity* tick = san->activity(0);
  StepTestActivity* stop = san->activity(1);
  tick->enabling = [san] { return san->mark(0) < 3; };
  tick->delay = [] { return 0.5; };
  tick->effect = [san] { san->mark(0)++; };
  stop->enabling = [san] { return san->mark(0) == 3; };
  stop->delay = [] { return 10.0; };
  stop->effect = [san] { san->mark(0) = 100; };
  san->affects(0, 0);
  san->affects(1, 0);
  san->reads(0, 0);
  san->reads(1, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startSteadyState());
  std::vector<double> times{h.sim.CurrentTime};
  while (h.sim.SimStep(EventAtInfinity::Absorbs)) times.push_back(h.sim.CurrentTime);
  EXPECT_EQ(times, (std::vector<double>{0.5, 1.0, 1.5, 11.5}));
  EXPECT_EQ(h.sim._fireActionCount, 4);
  EXPECT_EQ(san->mark(0), 100);
}

// An event that never completes would close batches for ever: treated as an absorbing state.
TEST(SimStepSS, EventAtInfinityIsAnAbsorbingState) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"Once", Deterministic}, {"Never", Exponential}});
  StepTestActivity* once = san->activity(0);
  StepTestActivity* never = san->activity(1);
  once->enabling = [san] { return san->mark(0) == 0; };
  once->delay = [] { return 1.0; };
  once->effect = [san] { san->mark(0) = 1; };
  never->enabling = [san] { return san->mark(0) == 1; };
  never->delay = [] { return std::numeric_limits<double>::infinity(); };
  san->affects(0, 0);
  san->reads(0, 0);
  san->reads(1, 0);
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startSteadyState());
  EXPECT_FALSE(h.sim.SimStep(EventAtInfinity::Absorbs));
  EXPECT_EQ(h.sim.NextEvent, nullptr);
  EXPECT_EQ(h.sim.CurrentTime, 1.0);
}

// 2,100 queues, 4,200 activities: a model large enough that the step prefetches the objects it
// will visit. Queue k's arrival is due every d = 1 + (7k mod 13)/16 time units and its service
// 0.25 after each arrival, so up to time 10 (inclusive) the arrival fires floor(10/d) times and
// the service once for each arrival j with j*d + 0.25 <= 10; the queue holds the difference.
// All times are exact binary fractions; distinct ranks order ties without a draw.
TEST(SimStep, ALargeModelPrefetchesAndFiresTheSameTrajectory) {
  constexpr int kQueues = 2100;
  std::vector<std::pair<std::string, short> > places;
  std::vector<std::pair<std::string, Distribution> > activities;
  for (int k = 0; k < kQueues; k++) {
    places.push_back({"Q" + std::to_string(k), 0});
    activities.push_back({"Arrive" + std::to_string(k), Deterministic});
    activities.push_back({"Serve" + std::to_string(k), Deterministic});
  }
  auto* san = new StepTestSAN(places, activities);
  auto period = [](int k) { return 1.0 + ((7 * k) % 13) / 16.0; };
  std::vector<int> arrivals(kQueues, 0), services(kQueues, 0);
  for (int k = 0; k < kQueues; k++) {
    StepTestActivity* arrive = san->activity(2 * k);
    StepTestActivity* serve = san->activity(2 * k + 1);
    arrive->rank = 2 * k;
    serve->rank = 2 * k + 1;
    arrive->delay = [period, k] { return period(k); };
    arrive->effect = [san, k, &arrivals] {
      san->mark(k)++;
      arrivals[k]++;
    };
    serve->enabling = [san, k] { return san->mark(k) > 0; };
    serve->delay = [] { return 0.25; };
    serve->effect = [san, k, &services] {
      san->mark(k)--;
      services[k]++;
    };
    san->affects(2 * k, k);
    san->affects(2 * k + 1, k);
    san->reads(2 * k + 1, k);
  }
  StepTestPV pv(san);
  StepHarness h(&pv);
  EXPECT_TRUE(h.sim.PrefetchObjects);
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  while (h.sim.CurrentTime <= 10.0) ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));

  long expectedFirings = 0;
  for (int k = 0; k < kQueues; k++) {
    const double d = period(k);
    int a = 0, s = 0;
    for (int j = 1; j * d <= 10.0; j++) {
      a++;
      if (j * d + 0.25 <= 10.0) s++;
    }
    ASSERT_EQ(arrivals[k], a) << "queue " << k;
    ASSERT_EQ(services[k], s) << "queue " << k;
    ASSERT_EQ(san->mark(k), a - s) << "queue " << k;
    expectedFirings += a + s;
  }
  // The last step took the first event after time 10 without firing it.
  EXPECT_EQ(h.sim._fireActionCount, expectedFirings);
  EXPECT_GT(h.sim.CurrentTime, 10.0);
}

// Below the threshold the step does not prefetch; the model above runs either way.
TEST(SimStep, ASmallModelDoesNotPrefetch) {
  auto* san = new StepTestSAN({{"P", 0}}, {{"Tick", Deterministic}});
  StepTestPV pv(san);
  StepHarness h(&pv);
  EXPECT_FALSE(h.sim.PrefetchObjects);
}

// At 2^53 doubles lie 2 apart: a delay of 1 rounds back to 2^53 (the tie goes to the even
// neighbour, 2^53 itself), so the activity would fire at that instant for ever. The run ends
// naming the activity, the delay and the time.
TEST(SimStep, ADelayThatNoLongerMovesTheClockEndsTheRun) {
  const double late = 9007199254740992.0;  // 2^53
  auto* san = new StepTestSAN({}, {{"Tick", Deterministic}});
  san->activity(0)->delay = delays({late, 1.0});
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  ASSERT_EQ(h.sim.CurrentTime, late);
  EXPECT_EXIT(h.sim.SimStep(EventAtInfinity::IsNext), ::testing::ExitedWithCode(1),
              "FATAL ERROR: In action Tick, the delay 1 drawn at time 9007199254740992 does not move the "
              "simulation clock \\(time \\+ delay == time\\); the run cannot go on\\.");
}

// The same clock still moves by a delay of 2 (the next double); an instantaneous activity's delay
// of 0 fires at the same instant by design.
TEST(SimStep, DelaysThatStillMoveTheClockAndInstantaneousOnesRunOn) {
  const double late = 9007199254740992.0;
  auto* san = new StepTestSAN({}, {{"Tick", Deterministic}});
  san->activity(0)->delay = delays({late, 0.0, 2.0, 0.0});
  StepTestPV pv(san);
  StepHarness h(&pv);
  h.sim.GenerateInitialEnabledList();
  ASSERT_TRUE(h.startReplication());
  for (double expected : {late, late + 2.0, late + 2.0}) {
    ASSERT_TRUE(h.sim.SimStep(EventAtInfinity::IsNext));
    EXPECT_EQ(h.sim.CurrentTime, expected);
  }
}

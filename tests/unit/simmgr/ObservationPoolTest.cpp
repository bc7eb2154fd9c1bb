// The pool decides only on fixed prefixes of each simulator's observations. Expected values are
// worked out by hand from small sequences, or compared with the same sequences arriving in
// another order (the figures must not change by a bit).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "ObservationPool.h"

using namespace simmgr;

namespace {

Options Rule(double precision, uint64_t minObs, uint64_t maxObs) {
  Options o;
  o.precision = precision;
  o.minObs = minObs;
  o.maxObs = maxObs;
  o.minBatches = 4;
  o.reportSize = 1;  // checkpoints 1, 2, ..., 8, 10, 12, 15, ...
  return o;
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// Feeds per-simulator sequences in chunks, round after round, simulator `first` first, and calls
// Advance after every chunk; a simulator stops running once it has sent all of its sequence
// when `ends` says so. Returns the cause (and feeds the rest after a stop, as late records).
std::string Feed(ObservationPool& pool, const std::vector<std::vector<double>>& seqs, size_t chunk,
                 size_t first, const std::vector<bool>& ends) {
  std::vector<size_t> at(seqs.size(), 0);
  std::string cause;
  for (bool more = true; more;) {
    more = false;
    for (size_t r = 0; r < seqs.size(); ++r) {
      const size_t i = (first + r) % seqs.size();
      const size_t n = std::min(chunk + i, seqs[i].size() - at[i]);  // simulators send unevenly
      if (n == 0) continue;
      more = true;
      pool.Add(i, 0, "x", std::vector<double>(seqs[i].begin() + at[i], seqs[i].begin() + at[i] + n));
      at[i] += n;
      std::vector<bool> running(seqs.size());
      for (size_t j = 0; j < seqs.size(); ++j) running[j] = !(ends[j] && at[j] == seqs[j].size());
      if (cause.empty()) cause = pool.Advance(running);
    }
  }
  if (cause.empty()) cause = pool.Advance(std::vector<bool>(seqs.size(), false));
  return cause;
}

}  // namespace

TEST(ObservationPool, MaxObsIsACheckpointAndLaterObservationsAreCountedNotUsed) {
  // --max-obs 7 with two simulators running: 2 x 3 = 6 < 7 <= 2 x 4 = 8, so the stop is at the
  // first 4 of each: 1..8, mean 4.5, sample variance 42 / 7 = 6.
  const std::vector<std::vector<double>> seqs{{1, 2, 3, 4, 100, 100}, {5, 6, 7, 8, 100}};
  for (size_t first : {0, 1})
    for (size_t chunk : {1, 2, 6}) {
      const Options poolOptions = Rule(0.0, 1, 7);

      ObservationPool pool(poolOptions, true, 2);
      EXPECT_EQ(Feed(pool, seqs, chunk, first, {false, false}), "max-obs reached");
      const std::map<int, VariableResult> r = pool.Results();
      EXPECT_EQ(pool.Prefix(), 4u);
      EXPECT_EQ(r.at(0).stats.Count(), 8u);
      EXPECT_DOUBLE_EQ(r.at(0).stats.Mean(), 4.5);
      EXPECT_DOUBLE_EQ(r.at(0).stats.Variance(), 6.0);
      // The values for the percentiles are those same eight, whatever was summed before the stop.
      EXPECT_EQ(r.at(0).sorted, (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8}));
      EXPECT_EQ(pool.Used(0) + pool.Used(1), 8u);
      EXPECT_EQ(pool.Sent(0) + pool.Sent(1), 11u);  // 3 arrived beyond the stop
    }
}

TEST(ObservationPool, ASimulatorThatEndedGivesAllItHasAndTheOthersCarryOn) {
  // Simulator 1 ends after 2 observations: at k it gives min(k, 2), so --max-obs 7 is reached
  // at k = 5 (5 + 2): 1..5 and 10, 20; mean (15 + 30) / 7.
  const std::vector<std::vector<double>> seqs{{1, 2, 3, 4, 5, 6, 7, 8}, {10, 20}};
  const Options poolOptions = Rule(0.0, 1, 7);
  ObservationPool pool(poolOptions, true, 2);
  EXPECT_EQ(Feed(pool, seqs, 1, 1, {false, true}), "max-obs reached");
  EXPECT_EQ(pool.Prefix(), 5u);
  const VariableResult v = pool.Results().at(0);
  EXPECT_EQ(v.stats.Count(), 7u);
  EXPECT_DOUBLE_EQ(v.stats.Mean(), 45.0 / 7.0);
  EXPECT_EQ(v.sorted, (std::vector<double>{1, 2, 3, 4, 5, 10, 20}));
}

TEST(ObservationPool, MinObsIsACheckpointBetweenTheScheduledOnes) {
  // Constant values are precise as soon as --min-obs 21 holds: two simulators reach it at
  // k = 11 (22), between the scheduled 10 and 12.
  const std::vector<std::vector<double>> seqs{std::vector<double>(40, 3.0), std::vector<double>(40, 3.0)};
  const Options poolOptions = Rule(0.1, 21, 0);
  ObservationPool pool(poolOptions, true, 2);
  EXPECT_EQ(Feed(pool, seqs, 3, 0, {false, false}), "precision reached");
  EXPECT_EQ(pool.Prefix(), 11u);
  EXPECT_EQ(pool.Results().at(0).stats.Count(), 22u);
}

TEST(ObservationPool, TheFiguresDoNotDependOnTheOrderOfArrival) {
  // Three simulators of an autocorrelated output (a steady-state variable) and the same as a
  // terminating variable, whose running sums are taken in pieces: every arrival order and
  // chunking must give the same stop, the same prefix and the same bits as all at once.
  std::vector<std::vector<double>> seqs(3);
  uint64_t state = 12345;
  for (size_t i = 0; i < seqs.size(); ++i) {
    double x = 10.0;
    for (int j = 0; j < 3000 + 500 * static_cast<int>(i); ++j) {
      state = state * 6364136223846793005ULL + 1442695040888963407ULL;
      const double u = static_cast<double>(state >> 11) / 9007199254740992.0;
      x = 10.0 + 0.5 * (x - 10.0) + (u - 0.5);
      seqs[i].push_back(x);
    }
  }
  for (const bool terminating : {true, false}) {
    SCOPED_TRACE(terminating ? "terminating" : "steady state");
    const Options o = Rule(0.002, 100, 0);
    ObservationPool reference(o, terminating, 3);
    const std::string cause = Feed(reference, seqs, 100000, 0, {false, false, false});
    EXPECT_EQ(cause, "precision reached");
    const VariableResult want = reference.Results().at(0);
    EXPECT_LT(reference.Prefix(), 3000u);  // it stopped at a checkpoint, not at the end
    for (size_t first : {0, 1, 2})
      for (size_t chunk : {1, 7, 100}) {
        ObservationPool pool(o, terminating, 3);
        EXPECT_EQ(Feed(pool, seqs, chunk, first, {false, false, false}), cause);
        const VariableResult got = pool.Results().at(0);
        EXPECT_EQ(pool.Prefix(), reference.Prefix());
        EXPECT_EQ(got.stats.Count(), want.stats.Count());
        EXPECT_TRUE(SameBits(got.stats.Mean(), want.stats.Mean())) << first << " " << chunk;
        EXPECT_TRUE(SameBits(got.stats.Variance(), want.stats.Variance())) << first << " " << chunk;
        EXPECT_TRUE(SameBits(VariableInterval(got, o).halfWidth, VariableInterval(want, o).halfWidth));
      }
  }
  // The running sums taken in pieces are those of one pass: the same prefix pooled as a
  // terminating and as a steady-state variable has the same mean and variance, bit for bit.
  const Options sums = Rule(0.0, 1, 0);  // a pool keeps a reference to its options
  ObservationPool t(sums, true, 3), s(sums, false, 3);
  Feed(t, seqs, 37, 2, {true, true, true});
  Feed(s, seqs, 1000, 0, {true, true, true});
  EXPECT_TRUE(SameBits(t.Results().at(0).stats.Mean(), s.Results().at(0).stats.Mean()));
  EXPECT_TRUE(SameBits(t.Results().at(0).stats.Variance(), s.Results().at(0).stats.Variance()));
  EXPECT_EQ(t.Results().at(0).stats.Count(), 3u * 3000 + 500 + 1000);
}

TEST(ObservationPool, AStopBetweenCheckpointsUsesTheLargestCommonPrefix) {
  const Options poolOptions = Rule(0.0, 1, 0);
  ObservationPool pool(poolOptions, true, 3);
  pool.Add(0, 0, "x", {1, 2, 3, 4, 5, 6});
  pool.Add(1, 0, "x", {7, 8, 9});
  EXPECT_EQ(pool.Advance({true, true, true}), "");  // simulator 2 has sent nothing: nothing is ready
  pool.StopBetweenCheckpoints({true, true, true});  // the time limit, say
  pool.Add(1, 0, "x", {10, 11});                    // still on its way when the quit went out
  // Simulator 1 ended with 5 and limits the others to 5; simulator 2 sent nothing and limits
  // nothing: 1..5 and 7..11, mean 6.
  const VariableResult v = pool.Results().at(0);
  EXPECT_FALSE(pool.StoppedAtCheckpoint());
  EXPECT_EQ(pool.Prefix(), 5u);
  EXPECT_EQ(v.stats.Count(), 10u);
  EXPECT_DOUBLE_EQ(v.stats.Mean(), 6.0);
}

TEST(ObservationPool, NonFiniteValuesCountOnlyInsideThePrefixAndNeverInTheSums) {
  const Options poolOptions = Rule(0.0, 1, 0);
  ObservationPool pool(poolOptions, true, 1);
  EXPECT_EQ(pool.Add(0, 0, "x", {1, NAN, 3, INFINITY, 5}), 2u);
  // The NaN flags the only variable at k = 2; the infinity lies beyond.
  EXPECT_EQ(pool.Advance({true}), "every variable received non-finite observations");
  const VariableResult v = pool.Results().at(0);
  EXPECT_EQ(pool.Prefix(), 2u);
  EXPECT_EQ(v.nonFinite, 1u);
  EXPECT_EQ(v.stats.Count(), 1u);
  EXPECT_DOUBLE_EQ(v.stats.Mean(), 1.0);

  const Options lateOptions = Rule(0.0, 1, 2);
  ObservationPool late(lateOptions, true, 1);
  late.Add(0, 0, "x", {1, 2, 3, NAN});
  EXPECT_EQ(late.Advance({true}), "max-obs reached");  // at k = 2, before the NaN
  EXPECT_EQ(late.Results().at(0).nonFinite, 0u);
}

TEST(ObservationPool, WhenEverySimulatorHasEndedEverythingIsTheLastLook) {
  const Options poolOptions = Rule(0.0, 1, 0);
  ObservationPool pool(poolOptions, true, 2);
  pool.Declare(3, "quiet");  // declared, never observed: reported with no observation
  pool.Add(0, 0, "x", {1, 2, 3});
  pool.Add(1, 0, "x", {4});
  EXPECT_EQ(pool.Advance({false, false}), "all simulators ended");
  const std::map<int, VariableResult> r = pool.Results();
  EXPECT_EQ(r.at(0).stats.Count(), 4u);
  EXPECT_DOUBLE_EQ(r.at(0).stats.Mean(), 2.5);
  EXPECT_EQ(r.at(3).stats.Count(), 0u);
  EXPECT_EQ(pool.Used(0), 3u);
}

TEST(ObservationPool, ASteadyStateStopNeedsTwoPreciseLooksInARow) {
  // Constant batch means are precise (width 0) as soon as there are --min-batches 4 of them:
  // at k = 4. The steady-state rule stops only when the next checkpoint, k = 5, says so
  // again, and its figures stand; a terminating variable stops at its first precise look
  // (two observations: k = 2).
  const Options o = Rule(0.1, 1, 0);
  ObservationPool steady(o, false, 1), terminating(o, true, 1);
  for (ObservationPool* pool : {&steady, &terminating}) {
    pool->Add(0, 0, "x", std::vector<double>(20, 5.0));
    EXPECT_EQ(pool->Advance({true}), "precision reached");
  }
  EXPECT_EQ(steady.Prefix(), 5u);
  EXPECT_EQ(steady.Results().at(0).batch.batches, 5u);
  EXPECT_EQ(terminating.Prefix(), 2u);
}

// The observations of one kind of run (terminating or steady state) of one experiment, each
// simulator's in the order it sent them, and the stopping rule applied to them so that the
// figures do not depend on when records happen to arrive. Records of different simulators
// interleave by timing, but one simulator's records always come in the same order; so the rule
// looks only at checkpoints k fixed in advance (the schedule of NextCheckpoint, plus the points
// where the pool first holds --min-obs and --max-obs observations): once every simulator still
// running has sent k observations, it is applied to the first k of every simulator (all of
// what a simulator that ended sent, when that is fewer), pooled in client order. When it says
// stop, the results are exactly those, and what arrives later is counted, not used.
// Terminating variables keep the running sums of what a checkpoint has covered, and every value
// for the percentiles of the final results; steady-state variables keep every batch mean for the
// batch-means analysis.
#ifndef KAVRIN_SIMMGR_OBSERVATIONPOOL_H
#define KAVRIN_SIMMGR_OBSERVATIONPOOL_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "Options.h"
#include "Statistics.h"
#include "VariableResult.h"

namespace simmgr {

class ObservationPool {
 public:
  static constexpr uint64_t kEverything = std::numeric_limits<uint64_t>::max();

  // `simulators`: the clients 0 .. simulators - 1 (or files) whose observations are pooled.
  ObservationPool(const Options& options, bool terminating, size_t simulators);

  // A variable that is reported even when none of its observations arrives.
  void Declare(int index, const std::string& name);
  // Values of variable `index` from one simulator, in the order it sent them; NaN and infinite
  // values keep their place and are counted, never pooled. Returns how many were not finite.
  size_t Add(size_t simulator, int index, const std::string& name, const std::vector<double>& values);
  // Observations a simulator has sent (each a value of every variable).
  uint64_t Sent(size_t simulator) const;

  // Applies the rule at every checkpoint that has become ready; `running[i]`: simulator i may
  // still send. With none running it also looks at everything, and stops with "all
  // simulators ended" when nothing else holds. Returns the cause of a stop, "" to go on.
  std::string Advance(const std::vector<bool>& running);
  // The run stops between checkpoints (an interrupt, the time limit): the results will hold the
  // largest prefix that every simulator then running (and having sent anything) has sent.
  void StopBetweenCheckpoints(const std::vector<bool>& running);
  // Once the simulators have settled: the results, by variable index.
  std::map<int, VariableResult> Results();

  bool StoppedAtCheckpoint() const { return _stopped; }
  // Observations per simulator the results hold at most (kEverything: all), once known.
  uint64_t Prefix() const { return _finalCap; }
  // Of simulator i's observations, those the results hold.
  uint64_t Used(size_t simulator) const;
  // The latest checkpoint's figures, for progress lines.
  const std::map<int, VariableResult>& Latest() const { return _latest; }

 private:
  struct Sequence {
    std::vector<double> values;  // from `consumed` on
    std::vector<double> summed;  // the `consumed` leading values (terminating only)
    uint64_t consumed = 0;       // leading values already summed into `head` (terminating only)
    RunningStats head;
    uint64_t headNonFinite = 0;
    uint64_t Size() const { return consumed + values.size(); }
  };
  struct Variable {
    std::string name;
    std::vector<Sequence> bySimulator;
  };

  // The variables over the first min(cap, sent) observations of every simulator.
  std::map<int, VariableResult> Evaluate(uint64_t cap) const;
  // The finite values of the first min(cap, sent) observations of every simulator, ascending.
  std::vector<double> SortedValues(const Variable& v, uint64_t cap) const;
  // Sums what checkpoint k covered into the heads of the terminating sequences.
  void Consume(uint64_t k);
  // Observations pooled at checkpoint k, given who is running (k no beyond what all of them sent).
  uint64_t Pooled(uint64_t k, const std::vector<bool>& running) const;
  // The schedule's smallest step: one report of every simulator.
  uint64_t Step() const;
  // The first checkpoint at which the pool holds `target` observations, when it is already
  // known from what has arrived (ready: k <= ready); false when not yet known or never.
  bool Reaches(uint64_t target, uint64_t ready, const std::vector<bool>& running, uint64_t& k) const;

  const Options& _opt;
  const bool _terminating;
  const size_t _simulators;
  std::map<int, Variable> _vars;
  uint64_t _lastK = 0;
  uint64_t _nextScheduled;
  bool _stopped = false, _between = false;
  bool _preciseBefore = false;  // the last checkpoint found every variable precise
  std::vector<bool> _runningAtStop;
  uint64_t _finalCap = kEverything;
  std::map<int, VariableResult> _latest, _final;
};

}  // namespace simmgr

#endif

#include "ObservationPool.h"

#include <algorithm>
#include <cmath>

#include "StoppingRule.h"

namespace simmgr {

ObservationPool::ObservationPool(const Options& options, bool terminating, size_t simulators)
    : _opt(options), _terminating(terminating), _simulators(simulators), _nextScheduled(Step()) {}

uint64_t ObservationPool::Step() const { return static_cast<uint64_t>(std::max(1, _opt.reportSize)); }

void ObservationPool::Declare(int index, const std::string& name) {
  Variable& v = _vars[index];
  v.name = name;
  v.bySimulator.resize(_simulators);
}

size_t ObservationPool::Add(size_t simulator, int index, const std::string& name,
                            const std::vector<double>& values) {
  if (simulator >= _simulators) return 0;
  auto it = _vars.find(index);
  if (it == _vars.end()) {
    Declare(index, name);
    it = _vars.find(index);
  }
  Sequence& s = it->second.bySimulator[simulator];
  s.values.insert(s.values.end(), values.begin(), values.end());
  size_t nonFinite = 0;
  for (double x : values)
    if (!std::isfinite(x)) ++nonFinite;
  return nonFinite;
}

uint64_t ObservationPool::Sent(size_t simulator) const {
  uint64_t n = 0;
  for (const auto& kv : _vars) n = std::max(n, kv.second.bySimulator[simulator].Size());
  return n;
}

uint64_t ObservationPool::Used(size_t simulator) const { return std::min(_finalCap, Sent(simulator)); }

std::map<int, VariableResult> ObservationPool::Evaluate(uint64_t cap) const {
  std::map<int, VariableResult> out;
  for (const auto& kv : _vars) {
    VariableResult r;
    r.index = kv.first;
    r.name = kv.second.name;
    r.steadyState = !_terminating;
    if (r.steadyState) r.perSimulator.resize(_simulators);
    // Each simulator's own sums in its order, then merged in client order: the same
    // operations in the same order whatever the timing.
    for (size_t i = 0; i < _simulators; ++i) {
      const Sequence& s = kv.second.bySimulator[i];
      const uint64_t end = std::max(s.consumed, std::min(cap, s.Size()));
      RunningStats own = s.head;
      uint64_t nonFinite = s.headNonFinite;
      for (uint64_t j = s.consumed; j < end; ++j) {
        const double x = s.values[static_cast<size_t>(j - s.consumed)];
        if (!std::isfinite(x)) {
          ++nonFinite;
          continue;
        }
        own.Add(x);
        if (r.steadyState) r.perSimulator[i].push_back(x);
      }
      r.stats.Merge(own);
      r.nonFinite += nonFinite;
    }
    AnalyseVariable(r, _opt);
    out.emplace(kv.first, std::move(r));
  }
  return out;
}

void ObservationPool::Consume(uint64_t k) {
  if (!_terminating) return;
  for (auto& kv : _vars)
    for (Sequence& s : kv.second.bySimulator) {
      const uint64_t end = std::min(k, s.Size());
      if (end <= s.consumed) continue;
      const size_t n = static_cast<size_t>(end - s.consumed);
      for (size_t j = 0; j < n; ++j) {
        if (std::isfinite(s.values[j]))
          s.head.Add(s.values[j]);
        else
          ++s.headNonFinite;
      }
      s.summed.insert(s.summed.end(), s.values.begin(), s.values.begin() + static_cast<std::ptrdiff_t>(n));
      s.values.erase(s.values.begin(), s.values.begin() + static_cast<std::ptrdiff_t>(n));
      s.consumed = end;
    }
}

uint64_t ObservationPool::Pooled(uint64_t k, const std::vector<bool>& running) const {
  uint64_t n = 0;
  for (size_t i = 0; i < _simulators; ++i) n += running[i] ? k : std::min(k, Sent(i));
  return n;
}

bool ObservationPool::Reaches(uint64_t target, uint64_t ready, const std::vector<bool>& running,
                              uint64_t& k) const {
  if (target == 0 || Pooled(ready, running) < target) return false;
  uint64_t lo = 1, hi = ready;  // Pooled grows with k: the first k that holds the target
  while (lo < hi) {
    const uint64_t mid = lo + (hi - lo) / 2;
    if (Pooled(mid, running) >= target)
      hi = mid;
    else
      lo = mid + 1;
  }
  k = lo;
  return true;
}

std::string ObservationPool::Advance(const std::vector<bool>& running) {
  if (_stopped || _between) return "";
  bool any = false;
  uint64_t ready = kEverything, most = 0;
  for (size_t i = 0; i < _simulators; ++i) {
    const uint64_t sent = Sent(i);
    most = std::max(most, sent);
    if (running[i]) {
      any = true;
      ready = std::min(ready, sent);
    }
  }
  if (!any) ready = most;
  for (;;) {
    uint64_t k = _nextScheduled, target = 0;
    for (uint64_t limit : {_opt.minObs, _opt.maxObs})
      if (Reaches(limit, ready, running, target) && target > _lastK) k = std::min(k, target);
    if (k > ready) break;
    _latest = Evaluate(k);
    _lastK = k;
    while (_nextScheduled <= k) _nextScheduled = NextCheckpoint(_nextScheduled, Step());
    Consume(k);
    const std::string cause = CheckpointStop(_latest, _opt);
    // A steady-state interval that is precise at one look may owe it to a lucky stretch (tests
    // passing by chance, a variance low by chance, and at the fewest batches allowed): it must
    // be precise again at the next checkpoint, over a quarter more data, whose figures stand.
    const bool precise = cause == "precision reached" || cause == "other variables precise";
    const bool unconfirmed = precise && !_terminating && !_preciseBefore;
    _preciseBefore = precise;
    if (!cause.empty() && !unconfirmed) {
      _stopped = true;
      _finalCap = k;
      _final = _latest;
      return cause;
    }
  }
  if (any) return "";
  // Nothing more will come: everything is the last look.
  if (_lastK < most || _latest.empty()) {
    _latest = Evaluate(kEverything);
    _lastK = most;
  }
  _stopped = true;
  _finalCap = kEverything;
  _final = _latest;
  const std::string cause = CheckpointStop(_final, _opt);
  return cause.empty() ? "all simulators ended" : cause;
}

void ObservationPool::StopBetweenCheckpoints(const std::vector<bool>& running) {
  if (_stopped) return;
  _between = true;
  _runningAtStop = running;
}

std::map<int, VariableResult> ObservationPool::Results() {
  if (!_stopped) {
    if (_between) {
      // A simulator that sent nothing does not hold the others back: it has no part to share.
      _finalCap = kEverything;
      for (size_t i = 0; i < _simulators; ++i)
        if (_runningAtStop[i] && Sent(i) > 0) _finalCap = std::min(_finalCap, Sent(i));
    }
    _final = Evaluate(_finalCap);
  }
  if (_terminating)
    for (auto& kv : _final)
      if (kv.second.sorted.size() != kv.second.stats.Count())
        kv.second.sorted = SortedValues(_vars.at(kv.first), _finalCap);
  return _final;
}

std::vector<double> ObservationPool::SortedValues(const Variable& v, uint64_t cap) const {
  std::vector<double> out;
  for (const Sequence& s : v.bySimulator) {
    const uint64_t end = std::max(s.consumed, std::min(cap, s.Size()));  // as Evaluate counts them
    for (uint64_t j = 0; j < end; ++j) {
      const double x =
          j < s.consumed ? s.summed[static_cast<size_t>(j)] : s.values[static_cast<size_t>(j - s.consumed)];
      if (std::isfinite(x)) out.push_back(x);
    }
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace simmgr

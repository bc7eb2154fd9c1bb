#include "Manager.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <map>
#include <memory>
#include <ostream>
#include <set>
#include <sstream>

#include "Launch.h"
#include "ObservationPool.h"
#include "Os.h"
#include "ProgressEstimate.h"
#include "RunKinds.h"
#include "StoppingRule.h"
#include "Wire.h"

namespace simmgr {

namespace {

std::string FormatNumber(double v) {
  std::ostringstream s;
  s << std::setprecision(6) << v;
  return s.str();
}

// The detach file of a mixed run's steady-state phase: ".steady" before the extension, so that
// it does not overwrite the terminating phase's.
std::string SteadyName(const std::string& name) {
  const size_t slash = name.find_last_of("/\\");
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + ".steady";
  return name.substr(0, dot) + ".steady" + name.substr(dot);
}

}  // namespace

uint64_t ExperimentResult::Observations() const {
  uint64_t n = 0;
  for (const VariableResult& v : variables) n = std::max(n, v.stats.Count());
  return n;
}

int ExperimentResult::NotStarted() const {
  int n = 0;
  for (const ProcessResult& p : processes)
    if (p.fault && !p.started) ++n;
  return n;
}

uint64_t ExperimentResult::NotUsed() const {
  uint64_t n = 0;
  for (const PhaseResult& p : phases) n += p.notUsed;
  return n;
}

// One kind of run of one experiment in progress: its simulators, the pool they feed, and the
// messages and progress line they share.
class Manager::Phase : public SimulatorSession::Listener {
 public:
  Phase(const Manager& m, const Options& options, ExperimentResult& x, bool terminating, bool mixed)
      : _opt(options),
        _pv(m._pv),
        _msg(m._msg),
        _x(x),
        _terminating(terminating),
        _mixed(mixed),
        _pool(options, terminating, static_cast<size_t>(m._jobs)),
        _start(os::Now()) {
    if (_pv.Known())
      for (int i = 0; i < _pv.Count(); ++i)
        if (_pv.Considered(i, _terminating)) _pool.Declare(i, _pv.Name(i));
  }

  void Say(const SimulatorSession& s, const std::string& text) override {
    if (_tty && _progressShown) _msg << "\r\x1b[K";  // the progress line is redrawn after the message
    _msg << "simmgr: experiment " << _x.experiment;
    if (_mixed) _msg << " (" << KindText(_terminating) << ")";
    _msg << ", client " << s.ClientId();
    if (s.SimulatorPid()) _msg << " (pid " << s.SimulatorPid() << ")";
    _msg << ": " << text << "\n";
    _msg.flush();
  }

  uint64_t Data(const SimulatorSession& s, const DataRecord& record) override {
    size_t reported = 0;  // a report gives every variable the same number of values
    for (const DataBlock& b : record.blocks) {
      if (b.kind != 1) continue;  // squared values: the variance needs only the values
      if (!_pv.Considered(b.pvIndex, _terminating)) {
        _x.ignoredObservations += b.values.size();
        continue;
      }
      const std::string name = _pv.Name(b.pvIndex);
      if (_pool.Add(static_cast<size_t>(s.ClientId()), b.pvIndex, name, b.values) > 0 &&
          _flagged.insert(b.pvIndex).second) {
        double first = 0.0;
        for (double v : b.values)
          if (!std::isfinite(v)) {
            first = v;
            break;
          }
        Say(s, "variable " + name + " received a non-finite observation (" + FormatNumber(first) +
                   "); such observations are left out of its estimate, counted, and the variable "
                   "is flagged");
      }
      reported = std::max(reported, b.values.size());
    }
    return reported;
  }

  void StandardError(const SimulatorSession& s, const char* bytes, size_t n) override {
    _x.messages.Feed(s.ClientId(), bytes, n);
  }

  // Looks at every checkpoint that has become ready, then at the run's own limits; the cause
  // of a stop, "" to go on.
  std::string StopCause(double now, const std::vector<std::unique_ptr<SimulatorSession>>& sessions) {
    std::vector<bool> running;
    for (const auto& s : sessions) running.push_back(s->Linked() || s->Linking());
    const RunFacts facts{os::Interrupted(), now - _start, true};
    std::string cause = facts.interrupted ? "" : _pool.Advance(running);
    if (cause.empty()) {
      cause = RunStop(_opt, facts);
      if (!cause.empty()) _pool.StopBetweenCheckpoints(running);
    }
    return cause;
  }

  // Quits (or detaches) every simulator with a link or on its way to one.
  void BeginStop(const std::string& cause, std::vector<std::unique_ptr<SimulatorSession>>& sessions) {
    _cause = cause;
    for (auto& s : sessions) {
      if (_opt.detachFile.empty()) {
        s->AskToStop({CmdQuit});
        continue;
      }
      std::string name = DetachFileName(_opt.detachFile, _x.experiment, s->ClientId());
      if (_mixed && !_terminating) name = SteadyName(name);
      const std::string text = DetachText(name, _opt.detachBatches);
      std::vector<uint8_t> command(text.begin(), text.end());
      command.insert(command.begin(), CmdDetach);
      if (s->AskToStop(command)) _x.detachedFiles.push_back(name);
    }
  }

  double ProgressEvery() const { return _tty ? 0.5 : _opt.progressInterval; }

  void Progress() {
    if (_opt.quiet) return;
    std::ostringstream line;
    line << "experiment " << _x.experiment;
    if (_mixed) line << " (" << KindText(_terminating) << ")";
    line << ":";
    const std::map<int, VariableResult>& latest = _pool.Latest();
    if (latest.empty()) line << " no observations yet";
    for (const auto& kv : latest) {
      const Interval iv = VariableInterval(kv.second, _opt);
      line << "  " << kv.second.name << " n=" << kv.second.stats.Count();
      if (kv.second.stats.Count() > 0) line << " " << FormatNumber(iv.mean);
      if (kv.second.stats.Count() > 1) line << " +- " << FormatNumber(iv.halfWidth);
    }
    const double elapsed = os::Now() - _start;
    line << "  " << ProgressText(EstimateProgress(latest, _opt, elapsed), _opt);
    line << "  [" << std::fixed << std::setprecision(1) << elapsed << " s]";
    if (_tty)
      _msg << "\r\x1b[K" << line.str();
    else
      _msg << line.str() << "\n";
    _msg.flush();
    _progressShown = true;
  }

  void ClearProgress() {
    if (!_progressShown || !_tty || _opt.quiet) return;
    _msg << "\r\x1b[K";
    _msg.flush();
  }

  PhaseResult Finish(std::vector<std::unique_ptr<SimulatorSession>>& sessions, int jobs) {
    PhaseResult phase;
    phase.terminating = _terminating;
    phase.firstProcess = _x.processes.size();
    phase.processCount = sessions.size();
    const std::map<int, VariableResult> vars = _pool.Results();
    int failed = 0;
    uint64_t sent = 0, used = 0;
    for (size_t i = 0; i < sessions.size(); ++i) {
      ProcessResult p = sessions[i]->Conclude();
      p.used = _pool.Used(i);
      sent += _pool.Sent(i);
      used += p.used;
      if (p.fault) ++failed;
      _x.processes.push_back(p);
      _x.messages.Finish(sessions[i]->ClientId());
    }
    phase.seconds = os::Now() - _start;
    phase.reproducible = _pool.StoppedAtCheckpoint() && failed == 0;
    phase.prefix = _pool.Prefix() == ObservationPool::kEverything ? 0 : _pool.Prefix();
    phase.notUsed = sent - used;
    phase.stopReason = StopVerdict(_cause, vars, _opt);
    if (failed > 0 && _pool.StoppedAtCheckpoint())
      phase.stopReason += "; not reproducible: " + std::to_string(failed) + " of " + std::to_string(jobs) +
                          " simulators failed";
    for (const auto& kv : vars) {
      phase.observations = std::max(phase.observations, kv.second.stats.Count());
      _x.variables.push_back(kv.second);
    }
    const int notStarted = [&] {
      int n = 0;
      for (size_t i = phase.firstProcess; i < _x.processes.size(); ++i)
        if (_x.processes[i].fault && !_x.processes[i].started) ++n;
      return n;
    }();
    if (notStarted > 0) {
      _msg << "simmgr: experiment " << _x.experiment;
      if (_mixed) _msg << " (" << KindText(_terminating) << ")";
      _msg << ": " << jobs - notStarted << " of " << jobs
           << " simulators started; the results hold what those sent\n";
      _msg.flush();
    }
    return phase;
  }

 private:
  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
  ExperimentResult& _x;
  const bool _terminating, _mixed;
  ObservationPool _pool;
  const double _start;
  const bool _tty = os::StderrIsTerminal();
  bool _progressShown = false;
  std::string _cause;
  std::set<int> _flagged;
};

Manager::Manager(const Options& options, const PVDescription& description, std::ostream& messages)
    : _opt(options), _pv(description), _msg(messages) {
  _jobs = _opt.jobs > 0 ? _opt.jobs : os::CpuCount();
}

bool Manager::Plan(std::string& error) { return PlanRunKinds(_opt, _pv, _kinds, error); }

RunResult Manager::Run() {
  std::string error;
  if (_kinds.empty() && !Plan(error)) _kinds = {_opt.TerminatingRun()};
  RunResult run;
  run.jobs = _jobs;
  run.kinds = _kinds;
  const bool mixed = _kinds.size() > 1;
  // Process k of a phase (experiment position x jobs + client) has seed k of the run; the
  // second phase of a mixed run continues after every process of the first.
  const size_t perPhase = _opt.experiments.size() * static_cast<size_t>(_jobs);
  const std::vector<uint32_t> seeds = ProcessSeeds(_opt.seed, perPhase * _kinds.size());
  // The simulators of a steady-state phase that the options did not make steady state get -t 0.
  Options steady = _opt;
  if (!KindGiven(_opt)) steady.simulatorArgs.insert(steady.simulatorArgs.end(), {"-t", "0"});
  for (size_t i = 0; i < _opt.experiments.size(); ++i) {
    ExperimentResult x;
    x.experiment = _opt.experiments[i];
    if (os::Interrupted()) {
      x.stopReason = "not run (interrupted)";
      run.experiments.push_back(x);
      continue;
    }
    x.ran = true;
    for (size_t k = 0; k < _kinds.size(); ++k) {
      const bool terminating = _kinds[k];
      const size_t first = k * perPhase + i * static_cast<size_t>(_jobs);
      const std::vector<uint32_t> mine(seeds.begin() + static_cast<std::ptrdiff_t>(first),
                                       seeds.begin() + static_cast<std::ptrdiff_t>(first + _jobs));
      PhaseResult phase;
      if (os::Interrupted()) {
        phase.terminating = terminating;
        phase.stopReason = "not run (interrupted)";
        phase.firstProcess = x.processes.size();
      } else {
        phase = RunPhase(x, terminating ? _opt : steady, terminating, mixed, mine);
      }
      x.seconds += phase.seconds;
      x.phases.push_back(phase);
    }
    std::stable_sort(x.variables.begin(), x.variables.end(),
                     [](const VariableResult& a, const VariableResult& b) { return a.index < b.index; });
    if (!mixed) {
      x.stopReason = x.phases[0].stopReason;
    } else {
      for (const PhaseResult& p : x.phases)
        x.stopReason +=
            (x.stopReason.empty() ? "" : "; ") + std::string(KindText(p.terminating)) + ": " + p.stopReason;
    }
    run.experiments.push_back(std::move(x));
  }
  run.interrupted = os::Interrupted();
  return run;
}

PhaseResult Manager::RunPhase(ExperimentResult& x, const Options& phaseOptions, bool terminating, bool mixed,
                              const std::vector<uint32_t>& seeds) {
  Phase phase(*this, phaseOptions, x, terminating, mixed);
  std::vector<std::unique_ptr<SimulatorSession>> sessions;
  for (int j = 0; j < _jobs; ++j) {
    sessions.push_back(std::make_unique<SimulatorSession>(
        SimulatorSession::Context{phaseOptions, _pv, x.experiment, phase}, j, seeds[static_cast<size_t>(j)]));
    sessions.back()->Launch();
  }

  // Stopping: every simulator is asked once; past --quit-timeout (or at a second interrupt)
  // whatever still runs is terminated, and two seconds later killed.
  enum { Collecting, Quitting, Terminating, Killed } stage = Collecting;
  double stageDeadline = 0.0;
  int interruptsAtStop = 0;
  double nextProgress = os::Now() + phase.ProgressEvery();
  for (;;) {
    const double now = os::Now();
    if (stage == Collecting) {
      const std::string cause = phase.StopCause(now, sessions);
      if (!cause.empty()) {
        phase.BeginStop(cause, sessions);
        stage = Quitting;
        interruptsAtStop = os::InterruptCount();
        stageDeadline = os::Now() + _opt.quitTimeout;
      }
    } else if (stage == Quitting && (now >= stageDeadline || os::InterruptCount() > interruptsAtStop)) {
      for (auto& s : sessions) s->Terminate();
      stage = Terminating;
      stageDeadline = now + 2.0;
    } else if (stage == Terminating && now >= stageDeadline) {
      for (auto& s : sessions) s->Kill();
      stage = Killed;
    }
    if (stage != Collecting) {
      bool done = true;
      for (auto& s : sessions) done &= s->Settled();
      if (done) break;
    }

    std::vector<os::PollItem> items;
    std::vector<std::pair<SimulatorSession*, SimulatorSession::Stream>> owners;
    for (auto& s : sessions) {
      s->CheckDeadlines(now);
      std::vector<SimulatorSession::Stream> tags;
      s->AddPollItems(items, tags);
      for (SimulatorSession::Stream t : tags) owners.emplace_back(s.get(), t);
    }
    os::Poll(items, 50);
    for (size_t i = 0; i < items.size(); ++i) owners[i].first->OnPoll(items[i], owners[i].second);
    for (auto& s : sessions) s->Reap();

    if (os::Now() >= nextProgress) {
      phase.Progress();
      nextProgress = os::Now() + phase.ProgressEvery();
    }
  }
  phase.ClearProgress();
  return phase.Finish(sessions, _jobs);
}

}  // namespace simmgr

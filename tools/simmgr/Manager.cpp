#include "Manager.h"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <map>
#include <memory>
#include <ostream>
#include <sstream>

#include "Launch.h"
#include "Os.h"
#include "StoppingRule.h"
#include "Wire.h"

namespace simmgr {

namespace {

std::string FormatNumber(double v) {
  std::ostringstream s;
  s << std::setprecision(6) << v;
  return s.str();
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

// One experiment in progress: its simulators, the variables they feed, and the messages and
// progress line they share.
class Manager::Experiment : public SimulatorSession::Listener {
 public:
  Experiment(const Manager& m, int experiment)
      : _opt(m._opt), _pv(m._pv), _msg(m._msg), _terminating(m._opt.TerminatingRun()), _start(os::Now()) {
    res.experiment = experiment;
    res.ran = true;
    if (_pv.Known())
      for (int i = 0; i < _pv.Count(); ++i)
        if (_pv.Considered(i, _terminating)) Variable(i);
  }

  void Say(const SimulatorSession& s, const std::string& text) override {
    if (_tty && _progressShown) _msg << "\r\x1b[K";  // the progress line is redrawn after the message
    _msg << "simmgr: experiment " << res.experiment << ", client " << s.ClientId();
    if (s.SimulatorPid()) _msg << " (pid " << s.SimulatorPid() << ")";
    _msg << ": " << text << "\n";
    _msg.flush();
  }

  uint64_t Data(const SimulatorSession& s, const DataRecord& record) override {
    size_t reported = 0;  // a report gives every variable the same number of values
    for (const DataBlock& b : record.blocks) {
      if (b.kind != 1) continue;  // squared values: the running variance needs only values
      if (!_pv.Considered(b.pvIndex, _terminating)) {
        res.ignoredObservations += b.values.size();
        continue;
      }
      VariableResult& var = Variable(b.pvIndex);
      for (double v : b.values)
        if (!AddObservation(var, static_cast<size_t>(s.ClientId()), v) && var.nonFinite == 1)
          Say(s, "variable " + var.name + " received a non-finite observation (" + FormatNumber(v) +
                     "); such observations are left out of its estimate, counted, and the variable "
                     "is flagged");
      reported = std::max(reported, b.values.size());
    }
    return reported;
  }

  void StandardError(const SimulatorSession& s, const char* bytes, size_t n) override {
    res.messages.Feed(s.ClientId(), bytes, n);
  }

  // Brings the due analyses up to date and applies the stopping rule.
  std::string StopReason(double now, bool simulatorsLeft) {
    for (auto& kv : _vars)
      if (AnalysisDue(kv.second)) AnalyseVariable(kv.second, _opt);
    return simmgr::StopReason(_vars, _opt, RunFacts{os::Interrupted(), now - _start, simulatorsLeft});
  }

  // Quits (or detaches) every simulator with a link or on its way to one.
  void BeginStop(const std::string& reason, std::vector<std::unique_ptr<SimulatorSession>>& sessions) {
    res.stopReason = reason;
    for (auto& s : sessions) {
      if (_opt.detachFile.empty()) {
        s->AskToStop({CmdQuit});
        continue;
      }
      const std::string name = DetachFileName(_opt.detachFile, res.experiment, s->ClientId());
      const std::string text = DetachText(name, _opt.detachBatches);
      std::vector<uint8_t> command(text.begin(), text.end());
      command.insert(command.begin(), CmdDetach);
      if (s->AskToStop(command)) res.detachedFiles.push_back(name);
    }
  }

  double ProgressEvery() const { return _tty ? 0.5 : _opt.progressInterval; }

  void Progress() {
    if (_opt.quiet) return;
    std::ostringstream line;
    line << "experiment " << res.experiment << ":";
    if (_vars.empty()) line << " no observations yet";
    for (const auto& kv : _vars) {
      const Interval iv = VariableInterval(kv.second, _opt);
      line << "  " << kv.second.name << " n=" << kv.second.stats.Count();
      if (kv.second.stats.Count() > 0) line << " " << FormatNumber(iv.mean);
      if (kv.second.stats.Count() > 1) line << " +- " << FormatNumber(iv.halfWidth);
    }
    line << "  [" << std::fixed << std::setprecision(1) << os::Now() - _start << " s]";
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

  ExperimentResult Finish(std::vector<std::unique_ptr<SimulatorSession>>& sessions, int jobs) {
    for (auto& s : sessions) {
      res.processes.push_back(s->Conclude());
      res.messages.Finish(s->ClientId());
    }
    res.seconds = os::Now() - _start;
    for (auto& kv : _vars) {
      AnalyseVariable(kv.second, _opt);  // over everything, records after the quit included
      res.variables.push_back(std::move(kv.second));
    }
    if (const int failed = res.NotStarted()) {
      _msg << "simmgr: experiment " << res.experiment << ": " << jobs - failed << " of " << jobs
           << " simulators started; the results hold what those sent\n";
      _msg.flush();
    }
    return std::move(res);
  }

  ExperimentResult res;

 private:
  VariableResult& Variable(int index) {
    auto it = _vars.find(index);
    if (it == _vars.end()) {
      it = _vars.emplace(index, VariableResult()).first;
      it->second.index = index;
      it->second.name = _pv.Name(index);
      it->second.steadyState = !_terminating;
    }
    return it->second;
  }

  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
  const bool _terminating;
  const double _start;
  const bool _tty = os::StderrIsTerminal();
  bool _progressShown = false;
  std::map<int, VariableResult> _vars;
};

Manager::Manager(const Options& options, const PVDescription& description, std::ostream& messages)
    : _opt(options), _pv(description), _msg(messages) {
  _jobs = _opt.jobs > 0 ? _opt.jobs : os::CpuCount();
}

RunResult Manager::Run() {
  RunResult run;
  run.jobs = _jobs;
  const std::vector<uint32_t> seeds = ProcessSeeds(_opt.seed, _opt.experiments.size() * _jobs);
  for (size_t i = 0; i < _opt.experiments.size(); ++i) {
    if (os::Interrupted()) {
      ExperimentResult skipped;
      skipped.experiment = _opt.experiments[i];
      skipped.stopReason = "not run (interrupted)";
      run.experiments.push_back(skipped);
      continue;
    }
    std::vector<uint32_t> mine(seeds.begin() + static_cast<std::ptrdiff_t>(i * _jobs),
                               seeds.begin() + static_cast<std::ptrdiff_t>((i + 1) * _jobs));
    run.experiments.push_back(RunExperiment(_opt.experiments[i], mine));
  }
  run.interrupted = os::Interrupted();
  return run;
}

ExperimentResult Manager::RunExperiment(int experiment, const std::vector<uint32_t>& seeds) {
  Experiment x(*this, experiment);
  std::vector<std::unique_ptr<SimulatorSession>> sessions;
  for (int j = 0; j < _jobs; ++j) {
    sessions.push_back(std::make_unique<SimulatorSession>(SimulatorSession::Context{_opt, _pv, experiment, x},
                                                          j, seeds[static_cast<size_t>(j)]));
    sessions.back()->Launch();
  }

  // Stopping: every simulator is asked once; past --quit-timeout (or at a second interrupt)
  // whatever still runs is terminated, and two seconds later killed.
  enum { Collecting, Quitting, Terminating, Killed } stage = Collecting;
  double stageDeadline = 0.0;
  int interruptsAtStop = 0;
  double nextProgress = os::Now() + x.ProgressEvery();
  for (;;) {
    const double now = os::Now();
    if (stage == Collecting) {
      bool simulatorsLeft = false;
      for (auto& s : sessions) simulatorsLeft |= s->Linked() || s->Linking();
      const std::string reason = x.StopReason(now, simulatorsLeft);
      if (!reason.empty()) {
        x.BeginStop(reason, sessions);
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
      x.Progress();
      nextProgress = os::Now() + x.ProgressEvery();
    }
  }
  x.ClearProgress();
  return x.Finish(sessions, _jobs);
}

}  // namespace simmgr

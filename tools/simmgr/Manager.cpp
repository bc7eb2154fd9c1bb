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
#include "Wire.h"

namespace simmgr {

namespace {

const size_t kTailBytes = 2048;

void KeepTail(std::string& tail, const uint8_t* p, size_t n) {
  tail.append(reinterpret_cast<const char*>(p), n);
  if (tail.size() > 2 * kTailBytes) tail.erase(0, tail.size() - kTailBytes);
}

std::string LastLines(std::string text, size_t maxLines) {
  if (text.size() > kTailBytes) text.erase(0, text.size() - kTailBytes);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  size_t pos = text.size();
  for (size_t lines = 0; lines < maxLines && pos != std::string::npos && pos > 0; ++lines)
    pos = text.rfind('\n', pos - 1);
  if (pos != std::string::npos && pos < text.size() && text[pos] == '\n') ++pos;
  if (pos == std::string::npos) pos = 0;
  return text.substr(pos);
}

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

void AnalyseVariable(VariableResult& v, const Options& o) {
  if (!v.steadyState) return;
  stats::BatchMeansSettings settings;
  settings.confidence = o.confidence;
  settings.minBatches = static_cast<size_t>(o.minBatches);
  settings.testLevel = o.batchTestLevel;
  v.batch = stats::AnalyseBatchMeans(v.perSimulator, settings);
  v.analysedAt = v.stats.Count();
}

bool AddObservation(VariableResult& v, size_t simulator, double value) {
  if (!std::isfinite(value)) {
    ++v.nonFinite;
    return false;
  }
  v.stats.Add(value);
  if (v.steadyState) {
    if (v.perSimulator.size() <= simulator) v.perSimulator.resize(simulator + 1);
    v.perSimulator[simulator].push_back(value);
  }
  return true;
}

Interval VariableInterval(const VariableResult& v, const Options& o) {
  if (!v.steadyState) return ConfidenceInterval(v.stats, o.confidence);
  Interval iv;
  iv.mean = v.batch.mean;
  iv.halfWidth = v.batch.halfWidth;
  iv.low = iv.mean - iv.halfWidth;
  iv.high = iv.mean + iv.halfWidth;
  iv.relative = v.batch.relative;
  return iv;
}

std::string ShortOfPrecision(const VariableResult& v, const Options& o) {
  if (v.nonFinite > 0) return "non-finite observations";
  const RunningStats& s = v.stats;
  if (s.Count() < o.minObs || s.Count() < 2) return "too few observations";
  if (v.steadyState) {
    if (!v.batch.enoughBatches) return "too few batches";
    if (!v.batch.independent) return "batches correlated";
    if (!v.batch.normal) return "batch means skewed";
  }
  if (!(VariableInterval(v, o).relative <= o.precision)) return "interval too wide";
  return "";
}

bool PrecisionReached(const VariableResult& v, const Options& o) { return ShortOfPrecision(v, o).empty(); }

// One simulator process and its link, from launch to exit.
struct Manager::Proc {
  enum Phase { Starting, Connecting, Greeting, Running, Stopping, Closed };

  ProcessResult result;
  os::Child child;
  bool exited = false;
  int exitCode = 0;
  int exitSignal = 0;
  Phase phase = Starting;
  int sock = -1;
  int port = 0;
  double deadline = 0.0;
  std::string stdoutLine;  // partial line while looking for the port announcement
  std::string stdoutTail;
  std::vector<uint8_t> outgoing;
  RecordReader reader;
  bool stopRequested = false;
  bool detachRequested = false;
  bool detached = false;
  bool replyToStop = false;
  bool terminated = false;  // we had to signal it
  std::string linkProblem;  // first link failure, reported with the outcome

  bool StreamsOpen() const { return child.outFd >= 0 || child.errFd >= 0; }
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
  ExperimentResult res;
  res.experiment = experiment;
  res.ran = true;
  const bool terminating = _opt.TerminatingRun();
  const bool viaLauncher = !_opt.launchTemplate.empty();
  const double start = os::Now();
  std::map<int, VariableResult> vars;
  if (_pv.Known())
    for (int i = 0; i < _pv.Count(); ++i)
      if (_pv.Considered(i, terminating)) {
        vars[i].index = i;
        vars[i].name = _pv.Name(i);
        vars[i].steadyState = !terminating;
      }

  const bool tty = os::StderrIsTerminal();
  bool progressShown = false;
  auto say = [&](const Proc& p, const std::string& text) {
    if (tty && progressShown) _msg << "\r\x1b[K";  // the progress line is redrawn after the message
    _msg << "simmgr: experiment " << experiment << ", client " << p.result.clientId;
    if (p.result.simulatorPid) _msg << " (pid " << p.result.simulatorPid << ")";
    _msg << ": " << text << "\n";
    _msg.flush();
  };

  std::vector<std::unique_ptr<Proc>> procs;
  for (int j = 0; j < _jobs; ++j) {
    auto p = std::make_unique<Proc>();
    p->result.clientId = j;
    p->result.seed = seeds[static_cast<size_t>(j)];
    p->result.host =
        _opt.hosts.empty() ? "127.0.0.1" : _opt.hosts[static_cast<size_t>(j) % _opt.hosts.size()];
    JobSpec job{experiment, j, p->result.seed, p->result.host};
    const std::vector<std::string> cmd = SimulatorCommand(_opt, job);
    std::vector<std::string> argv = cmd;
    if (viaLauncher) {
      p->result.commandLine = ExpandLaunchTemplate(_opt.launchTemplate, cmd, p->result.host);
      argv = {"/bin/sh", "-c", p->result.commandLine};
    } else {
      p->result.commandLine = ShellJoin(cmd);
    }
    std::string error;
    if (!os::Spawn(argv, p->child, error)) {
      p->exited = true;
      p->phase = Proc::Closed;
      p->result.fault = true;
      p->result.outcome = "could not be started: " + error;
      say(*p, p->result.outcome);
    } else {
      p->result.childPid = p->child.pid;
      p->deadline = os::Now() + _opt.registerTimeout;
    }
    procs.push_back(std::move(p));
  }

  auto closeLink = [&](Proc& p) {
    if (p.sock >= 0) os::Close(p.sock);
    p.sock = -1;
    p.phase = Proc::Closed;
  };
  auto linkFailure = [&](Proc& p, const std::string& why) {
    if (p.linkProblem.empty()) p.linkProblem = why;
    p.result.fault = true;
    say(p, why + "; connection closed");
    closeLink(p);
  };
  auto queueCommand = [&](Proc& p, const std::vector<uint8_t>& bytes) {
    p.outgoing.insert(p.outgoing.end(), bytes.begin(), bytes.end());
  };

  auto handleRecord = [&](Proc& p, const Record& r) -> bool {
    if (p.phase == Proc::Greeting) {
      if (r.kind != Record::Reply || r.reply.marker != 0xFF || r.reply.code != 1) {
        linkFailure(p, "the first record is not a greeting");
        return false;
      }
      if (!viaLauncher && r.reply.pid != static_cast<uint32_t>(p.child.pid)) {
        linkFailure(p, "greeting from process " + std::to_string(r.reply.pid) + ", expected " +
                           std::to_string(p.child.pid));
        return false;
      }
      p.result.simulatorPid = r.reply.pid;
      p.phase = p.stopRequested ? Proc::Stopping : Proc::Running;
      return true;
    }
    switch (r.kind) {
      case Record::Reply:
        if (r.reply.pid != p.result.simulatorPid) {
          linkFailure(p, "reply from process " + std::to_string(r.reply.pid));
          return false;
        }
        if ((r.reply.code == 2 && p.stopRequested) || (r.reply.code == 3 && p.detachRequested))
          p.replyToStop = true;
        if (r.reply.code == 3) p.detached = true;
        return true;
      case Record::CpuTime:
        if (r.cpu.clientId != static_cast<uint8_t>(p.result.clientId) ||
            r.cpu.experiment != static_cast<uint16_t>(experiment)) {
          linkFailure(p, "CPU-time record of client " + std::to_string(r.cpu.clientId) + ", experiment " +
                             std::to_string(r.cpu.experiment));
          return false;
        }
        p.result.cpuSeconds = r.cpu.seconds;
        return true;
      case Record::Data:
        if (r.data.clientId != static_cast<uint8_t>(p.result.clientId) ||
            r.data.experiment != static_cast<uint16_t>(experiment)) {
          linkFailure(p, "data record of client " + std::to_string(r.data.clientId) + ", experiment " +
                             std::to_string(r.data.experiment));
          return false;
        }
        for (const DataBlock& b : r.data.blocks)
          if (_pv.Known() && b.pvIndex >= _pv.Count()) {
            linkFailure(p, "data record names variable " + std::to_string(b.pvIndex) + " but the model has " +
                               std::to_string(_pv.Count()));
            return false;
          }
        size_t reported = 0;  // a report gives every variable the same number of values
        for (const DataBlock& b : r.data.blocks) {
          if (b.kind != 1) continue;  // squared values: the running variance needs only values
          if (!_pv.Considered(b.pvIndex, terminating)) {
            res.ignoredObservations += b.values.size();
            continue;
          }
          auto it = vars.find(b.pvIndex);
          if (it == vars.end()) {
            it = vars.emplace(b.pvIndex, VariableResult()).first;
            it->second.index = b.pvIndex;
            it->second.name = _pv.Name(b.pvIndex);
          }
          VariableResult& var = it->second;
          var.steadyState = !terminating;
          for (double v : b.values)
            if (!AddObservation(var, static_cast<size_t>(p.result.clientId), v) && var.nonFinite == 1)
              say(p, "variable " + var.name + " received a non-finite observation (" + FormatNumber(v) +
                         "); such observations are left out of its estimate, counted, and the variable "
                         "is flagged");
          reported = std::max(reported, b.values.size());
        }
        p.result.observations += reported;
        return true;
    }
    return true;
  };

  auto readSocket = [&](Proc& p) {
    uint8_t buf[65536];
    for (;;) {
      std::string error;
      const long n = os::ReadSome(p.sock, buf, sizeof buf, error);
      if (n == -1) return;
      if (n == -2) {
        linkFailure(p, "read error: " + error);
        return;
      }
      if (n == 0) {
        if (p.reader.Pending() > 0)
          linkFailure(p, "connection closed in the middle of a record (" +
                             std::to_string(p.reader.Pending()) + " bytes received)");
        else if (p.phase == Proc::Greeting)
          linkFailure(p, "connection closed before the greeting");
        else
          closeLink(p);
        return;
      }
      p.reader.Feed(buf, static_cast<size_t>(n));
      Record r;
      for (;;) {
        const RecordReader::Status st = p.reader.Next(r);
        if (st == RecordReader::Status::NeedMore) break;
        if (st == RecordReader::Status::Malformed) {
          linkFailure(p, "malformed record: " + p.reader.Error());
          return;
        }
        if (!handleRecord(p, r)) return;
      }
    }
  };

  auto readPipe = [&](Proc& p, int& fd, bool isStdout) {
    uint8_t buf[8192];
    for (;;) {
      std::string error;
      const long n = os::ReadSome(fd, buf, sizeof buf, error);
      if (n == -1) return;
      if (n <= 0) {
        os::Close(fd);
        fd = -1;
        return;
      }
      if (!isStdout) {
        KeepTail(p.result.stderrTail, buf, static_cast<size_t>(n));
        res.messages.Feed(p.result.clientId, reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
        continue;
      }
      KeepTail(p.stdoutTail, buf, static_cast<size_t>(n));
      if (p.phase != Proc::Starting) continue;
      p.stdoutLine.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
      size_t nl;
      while (p.phase == Proc::Starting && (nl = p.stdoutLine.find('\n')) != std::string::npos) {
        const std::string line = p.stdoutLine.substr(0, nl);
        p.stdoutLine.erase(0, nl + 1);
        int port = 0;
        if (!ParseRegisterLine(line, port)) continue;
        p.port = port;
        p.result.started = true;
        std::string cerr;
        p.sock = os::ConnectStart(p.result.host, port, cerr);
        if (p.sock < 0) {
          linkFailure(p, cerr);
        } else {
          p.phase = Proc::Connecting;
          p.deadline = os::Now() + _opt.registerTimeout;
        }
      }
      if (p.stdoutLine.size() > 65536) p.stdoutLine.erase(0, p.stdoutLine.size() - 4096);
    }
  };

  // Stopping: quit (or detach) every simulator with a connection. One still connecting or
  // greeting may already have sent records (the simulator starts sending once it accepts),
  // so it is asked to stop like the others; the command goes out once connected, as a
  // simulator reads commands only after its greeting. Only one without a connection has
  // nothing to give.
  bool stopping = false;
  double stopDeadline = 0.0;
  bool forced = false;
  int interruptsAtStop = 0;
  auto beginStop = [&](const std::string& reason) {
    stopping = true;
    interruptsAtStop = os::InterruptCount();
    res.stopReason = reason;
    stopDeadline = os::Now() + _opt.quitTimeout;
    for (auto& up : procs) {
      Proc& p = *up;
      p.stopRequested = true;
      const bool linking = p.phase == Proc::Connecting || p.phase == Proc::Greeting;
      if (p.phase == Proc::Running || linking) {
        if (_opt.detachFile.empty()) {
          queueCommand(p, {CmdQuit});
        } else {
          const std::string name = DetachFileName(_opt.detachFile, experiment, p.result.clientId);
          const std::string text = DetachText(name, _opt.detachBatches);
          std::vector<uint8_t> bytes{CmdDetach};
          bytes.insert(bytes.end(), text.begin(), text.end());
          queueCommand(p, bytes);
          p.detachRequested = true;
          res.detachedFiles.push_back(name);
        }
        if (!linking) p.phase = Proc::Stopping;  // a greeting moves the others there
      } else if (p.phase != Proc::Stopping) {
        closeLink(p);
        if (!p.exited && !p.terminated && !p.detached) {
          os::SignalGroup(p.child.pid, os::Stop::Terminate);
          p.terminated = true;
        }
      }
    }
  };

  const double progressEvery = tty ? 0.5 : _opt.progressInterval;
  double nextProgress = os::Now() + progressEvery;
  auto progress = [&]() {
    if (_opt.quiet) return;
    std::ostringstream line;
    line << "experiment " << experiment << ":";
    if (vars.empty()) line << " no observations yet";
    for (const auto& kv : vars) {
      const Interval iv = VariableInterval(kv.second, _opt);
      line << "  " << kv.second.name << " n=" << kv.second.stats.Count();
      if (kv.second.stats.Count() > 0) line << " " << FormatNumber(iv.mean);
      if (kv.second.stats.Count() > 1) line << " +- " << FormatNumber(iv.halfWidth);
    }
    line << "  [" << std::fixed << std::setprecision(1) << os::Now() - start << " s]";
    if (tty)
      _msg << "\r\x1b[K" << line.str();
    else
      _msg << line.str() << "\n";
    _msg.flush();
    progressShown = true;
  };

  for (;;) {
    const double now = os::Now();

    // Which processes still need attention.
    bool anyAlive = false, anyLinked = false, anyWaitingLink = false;
    for (auto& up : procs) {
      Proc& p = *up;
      const bool needExit = !p.exited && !p.detached;
      if (needExit || p.sock >= 0 || p.StreamsOpen()) anyAlive = true;
      if (p.phase == Proc::Running || p.phase == Proc::Stopping) anyLinked = true;
      if (p.phase == Proc::Starting || p.phase == Proc::Connecting || p.phase == Proc::Greeting)
        anyWaitingLink = true;
    }

    if (!stopping) {
      // The steady-state analysis is redone as observations arrive, each time a quarter more
      // have come: every look at the stopping rule is a chance to stop on a lucky sample
      // (tests passing by chance, a variance low by chance), so looks are spaced
      // geometrically rather than taken at every report.
      for (auto& kv : vars) {
        VariableResult& v = kv.second;
        if (v.steadyState && v.stats.Count() > v.analysedAt &&
            v.stats.Count() - v.analysedAt >= std::max<uint64_t>(1, v.analysedAt / 4))
          AnalyseVariable(v, _opt);
      }
      std::string reason;
      // A flagged variable cannot become precise; it does not hold the others back.
      bool allPrecise = !vars.empty(), allMax = _opt.maxObs > 0 && !vars.empty(), allFlagged = !vars.empty();
      for (const auto& kv : vars) {
        if (kv.second.nonFinite > 0) continue;
        allFlagged = false;
        if (!PrecisionReached(kv.second, _opt)) allPrecise = false;
        if (kv.second.stats.Count() < _opt.maxObs) allMax = false;
      }
      if (os::Interrupted())
        reason = "interrupted";
      else if (allFlagged)
        reason = "every variable received non-finite observations";
      else if (allPrecise)
        reason = "precision reached";
      else if (allMax)
        reason = "max-obs reached";
      else if (_opt.timeLimit > 0 && now - start >= _opt.timeLimit)
        reason = "time limit";
      else if (!anyLinked && !anyWaitingLink)
        reason = "all simulators ended";
      if (!reason.empty()) beginStop(reason);
    } else if (!forced && (now >= stopDeadline || os::InterruptCount() > interruptsAtStop)) {
      // Past the time-out (or a second interrupt): end whatever is still running.
      forced = true;
      for (auto& up : procs) {
        Proc& p = *up;
        if (!p.exited && !p.detached) {
          say(p, "did not exit in time; terminating it");
          os::SignalGroup(p.child.pid, os::Stop::Terminate);
          p.terminated = true;
        }
      }
      stopDeadline = now + 2.0;
    } else if (forced && now >= stopDeadline) {
      for (auto& up : procs) {
        Proc& p = *up;
        if (!p.exited && !p.detached) os::SignalGroup(p.child.pid, os::Stop::Kill);
        closeLink(p);
        for (int* fd : {&p.child.outFd, &p.child.errFd}) {
          os::Close(*fd);
          *fd = -1;
        }
      }
      stopDeadline = now + 1e9;
    }

    if (stopping) {
      bool done = true;
      for (auto& up : procs) {
        Proc& p = *up;
        if (p.sock >= 0 || (!p.exited && !p.detached)) done = false;
        if (!p.detached && p.StreamsOpen()) done = false;
      }
      if (done) break;
    }
    if (!anyAlive && stopping) break;

    // Time-outs of the start-up phases.
    for (auto& up : procs) {
      Proc& p = *up;
      if (p.phase == Proc::Starting && !p.exited && now >= p.deadline) {
        p.result.fault = true;
        p.linkProblem = "no port announcement within " + FormatNumber(_opt.registerTimeout) + " s";
        say(p, p.linkProblem);
        p.phase = Proc::Closed;
        os::SignalGroup(p.child.pid, os::Stop::Terminate);
        p.terminated = true;
      } else if ((p.phase == Proc::Connecting || p.phase == Proc::Greeting) && now >= p.deadline) {
        linkFailure(
            p, p.phase == Proc::Connecting ? "connection not established in time" : "no greeting in time");
        os::SignalGroup(p.child.pid, os::Stop::Terminate);
        p.terminated = true;
      } else if (p.phase == Proc::Starting && p.exited && p.child.outFd < 0) {
        p.phase = Proc::Closed;  // ended before announcing a port
      }
    }

    // Poll everything that is open.
    std::vector<os::PollItem> items;
    std::vector<std::pair<Proc*, int>> owners;  // 0 socket, 1 stdout, 2 stderr
    for (auto& up : procs) {
      Proc& p = *up;
      if (p.sock >= 0) {
        os::PollItem it;
        it.fd = p.sock;
        it.wantRead = p.phase != Proc::Connecting;
        it.wantWrite = p.phase == Proc::Connecting || !p.outgoing.empty();
        items.push_back(it);
        owners.emplace_back(&p, 0);
      }
      if (p.child.outFd >= 0) {
        os::PollItem it;
        it.fd = p.child.outFd;
        it.wantRead = true;
        items.push_back(it);
        owners.emplace_back(&p, 1);
      }
      if (p.child.errFd >= 0) {
        os::PollItem it;
        it.fd = p.child.errFd;
        it.wantRead = true;
        items.push_back(it);
        owners.emplace_back(&p, 2);
      }
    }
    os::Poll(items, 50);

    for (size_t i = 0; i < items.size(); ++i) {
      Proc& p = *owners[i].first;
      const int which = owners[i].second;
      if (which == 1 && items[i].readable && p.child.outFd >= 0) readPipe(p, p.child.outFd, true);
      if (which == 2 && items[i].readable && p.child.errFd >= 0) readPipe(p, p.child.errFd, false);
      if (which != 0 || p.sock < 0 || p.sock != items[i].fd) continue;
      if (p.phase == Proc::Connecting) {
        if (!items[i].writable) continue;
        std::string error;
        const int c = os::ConnectResult(p.sock, error);
        if (c < 0) {
          linkFailure(p, "cannot connect to " + p.result.host + ":" + std::to_string(p.port) + ": " + error);
          continue;
        }
        if (c == 0) p.phase = Proc::Greeting;
        continue;
      }
      if (items[i].writable && !p.outgoing.empty()) {
        std::string error;
        const long n = os::WriteSome(p.sock, p.outgoing.data(), p.outgoing.size(), error);
        if (n == -2) {
          linkFailure(p, "send failed: " + error);
          continue;
        }
        if (n > 0) p.outgoing.erase(p.outgoing.begin(), p.outgoing.begin() + n);
      }
      if (items[i].readable && p.sock >= 0) readSocket(p);
    }

    // Children that ended.
    for (auto& up : procs) {
      Proc& p = *up;
      if (p.exited || p.child.pid < 0 || p.detached) continue;
      if (!os::Reap(p.child.pid, p.exitCode, p.exitSignal)) continue;
      p.exited = true;
      if (!p.stopRequested && !p.terminated) {
        const bool clean = p.exitSignal == 0 && p.exitCode == 0;
        if (!clean) p.result.fault = true;
        std::string how = p.exitSignal ? "was ended by " + os::SignalName(p.exitSignal)
                                       : "exited with code " + std::to_string(p.exitCode);
        say(p, how + " before it was asked to stop");
      }
    }
    // Standard error may still hold the end of the story; report it once the pipe is drained.
    if (os::Now() >= nextProgress) {
      progress();
      nextProgress = os::Now() + progressEvery;
    }
  }
  if (progressShown && tty && !_opt.quiet) {
    _msg << "\r\x1b[K";
    _msg.flush();
  }

  for (auto& up : procs) {
    Proc& p = *up;
    closeLink(p);
    // A simulator that has ended may have left the end of a line in the pipe (a message written
    // in pieces); read what is there so no line is cut short.
    if (p.child.errFd >= 0) readPipe(p, p.child.errFd, false);
    os::Close(p.child.outFd);
    os::Close(p.child.errFd);
    p.child.outFd = p.child.errFd = -1;
    ProcessResult& r = p.result;
    res.messages.Finish(r.clientId);
    std::string outcome;
    if (!r.outcome.empty())
      outcome = r.outcome;
    else if (p.detached)
      outcome = "detached into " + DetachFileName(_opt.detachFile, experiment, r.clientId);
    else if (p.exited && p.terminated && r.simulatorPid == 0 && !r.fault)
      outcome = "stopped before it linked";
    else if (p.exited && p.exitSignal)
      outcome = "ended by " + os::SignalName(p.exitSignal);
    else if (p.exited)
      outcome = "exited with code " + std::to_string(p.exitCode);
    else
      outcome = "still running";
    if (p.stopRequested && p.replyToStop && !p.detached) outcome = "quit, " + outcome;
    if (!p.linkProblem.empty()) outcome = p.linkProblem + "; " + outcome;
    if (p.exited && !p.terminated && (p.exitSignal || p.exitCode != 0)) r.fault = true;
    r.outcome = outcome;
    if (r.fault && !r.stderrTail.empty()) {
      r.stderrTail = LastLines(r.stderrTail, 5);
      say(p, "end of its standard error:\n" + r.stderrTail);
    } else if (!r.fault) {
      r.stderrTail.clear();
    }
  }

  res.seconds = os::Now() - start;
  for (auto& kv : vars) {
    AnalyseVariable(kv.second, _opt);  // over everything, records after the quit included
    res.variables.push_back(std::move(kv.second));
  }
  for (auto& up : procs) res.processes.push_back(up->result);
  if (const int failed = res.NotStarted()) {
    _msg << "simmgr: experiment " << experiment << ": " << _jobs - failed << " of " << _jobs
         << " simulators started; the results hold what those sent\n";
    _msg.flush();
  }
  return res;
}

}  // namespace simmgr

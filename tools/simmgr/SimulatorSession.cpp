#include "SimulatorSession.h"

#include <sstream>

#include "Launch.h"

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

// What a child's pipe holds now (0 bytes when nothing yet, or at its end, which closes it).
size_t ReadPipe(int& fd, uint8_t* buf, size_t size) {
  std::string error;
  const long n = os::ReadSome(fd, buf, size, error);
  if (n == -1) return 0;
  if (n <= 0) {
    os::Close(fd);
    fd = -1;
    return 0;
  }
  return static_cast<size_t>(n);
}

}  // namespace

SimulatorSession::SimulatorSession(const Context& context, int clientId, uint32_t seed) : _ctx(context) {
  const Options& o = _ctx.options;
  _result.clientId = clientId;
  _result.seed = seed;
  const size_t h = o.hosts.empty() ? 0 : static_cast<size_t>(clientId) % o.hosts.size();
  _result.host = o.hosts.empty() ? "127.0.0.1" : o.hosts[h];
  _address = h < o.hostAddresses.size() ? o.hostAddresses[h] : _result.host;
  _managerAddress = h < o.managerAddresses.size() ? o.managerAddresses[h] : "";
}

void SimulatorSession::Launch() {
  const Options& o = _ctx.options;
  const std::vector<std::string> cmd = SimulatorCommand(
      o, JobSpec{_ctx.experiment, _result.clientId, _result.seed, _result.host, _address, _managerAddress});
  std::vector<std::string> argv = cmd;
  if (!o.launchTemplate.empty()) {
    _result.commandLine = ExpandLaunchTemplate(o.launchTemplate, cmd, _result.host);
    argv = os::ShellCommand(_result.commandLine);
  } else {
    _result.commandLine = ShellJoin(cmd);
  }
  if (!os::Spawn(argv, _child, _spawnError)) {
    _phase = Phase::NotStarted;
    _ctx.listener.Say(*this, "could not be started: " + _spawnError);
    return;
  }
  _result.childPid = _child.pid;
  _deadline = os::Now() + o.registerTimeout;
}

bool SimulatorSession::ProcessPending() const {
  return _phase != Phase::NotStarted && _phase != Phase::Detached && !_ended;
}

bool SimulatorSession::Settled() const {
  const bool streamsOpen = _child.outFd >= 0 || _child.errFd >= 0;
  return _sock < 0 && !ProcessPending() && (_phase == Phase::Detached || !streamsOpen);
}

bool SimulatorSession::Linked() const {
  return _sock >= 0 && (_phase == Phase::Running || _phase == Phase::Stopping || _phase == Phase::Answered ||
                        _phase == Phase::Detached);
}

bool SimulatorSession::Linking() const {
  return _phase == Phase::Announcing || _phase == Phase::Connecting || _phase == Phase::Greeting ||
         _phase == Phase::StopConnecting || _phase == Phase::StopGreeting;
}

bool SimulatorSession::StopAsked() const {
  switch (_phase) {
    case Phase::StopConnecting:
    case Phase::StopGreeting:
    case Phase::Stopping:
    case Phase::Answered:
    case Phase::Detached:
    case Phase::Stopped:
      return true;
    default:
      return false;
  }
}

void SimulatorSession::CloseLink() {
  if (_sock >= 0) os::Close(_sock);
  _sock = -1;
  switch (_phase) {
    case Phase::Announcing:
    case Phase::Connecting:
    case Phase::Greeting:
    case Phase::Running:
      _phase = Phase::Unlinked;
      break;
    case Phase::StopConnecting:
    case Phase::StopGreeting:
    case Phase::Stopping:
      _phase = Phase::Stopped;
      break;
    default:  // the others say how the link ended already
      break;
  }
}

void SimulatorSession::LinkFailure(const std::string& why) {
  if (_linkProblem.empty()) _linkProblem = why;
  _ctx.listener.Say(*this, why + "; connection closed");
  CloseLink();
}

void SimulatorSession::Signal(os::Stop how) {
  os::SignalGroup(_child.pid, how);
  _signalled = true;
}

bool SimulatorSession::AskToStop(const std::vector<uint8_t>& command) {
  switch (_phase) {
    case Phase::Connecting:
    case Phase::Greeting:
    case Phase::Running:
      // One still linking may already have sent records (a simulator starts sending once it
      // accepts), so it is asked like the others; it reads the command after its greeting.
      _outgoing.insert(_outgoing.end(), command.begin(), command.end());
      _phase = _phase == Phase::Connecting ? Phase::StopConnecting
               : _phase == Phase::Greeting ? Phase::StopGreeting
                                           : Phase::Stopping;
      return true;
    case Phase::Announcing:
    case Phase::Unlinked: {
      // No link: it has nothing to give. One that greeted and then closed its link without a
      // fault has finished its run and is on its way out: it is waited for like one asked to
      // quit, not terminated in the middle of its exit.
      const bool finishing = _phase == Phase::Unlinked && _result.simulatorPid != 0 && _linkProblem.empty();
      _closedOnItsOwn = finishing;
      CloseLink();
      _phase = Phase::Stopped;
      if (!_ended && !_signalled && !finishing) Signal(os::Stop::Terminate);
      return false;
    }
    default:
      return false;
  }
}

void SimulatorSession::CheckDeadlines(double now) {
  const bool connecting = _phase == Phase::Connecting || _phase == Phase::StopConnecting;
  const bool greeting = _phase == Phase::Greeting || _phase == Phase::StopGreeting;
  if (_phase == Phase::Announcing && !_ended && now >= _deadline) {
    std::ostringstream why;
    why << "no port announcement within " << _ctx.options.registerTimeout << " s";
    _linkProblem = why.str();
    _ctx.listener.Say(*this, _linkProblem);
    _phase = Phase::Unlinked;
    Signal(os::Stop::Terminate);
  } else if ((connecting || greeting) && now >= _deadline) {
    LinkFailure(connecting ? "connection not established in time" : "no greeting in time");
    Signal(os::Stop::Terminate);
  } else if (_phase == Phase::Announcing && _ended && _child.outFd < 0) {
    _phase = Phase::Unlinked;  // ended before announcing a port
  }
}

void SimulatorSession::AddPollItems(std::vector<os::PollItem>& items, std::vector<Stream>& tags) const {
  if (_sock >= 0) {
    const bool connecting = _phase == Phase::Connecting || _phase == Phase::StopConnecting;
    os::PollItem it;
    it.fd = _sock;
    it.wantRead = !connecting;
    it.wantWrite = connecting || !_outgoing.empty();
    items.push_back(it);
    tags.push_back(Stream::Socket);
  }
  for (const auto& [fd, tag] :
       {std::make_pair(_child.outFd, Stream::Stdout), std::make_pair(_child.errFd, Stream::Stderr)}) {
    if (fd < 0) continue;
    os::PollItem it;
    it.fd = fd;
    it.wantRead = true;
    items.push_back(it);
    tags.push_back(tag);
  }
}

void SimulatorSession::OnPoll(const os::PollItem& item, Stream tag) {
  if (tag == Stream::Stdout && item.readable && _child.outFd >= 0) ReadStdout();
  if (tag == Stream::Stderr && item.readable && _child.errFd >= 0) ReadStderr();
  if (tag != Stream::Socket || _sock < 0 || _sock != item.fd) return;
  if (_phase == Phase::Connecting || _phase == Phase::StopConnecting) {
    if (!item.writable) return;
    std::string error;
    const int c = os::ConnectResult(_sock, error);
    if (c < 0)
      LinkFailure("cannot connect to " + _result.host + ":" + std::to_string(_port) + ": " + error);
    else if (c == 0)
      _phase = _phase == Phase::Connecting ? Phase::Greeting : Phase::StopGreeting;
    return;
  }
  if (item.writable && !_outgoing.empty()) {
    std::string error;
    const long n = os::WriteSome(_sock, _outgoing.data(), _outgoing.size(), error);
    if (n == -2) {
      LinkFailure("send failed: " + error);
      return;
    }
    if (n > 0) _outgoing.erase(_outgoing.begin(), _outgoing.begin() + n);
  }
  if (item.readable && _sock >= 0) ReadSocket();
}

void SimulatorSession::ReadSocket() {
  uint8_t buf[65536];
  for (;;) {
    std::string error;
    const long n = os::ReadSome(_sock, buf, sizeof buf, error);
    if (n == -1) return;
    if (n == -2) {
      LinkFailure("read error: " + error);
      return;
    }
    if (n == 0) {
      if (_reader.Pending() > 0)
        LinkFailure("connection closed in the middle of a record (" + std::to_string(_reader.Pending()) +
                    " bytes received)");
      else if (_phase == Phase::Greeting || _phase == Phase::StopGreeting)
        LinkFailure("connection closed before the greeting");
      else
        CloseLink();
      return;
    }
    _reader.Feed(buf, static_cast<size_t>(n));
    Record r;
    for (;;) {
      const RecordReader::Status st = _reader.Next(r);
      if (st == RecordReader::Status::NeedMore) break;
      if (st == RecordReader::Status::Malformed) {
        LinkFailure("malformed record: " + _reader.Error());
        return;
      }
      if (!HandleRecord(r)) return;
    }
  }
}

bool SimulatorSession::Addressed(const char* kind, uint8_t clientId, uint16_t experiment) {
  if (clientId == static_cast<uint8_t>(_result.clientId) &&
      experiment == static_cast<uint16_t>(_ctx.experiment))
    return true;
  LinkFailure(std::string(kind) + " record of client " + std::to_string(clientId) + ", experiment " +
              std::to_string(experiment));
  return false;
}

bool SimulatorSession::HandleRecord(const Record& r) {
  if (_phase == Phase::Greeting || _phase == Phase::StopGreeting) {
    if (r.kind != Record::Reply || r.reply.marker != 0xFF || r.reply.code != 1) {
      LinkFailure("the first record is not a greeting");
      return false;
    }
    // Through a launcher the simulator is not the manager's child.
    if (_ctx.options.launchTemplate.empty() && r.reply.pid != static_cast<uint32_t>(_child.pid)) {
      LinkFailure("greeting from process " + std::to_string(r.reply.pid) + ", expected " +
                  std::to_string(_child.pid));
      return false;
    }
    _result.simulatorPid = r.reply.pid;
    _phase = _phase == Phase::StopGreeting ? Phase::Stopping : Phase::Running;
    return true;
  }
  switch (r.kind) {
    case Record::Reply:
      if (r.reply.pid != _result.simulatorPid) {
        LinkFailure("reply from process " + std::to_string(r.reply.pid));
        return false;
      }
      if (r.reply.code == 3)
        _phase = Phase::Detached;
      else if (r.reply.code == 2 && _phase == Phase::Stopping)
        _phase = Phase::Answered;
      return true;
    case Record::CpuTime:
      if (!Addressed("CPU-time", r.cpu.clientId, r.cpu.experiment)) return false;
      _result.cpuSeconds = r.cpu.seconds;
      return true;
    case Record::Data:
      if (!Addressed("data", r.data.clientId, r.data.experiment)) return false;
      for (const DataBlock& b : r.data.blocks)
        if (_ctx.pv.Known() && b.pvIndex >= _ctx.pv.Count()) {
          LinkFailure("data record names variable " + std::to_string(b.pvIndex) + " but the model has " +
                      std::to_string(_ctx.pv.Count()));
          return false;
        }
      _result.observations += _ctx.listener.Data(*this, r.data);
      return true;
  }
  return true;
}

void SimulatorSession::ReadStdout() {
  uint8_t buf[8192];
  for (size_t n; (n = ReadPipe(_child.outFd, buf, sizeof buf)) > 0;) {
    if (_phase != Phase::Announcing) continue;
    _stdoutLine.append(reinterpret_cast<const char*>(buf), n);
    size_t nl;
    while (_phase == Phase::Announcing && (nl = _stdoutLine.find('\n')) != std::string::npos) {
      const std::string line = _stdoutLine.substr(0, nl);
      _stdoutLine.erase(0, nl + 1);
      int port = 0;
      if (!ParseRegisterLine(line, port)) continue;
      _port = port;
      std::string why;
      _sock = os::ConnectStart(_address, port, why);
      if (_sock < 0) {
        LinkFailure(why);
      } else {
        _phase = Phase::Connecting;
        _deadline = os::Now() + _ctx.options.registerTimeout;
      }
    }
    if (_stdoutLine.size() > 65536) _stdoutLine.erase(0, _stdoutLine.size() - 4096);
  }
}

void SimulatorSession::ReadStderr() {
  uint8_t buf[8192];
  for (size_t n; (n = ReadPipe(_child.errFd, buf, sizeof buf)) > 0;) {
    KeepTail(_result.stderrTail, buf, n);
    _ctx.listener.StandardError(*this, reinterpret_cast<const char*>(buf), n);
  }
}

void SimulatorSession::Reap() {
  if (_ended || _child.pid < 0 || _phase == Phase::Detached) return;
  Exit e;
  if (!os::Reap(_child.pid, e.code, e.signal)) return;
  // A launcher (srun, ssh, a shell) reports a process that a signal ended as exit status
  // 128 + the signal's number; it is reported as the signal, as when it runs here.
  if (!_ctx.options.launchTemplate.empty() && e.signal == 0 && e.code > 128 && e.code <= 128 + 64) {
    e.signal = e.code - 128;
    e.code = -1;
  }
  _ended = e;
  if (StopAsked() || _signalled) return;
  const std::string how =
      e.signal ? "was ended by " + os::SignalName(e.signal) : "exited with code " + std::to_string(e.code);
  _ctx.listener.Say(*this, how + " before it was asked to stop");
}

void SimulatorSession::Terminate() {
  if (!ProcessPending()) return;
  // A simulator that ends its run closes its link and exits. One that closed its link and then
  // did not exit did not end that way: it was killed with its launcher still waiting for it, or
  // its node died under a remote launcher (srun, ssh) that has not noticed yet.
  if (_closedOnItsOwn && _linkProblem.empty()) _linkProblem = "closed its link but did not exit";
  _ctx.listener.Say(*this, "did not exit in time; terminating it");
  Signal(os::Stop::Terminate);
}

void SimulatorSession::Kill() {
  if (ProcessPending()) os::SignalGroup(_child.pid, os::Stop::Kill);
  CloseLink();
  os::Close(_child.outFd);
  os::Close(_child.errFd);
  _child.outFd = _child.errFd = -1;
}

bool SimulatorSession::Fault() const {
  return _phase == Phase::NotStarted || !_linkProblem.empty() ||
         (_ended && !_signalled && (_ended->signal != 0 || _ended->code != 0));
}

std::string SimulatorSession::Outcome() const {
  std::string how;
  if (_phase == Phase::NotStarted)
    how = "could not be started: " + _spawnError;
  else if (_phase == Phase::Detached)
    how = "detached into " + DetachFileName(_ctx.options.detachFile, _ctx.experiment, _result.clientId);
  else if (_ended && _signalled && _result.simulatorPid == 0 && _linkProblem.empty())
    how = "stopped before it linked";
  else if (_ended && _ended->signal)
    how = "ended by " + os::SignalName(_ended->signal);
  else if (_ended)
    how = "exited with code " + std::to_string(_ended->code);
  else
    how = "still running";
  if (_phase == Phase::Answered) how = "quit, " + how;
  if (!_linkProblem.empty()) how = _linkProblem + "; " + how;
  return how;
}

ProcessResult SimulatorSession::Conclude() {
  CloseLink();
  // A simulator that has ended may have left the end of a line in the pipe (a message written
  // in pieces); read what is there so no line is cut short.
  if (_child.errFd >= 0) ReadStderr();
  os::Close(_child.outFd);
  os::Close(_child.errFd);
  _child.outFd = _child.errFd = -1;
  ProcessResult r = _result;
  r.outcome = Outcome();
  r.fault = Fault();
  r.started = _port > 0;
  if (r.fault && !r.stderrTail.empty()) {
    r.stderrTail = LastLines(r.stderrTail, 5);
    _ctx.listener.Say(*this, "end of its standard error:\n" + r.stderrTail);
  } else if (!r.fault) {
    r.stderrTail.clear();
  }
  return r;
}

}  // namespace simmgr

// KavrinProcess on POSIX systems: fork and exec. Everything the child needs is made before the
// fork: the child of a process with threads may only make async-signal-safe calls.
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "BaseClasses/KavrinProcess.h"
#include "BaseClasses/KavrinSystem.h"

struct KavrinProcess::Handles {
  bool ownGroup = false;
};

namespace {

void WriteAll(int fd, const char* text, size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, text, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return;
    text += w;
    n -= static_cast<size_t>(w);
  }
}

// A bare program name looked up on PATH as a shell would; a path is kept as it is.
std::string Resolve(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = ::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t from = 0;
  while (from <= dirs.size()) {
    size_t colon = dirs.find(':', from);
    if (colon == std::string::npos) colon = dirs.size();
    const std::string dir = colon > from ? dirs.substr(from, colon - from) : ".";
    const std::string candidate = dir + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    from = colon + 1;
  }
  return program;
}

// This process's environment with the options' changes.
std::vector<std::string> ChildEnvironment(const KavrinProcess::Options& options) {
  std::vector<std::string> out;
  for (const std::string& entry : KavrinSystem::Environment()) {
    const std::string name = entry.substr(0, entry.find('='));
    bool changed = false;
    for (const auto& change : options.env) changed = changed || change.first == name;
    if (!changed) out.push_back(entry);
  }
  for (const auto& change : options.env)
    if (change.second) out.push_back(change.first + "=" + *change.second);
  return out;
}

// The child's standard streams, opened before the fork (closed on exec; dup2 keeps the copies).
struct Streams {
  int in = -1, out = -1, err = -1;
  int outRead = -1, errRead = -1;  // the pipes' ends this process keeps
  std::string error;

  bool OpenFile(int& fd, const std::string& path, bool write) {
    fd = write ? ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644)
               : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) error = path + ": " + KavrinSystem::ErrorText(errno);
    return fd >= 0;
  }
  bool OpenPipe(int& writeEnd, int& readEnd) {
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
      error = "pipe: " + KavrinSystem::ErrorText(errno);
      return false;
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    ::fcntl(readEnd, F_SETFL, ::fcntl(readEnd, F_GETFL) | O_NONBLOCK);
    return true;
  }
  bool Open(const KavrinProcess::Options& o) {
    if (!OpenFile(in, o.stdinFile.empty() ? "/dev/null" : o.stdinFile, false)) return false;
    if (!(o.stdoutFile.empty() ? OpenPipe(out, outRead) : OpenFile(out, o.stdoutFile, true))) return false;
    if (o.mergeErrIntoOut) return true;
    return o.stderrFile.empty() ? OpenPipe(err, errRead) : OpenFile(err, o.stderrFile, true);
  }
  // In the parent after the fork.
  void CloseChildEnds() {
    for (int fd : {in, out, err})
      if (fd >= 0) ::close(fd);
    in = out = err = -1;
  }
  void CloseAll() {
    CloseChildEnds();
    for (int fd : {outRead, errRead})
      if (fd >= 0) ::close(fd);
    outRead = errRead = -1;
  }
  // In the child.
  void Redirect() const {
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(err >= 0 ? err : out, 2);
  }
};

// Until the child has put back the default actions, a stop signal sent to it would run this
// process's own handler in the child and be lost: those signals are held across the fork, and
// the child takes a pending one only once it would end it.
class HeldStopSignals {
 public:
  HeldStopSignals() {
    sigset_t stops;
    sigemptyset(&stops);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
    ::sigprocmask(SIG_BLOCK, &stops, &_before);
  }
  ~HeldStopSignals() { ::sigprocmask(SIG_SETMASK, &_before, nullptr); }
  // In the child: default actions, then the signals as they were.
  void DefaultsInChild() const {
    for (int sig : {SIGPIPE, SIGINT, SIGTERM, SIGHUP}) ::signal(sig, SIG_DFL);
    ::sigprocmask(SIG_SETMASK, &_before, nullptr);
  }

 private:
  sigset_t _before;
};

// Opens the child's streams and forks. In the child (result 0) its group, signals and streams
// are already set up; in this process (the child's id) the child's ends are closed. -1 with a
// reason when there is no child.
pid_t ForkWithStreams(const KavrinProcess::Options& options, Streams& streams, std::string& error) {
  if (!streams.Open(options)) {
    error = streams.error;
    streams.CloseAll();
    return -1;
  }
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  HeldStopSignals held;
  const pid_t pid = ::fork();
  if (pid < 0) {
    error = "fork: " + KavrinSystem::ErrorText(errno);
    streams.CloseAll();
    return -1;
  }
  if (pid == 0) {
    if (options.ownGroup) ::setpgid(0, 0);
    held.DefaultsInChild();
    streams.Redirect();
    return 0;
  }
  if (options.ownGroup) ::setpgid(pid, pid);  // also here: a signal may be sent before the child runs
  streams.CloseChildEnds();
  return pid;
}

}  // namespace

KavrinProcess::KavrinProcess() : _handles(std::make_unique<Handles>()) {}

KavrinProcess::~KavrinProcess() {
  for (int fd : {_outFd, _errFd})
    if (fd >= 0) ::close(fd);
}

bool KavrinProcess::Start(const std::vector<std::string>& argv, const Options& options, std::string& error) {
  if (argv.empty()) {
    error = "nothing to start";
    return false;
  }
  std::vector<std::string> words = argv;
  std::vector<char*> args;
  for (std::string& w : words) args.push_back(&w[0]);
  args.push_back(nullptr);
  std::vector<std::string> environment = ChildEnvironment(options);
  std::vector<char*> envp;
  for (std::string& e : environment) envp.push_back(&e[0]);
  envp.push_back(nullptr);
  const std::string path = Resolve(argv[0]);
  const std::string notRun = options.notRunText + (options.notRunReason ? ": " : "\n");
  const char* workDir = options.workDir.empty() ? nullptr : options.workDir.c_str();

  Streams streams;
  const pid_t pid = ForkWithStreams(options, streams, error);
  if (pid < 0) return false;
  if (pid == 0) {
    if (workDir != nullptr && ::chdir(workDir) != 0) ::_exit(126);
    ::execve(path.c_str(), args.data(), envp.data());
    const int why = errno;
    WriteAll(2, notRun.data(), notRun.size());
    if (options.notRunReason) {
      const char* reason = ::strerror(why);
      WriteAll(2, reason, ::strlen(reason));
      WriteAll(2, "\n", 1);
    }
    ::_exit(127);
  }
  _handles->ownGroup = options.ownGroup;
  _id = static_cast<int>(pid);
  _outFd = streams.outRead;
  _errFd = streams.errRead;
  return true;
}

bool KavrinProcess::StartCopy(const std::function<int()>& body, const Options& options, std::string& error) {
  Streams streams;
  const pid_t pid = ForkWithStreams(options, streams, error);
  if (pid < 0) return false;
  if (pid == 0) {
    const int code = body();
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    ::_exit(code);  // no exit handlers of the parent's (a test framework's) in the copy
  }
  _handles->ownGroup = options.ownGroup;
  _id = static_cast<int>(pid);
  _outFd = streams.outRead;
  _errFd = streams.errRead;
  return true;
}

bool KavrinProcess::Poll() {
  if (_ended || _id <= 0) return _ended;
  int status = 0;
  pid_t r;
  do {
    r = ::waitpid(_id, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r != _id) return false;
  _ended = true;
  _exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  _signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return true;
}

bool KavrinProcess::Wait(double timeoutSeconds) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(timeoutSeconds * 1000));
  auto pause = std::chrono::milliseconds(1);
  while (!Poll()) {
    if (_id <= 0) return false;
    if (timeoutSeconds >= 0 && Clock::now() > deadline) return false;
    std::this_thread::sleep_for(pause);
    if (pause < std::chrono::milliseconds(20)) pause *= 2;
  }
  return true;
}

void KavrinProcess::Send(Stop how) {
  if (_id <= 0 || _ended) return;
  static const int kSignals[] = {SIGINT, SIGHUP, SIGTERM, SIGKILL};  // in the order of Stop
  ::kill(_handles->ownGroup ? -_id : _id, kSignals[static_cast<int>(how)]);
}

std::string KavrinProcess::SignalName(int signalNumber) {
  const char* s = ::strsignal(signalNumber);
  return s ? s : "signal " + std::to_string(signalNumber);
}

std::string KavrinProcess::ShellQuote(const std::string& word) { return QuoteForShell(word); }

std::vector<std::string> KavrinProcess::ShellCommand(const std::string& commandLine) {
  return {"/bin/sh", "-c", commandLine};
}

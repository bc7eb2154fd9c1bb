// KavrinProcess on Windows: CreateProcess with the C runtime's quoting. A child's output pipe is
// read by a thread of its own that copies it into a loopback connection, so that the reading end
// handed out is a socket like every other descriptor here and one poll serves them all.
#include <winsock2.h>
//
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinProcess.h"
#include "BaseClasses/KavrinSystem.h"

struct KavrinProcess::Handles {
  HANDLE process = nullptr;
  HANDLE job = nullptr;  // null when the child has no job of its own
};

namespace {

// The numbers a POSIX system gives these signals.
constexpr int kSigHup = 1, kSigInt = 2, kSigKill = 9, kSigTerm = 15;

const char* const kShellMarker = "\x01cmd";

std::string SystemMessage(DWORD code) { return KavrinSystem::SystemErrorText(code); }

// A connected pair of loopback sockets: [0] for the poll loop, [1] for the copying thread.
bool SocketPair(int pair[2]) {
  pair[0] = pair[1] = -1;
  const int listener = KavrinNet::Open();
  if (listener < 0) return false;
  KavrinNet::PrepareToListen(listener);
  bool ok = KavrinNet::Bind(listener, "127.0.0.1", 0) == 0 && KavrinNet::Listen(listener, 1) == 0;
  const int port = ok ? KavrinNet::BoundPort(listener) : -1;
  if (ok) {
    pair[1] = KavrinNet::Open();
    ok = pair[1] >= 0 && KavrinNet::Connect(pair[1], "127.0.0.1", port) == 0 &&
         KavrinNet::Accept(listener, pair[0]) == 0;
  }
  KavrinNet::Close(listener);
  if (!ok) {
    KavrinNet::Close(pair[1]);
    pair[0] = pair[1] = -1;
  }
  return ok;
}

// Copies a child's output pipe into the loopback socket until the child closes it. When nobody
// reads any more, the rest is drained so that the child never blocks on a full pipe.
void CopyPipe(HANDLE pipe, int sink) {
  char buf[4096];
  bool forwarding = sink >= 0;
  DWORD n = 0;
  while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n > 0) {
    for (DWORD sent = 0; forwarding && sent < n;) {
      const long r = KavrinNet::Write(sink, buf + sent, n - sent);
      if (r <= 0)
        forwarding = false;
      else
        sent += static_cast<DWORD>(r);
    }
  }
  CloseHandle(pipe);
  if (sink >= 0) {
    KavrinNet::Shutdown(sink, true);
    KavrinNet::Close(sink);
  }
}

// The command line for argv. ShellCommand's argv runs its text through cmd.exe (/s: the outer
// quotes are removed and the rest is taken as it is).
std::string CommandLine(const std::vector<std::string>& argv) {
  if (argv.size() == 2 && argv[0] == kShellMarker) {
    const char* comspec = std::getenv("ComSpec");
    return KavrinProcess::QuoteForRuntime(comspec && *comspec ? comspec : "cmd.exe") + " /d /s /c \"" +
           argv[1] + "\"";
  }
  return KavrinProcess::RuntimeCommandLine(argv);
}

// This process's environment with the options' changes, as a block for CreateProcess; an empty
// block when nothing changes (the child then inherits this process's).
std::string ChildEnvironment(const KavrinProcess::Options& options) {
  if (options.env.empty()) return std::string();
  std::string block;
  for (const std::string& entry : KavrinSystem::Environment()) {
    const std::string name = entry.substr(0, entry.find('=', 1));  // "=C:=..." entries keep their '='
    bool changed = false;
    for (const auto& change : options.env)
      changed = changed || KavrinSystem::SameVariable(change.first, name);
    if (!changed) block += entry + '\0';
  }
  for (const auto& change : options.env)
    if (change.second) block += change.first + "=" + *change.second + '\0';
  block += '\0';
  return block;
}

HANDLE OpenForChild(const std::string& path, bool write) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  return CreateFileA(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &sa,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// The child's standard streams: files, or pipes whose writing end the child inherits.
struct Streams {
  HANDLE in = INVALID_HANDLE_VALUE, out = INVALID_HANDLE_VALUE, err = INVALID_HANDLE_VALUE;
  HANDLE outRead = nullptr, errRead = nullptr;
  std::string error;

  bool OpenFile(HANDLE& h, const std::string& path, bool write) {
    h = OpenForChild(path, write);
    if (h == INVALID_HANDLE_VALUE) error = path + ": " + SystemMessage(GetLastError());
    return h != INVALID_HANDLE_VALUE;
  }
  bool OpenPipe(HANDLE& writeEnd, HANDLE& readEnd) {
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
      error = "pipe: " + SystemMessage(GetLastError());
      readEnd = nullptr;
      writeEnd = INVALID_HANDLE_VALUE;
      return false;
    }
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    return true;
  }
  bool Open(const KavrinProcess::Options& o) {
    if (!OpenFile(in, o.stdinFile.empty() ? "NUL" : o.stdinFile, false)) return false;
    if (!(o.stdoutFile.empty() ? OpenPipe(out, outRead) : OpenFile(out, o.stdoutFile, true))) return false;
    if (o.mergeErrIntoOut) return true;
    return o.stderrFile.empty() ? OpenPipe(err, errRead) : OpenFile(err, o.stderrFile, true);
  }
  void CloseChildEnds() {
    for (HANDLE* h : {&in, &out, &err}) {
      if (*h != INVALID_HANDLE_VALUE) CloseHandle(*h);
      *h = INVALID_HANDLE_VALUE;
    }
  }
  void CloseAll() {
    CloseChildEnds();
    for (HANDLE* h : {&outRead, &errRead}) {
      if (*h) CloseHandle(*h);
      *h = nullptr;
    }
  }
};

// The reading end of a pipe as a socket; -1 (and the output drained and dropped) when no socket
// pair can be made.
int PipeAsSocket(HANDLE pipe) {
  if (pipe == nullptr) return -1;
  int pair[2];
  if (!SocketPair(pair)) {
    std::thread(CopyPipe, pipe, -1).detach();
    return -1;
  }
  KavrinNet::SetNonBlocking(pair[0]);
  std::thread(CopyPipe, pipe, pair[1]).detach();
  return pair[0];
}

}  // namespace

KavrinProcess::KavrinProcess() : _handles(std::make_unique<Handles>()) {}

KavrinProcess::~KavrinProcess() {
  if (_handles->process) CloseHandle(_handles->process);
  if (_handles->job) CloseHandle(_handles->job);
  KavrinNet::Close(_outFd);
  KavrinNet::Close(_errFd);
}

bool KavrinProcess::Start(const std::vector<std::string>& argv, const Options& options, std::string& error) {
  if (argv.empty()) {
    error = "nothing to start";
    return false;
  }
  KavrinNet::StartLibrary();
  Streams streams;
  if (!streams.Open(options)) {
    error = streams.error;
    streams.CloseAll();
    return false;
  }
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = streams.in;
  si.hStdOutput = streams.out;
  si.hStdError = options.mergeErrIntoOut ? streams.out : streams.err;
  PROCESS_INFORMATION pi{};
  std::string line = CommandLine(argv);
  std::string environment = ChildEnvironment(options);
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  // Always a process group of its own: a console program only receives a Ctrl-Break sent to its
  // group. Suspended until it is in its job.
  const BOOL started =
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED,
                     environment.empty() ? nullptr : &environment[0],
                     options.workDir.empty() ? nullptr : options.workDir.c_str(), &si, &pi);
  const DWORD startError = GetLastError();
  streams.CloseChildEnds();
  if (!started) {
    streams.CloseAll();
    error = "cannot start " + argv[0] + ": " + SystemMessage(startError);
    return false;
  }
  _handles->process = pi.hProcess;
  if (options.ownGroup) {
    _handles->job = CreateJobObjectA(nullptr, nullptr);
    if (_handles->job && !AssignProcessToJobObject(_handles->job, pi.hProcess)) {
      CloseHandle(_handles->job);
      _handles->job = nullptr;  // stopping it then ends the process itself only
    }
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);
  _id = static_cast<int>(pi.dwProcessId);
  _outFd = PipeAsSocket(streams.outRead);
  _errFd = PipeAsSocket(streams.errRead);
  return true;
}

// Windows cannot copy a running process.
bool KavrinProcess::StartCopy(const std::function<int()>&, const Options&, std::string& error) {
  error = "a copy of the running process cannot be made on Windows";
  return false;
}

bool KavrinProcess::Poll() { return Wait(0); }

bool KavrinProcess::Wait(double timeoutSeconds) {
  if (_ended || !_handles->process) return _ended;
  const DWORD ms = timeoutSeconds < 0 ? INFINITE : static_cast<DWORD>(timeoutSeconds * 1000);
  if (WaitForSingleObject(_handles->process, ms) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(_handles->process, &code);
  _ended = true;
  _exitCode = _signal ? -1 : static_cast<int>(code);
  return true;
}

// An interrupt or a hang-up is a Ctrl-Break to the child's group. Windows has no polite stop
// request for a console program in another group: a termination ends the child (with its job)
// at once, like a kill.
void KavrinProcess::Send(Stop how) {
  if (!_handles->process || _ended) return;
  if (how == Stop::Interrupt || how == Stop::Hangup) {
    GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, static_cast<DWORD>(_id));
    return;
  }
  if (WaitForSingleObject(_handles->process, 0) == WAIT_OBJECT_0) return;  // already ended on its own
  const int sig = how == Stop::Kill ? kSigKill : kSigTerm;
  const UINT code = 128 + static_cast<UINT>(sig);
  const BOOL done =
      _handles->job ? TerminateJobObject(_handles->job, code) : TerminateProcess(_handles->process, code);
  if (done && _signal == 0) _signal = sig;
}

std::string KavrinProcess::SignalName(int signalNumber) {
  switch (signalNumber) {
    case kSigHup:
      return "Hangup";
    case kSigInt:
      return "Interrupt";
    case kSigKill:
      return "Killed";
    case kSigTerm:
      return "Terminated";
    default:
      return "signal " + std::to_string(signalNumber);
  }
}

// Quoted as the C runtime reads a word back, and so that cmd.exe leaves & | < > ^ ( ) inside it alone.
std::string KavrinProcess::ShellQuote(const std::string& word) {
  const std::string safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:,+@\\";
  if (!word.empty() && word.find_first_not_of(safe) == std::string::npos) return word;
  return QuoteForRuntime(word, true);
}

std::vector<std::string> KavrinProcess::ShellCommand(const std::string& commandLine) {
  return {kShellMarker, commandLine};
}

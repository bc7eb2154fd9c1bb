// The manager's OS layer on Windows. Every descriptor handed out is a socket, so one select()
// serves the simulators' links and their output alike: a thread per output pipe of a child
// copies what the child writes into a loopback connection whose reading end the poll loop holds.
// Each simulator runs in a job object of its own, so stopping it also stops whatever it started
// (a launch template runs through cmd.exe).
#ifndef FD_SETSIZE
#define FD_SETSIZE 2048  // three descriptors for each of up to 256 jobs, and more
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
//
#include <io.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "Os.h"

namespace simmgr {
namespace os {

namespace {

std::atomic<int> gInterrupted{0};

// The numbers a POSIX system gives these signals, so that reports read the same.
constexpr int kSigInt = 2, kSigKill = 9, kSigTerm = 15;

struct Process {
  HANDLE process = nullptr;
  HANDLE job = nullptr;  // null when the process could not be put into a job of its own
  int stoppedBy = 0;     // the "signal" we ended it with, 0 while it ran its course
};
std::mutex gProcessLock;
std::map<int, Process> gProcesses;

SOCKET Handle(int fd) { return fd < 0 ? INVALID_SOCKET : static_cast<SOCKET>(static_cast<unsigned int>(fd)); }

void StartWinsock() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD n = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string s = n && text ? std::string(text, n) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == '.' || s.back() == ' '))
    s.pop_back();
  return s;
}

SOCKET NewSocket() {
  return WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                    WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

void SetNonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

// A connected pair of loopback sockets: [0] for the poll loop, [1] for the copying thread.
bool SocketPair(SOCKET pair[2], std::string& error) {
  SOCKET listener = NewSocket();
  if (listener == INVALID_SOCKET) {
    error = "socket: " + SystemMessage(WSAGetLastError());
    return false;
  }
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int len = sizeof addr;
  BOOL one = TRUE;
  setsockopt(listener, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one), sizeof one);
  pair[0] = pair[1] = INVALID_SOCKET;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(listener, 1) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    error = "loopback pair: " + SystemMessage(WSAGetLastError());
    closesocket(listener);
    return false;
  }
  pair[1] = NewSocket();
  if (pair[1] == INVALID_SOCKET || connect(pair[1], reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      (pair[0] = accept(listener, nullptr, nullptr)) == INVALID_SOCKET) {
    error = "loopback pair: " + SystemMessage(WSAGetLastError());
    if (pair[1] != INVALID_SOCKET) closesocket(pair[1]);
    closesocket(listener);
    return false;
  }
  SetHandleInformation(reinterpret_cast<HANDLE>(pair[0]), HANDLE_FLAG_INHERIT, 0);
  closesocket(listener);
  return true;
}

// Copies a child's output pipe into the loopback socket until the child closes it. When the
// manager no longer reads, the rest is drained so that the child never blocks on a full pipe.
void CopyPipe(HANDLE pipe, SOCKET sink) {
  char buf[4096];
  bool forwarding = true;
  DWORD n = 0;
  while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n > 0) {
    for (DWORD sent = 0; forwarding && sent < n;) {
      const int r = send(sink, buf + sent, static_cast<int>(n - sent), 0);
      if (r <= 0)
        forwarding = false;
      else
        sent += static_cast<DWORD>(r);
    }
  }
  CloseHandle(pipe);
  shutdown(sink, SD_SEND);
  closesocket(sink);
}

// One argument as the C runtime's command-line parser reads it back (backslashes are literal
// except before a quote).
std::string QuoteArgument(const std::string& a, bool always = false) {
  if (!always && !a.empty() && a.find_first_of(" \t\n\v\"") == std::string::npos) return a;
  std::string out = "\"";
  for (size_t i = 0;; ++i) {
    size_t backslashes = 0;
    while (i < a.size() && a[i] == '\\') {
      ++i;
      ++backslashes;
    }
    if (i == a.size()) {
      out.append(backslashes * 2, '\\');
      break;
    }
    if (a[i] == '"') {
      out.append(backslashes * 2 + 1, '\\');
    } else {
      out.append(backslashes, '\\');
    }
    out.push_back(a[i]);
  }
  out.push_back('"');
  return out;
}

const char* const kShellMarker = "\x01cmd";

// The command line for argv. ShellCommand's argv runs its text through cmd.exe (/s: the outer
// quotes are removed and the rest is taken as it is).
std::string CommandLine(const std::vector<std::string>& argv) {
  if (argv.size() == 2 && argv[0] == kShellMarker) {
    const char* comspec = std::getenv("ComSpec");
    return QuoteArgument(comspec && *comspec ? comspec : "cmd.exe") + " /d /s /c \"" + argv[1] + "\"";
  }
  std::string line;
  for (const std::string& a : argv) {
    if (!line.empty()) line += ' ';
    line += QuoteArgument(a);
  }
  return line;
}

// A pipe whose writing end the child inherits; the reading end stays here.
bool OutputPipe(HANDLE& readEnd, HANDLE& writeEnd, std::string& error) {
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  if (!CreatePipe(&readEnd, &writeEnd, &sa, 0)) {
    error = "pipe: " + SystemMessage(GetLastError());
    return false;
  }
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  return true;
}

BOOL WINAPI OnConsoleEvent(DWORD type) {
  switch (type) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      ++gInterrupted;
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::string ErrorText(int err) {
  if (err >= WSABASEERR) return SystemMessage(static_cast<DWORD>(err));
  return std::strerror(err);
}

bool Spawn(const std::vector<std::string>& argv, Child& child, std::string& error) {
  if (argv.empty()) {
    error = "nothing to start";
    return false;
  }
  StartWinsock();
  HANDLE outRead, outWrite, errRead, errWrite;
  if (!OutputPipe(outRead, outWrite, error)) return false;
  if (!OutputPipe(errRead, errWrite, error)) {
    for (HANDLE h : {outRead, outWrite}) CloseHandle(h);
    return false;
  }
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE nul =
      CreateFileA("NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = nul;
  si.hStdOutput = outWrite;
  si.hStdError = errWrite;
  PROCESS_INFORMATION pi{};
  std::string line = CommandLine(argv);
  // A process group of its own: a Ctrl-C at the console reaches only the manager, which then
  // quits the simulators in order. Suspended until it is in its job.
  const BOOL started =
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NEW_PROCESS_GROUP | CREATE_SUSPENDED,
                     nullptr, nullptr, &si, &pi);
  const DWORD startError = GetLastError();
  for (HANDLE h : {outWrite, errWrite, nul})
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  if (!started) {
    for (HANDLE h : {outRead, errRead}) CloseHandle(h);
    error = "cannot start " + argv[0] + ": " + SystemMessage(startError);
    return false;
  }
  Process proc;
  proc.process = pi.hProcess;
  proc.job = CreateJobObjectA(nullptr, nullptr);
  if (proc.job && !AssignProcessToJobObject(proc.job, pi.hProcess)) {
    CloseHandle(proc.job);
    proc.job = nullptr;  // stopping it then ends the process itself only
  }
  ResumeThread(pi.hThread);
  CloseHandle(pi.hThread);

  int fds[2] = {-1, -1};
  HANDLE pipes[2] = {outRead, errRead};
  for (int i = 0; i < 2; ++i) {
    SOCKET pair[2];
    std::string pairError;
    if (!SocketPair(pair, pairError)) {
      // Without a way to read it, the output is drained and dropped.
      std::thread([pipe = pipes[i]] {
        char buf[4096];
        DWORD n;
        while (ReadFile(pipe, buf, sizeof buf, &n, nullptr) && n > 0) {
        }
        CloseHandle(pipe);
      }).detach();
      continue;
    }
    SetNonBlocking(pair[0]);
    fds[i] = static_cast<int>(pair[0]);
    std::thread(CopyPipe, pipes[i], pair[1]).detach();
  }
  child.pid = static_cast<int>(pi.dwProcessId);
  child.outFd = fds[0];
  child.errFd = fds[1];
  std::lock_guard<std::mutex> lock(gProcessLock);
  gProcesses[child.pid] = proc;
  return true;
}

bool Reap(int pid, int& exitCode, int& signalNumber) {
  std::lock_guard<std::mutex> lock(gProcessLock);
  auto it = gProcesses.find(pid);
  if (it == gProcesses.end()) return false;
  if (WaitForSingleObject(it->second.process, 0) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  GetExitCodeProcess(it->second.process, &code);
  signalNumber = it->second.stoppedBy;
  exitCode = signalNumber ? -1 : static_cast<int>(code);
  CloseHandle(it->second.process);
  if (it->second.job) CloseHandle(it->second.job);
  gProcesses.erase(it);
  return true;
}

// Windows has no polite stop request for a console program in another process group: both
// ways end the job (the simulator and anything it started) at once.
void SignalGroup(int pid, Stop how) {
  std::lock_guard<std::mutex> lock(gProcessLock);
  auto it = gProcesses.find(pid);
  if (it == gProcesses.end()) return;
  Process& p = it->second;
  if (WaitForSingleObject(p.process, 0) == WAIT_OBJECT_0) return;  // already ended on its own
  const int sig = how == Stop::Kill ? kSigKill : kSigTerm;
  const UINT code = 128 + static_cast<UINT>(sig);
  const BOOL done = p.job ? TerminateJobObject(p.job, code) : TerminateProcess(p.process, code);
  if (done && p.stoppedBy == 0) p.stoppedBy = sig;
}

std::string SignalName(int signalNumber) {
  switch (signalNumber) {
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

bool ResolveIPv4(const std::string& host, std::string& address, std::string& error) {
  StartWinsock();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &res);
  if (rc != 0 || !res) {
    error = "cannot resolve " + host + ": " + SystemMessage(static_cast<DWORD>(rc));
    return false;
  }
  const auto* in = reinterpret_cast<const sockaddr_in*>(res->ai_addr);
  const auto* b = reinterpret_cast<const unsigned char*>(&in->sin_addr);
  address = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
            std::to_string(b[3]);
  freeaddrinfo(res);
  return true;
}

bool LocalAddressTo(const std::string& remote, std::string& local, std::string& error) {
  StartWinsock();
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);  // a datagram socket's connect only picks the route
  if (inet_pton(AF_INET, remote.c_str(), &to.sin_addr) != 1) {
    error = remote + " is not an IPv4 address";
    return false;
  }
  const SOCKET s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == INVALID_SOCKET) {
    error = "socket: " + SystemMessage(WSAGetLastError());
    return false;
  }
  sockaddr_in from{};
  int len = sizeof from;
  const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
                  getsockname(s, reinterpret_cast<sockaddr*>(&from), &len) == 0;
  if (!ok) error = "no route to " + remote + ": " + SystemMessage(WSAGetLastError());
  closesocket(s);
  if (!ok) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(&from.sin_addr);
  local = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
          std::to_string(b[3]);
  return true;
}

int ConnectStart(const std::string& host, int port, std::string& error) {
  StartWinsock();
  addrinfo hints{};
  hints.ai_family = AF_INET;  // the simulator listens on IPv4 only
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res);
  if (rc != 0 || !res) {
    error = "cannot resolve " + host + ": " + SystemMessage(static_cast<DWORD>(rc));
    return -1;
  }
  const SOCKET s = NewSocket();
  if (s == INVALID_SOCKET) {
    error = "socket: " + SystemMessage(WSAGetLastError());
    freeaddrinfo(res);
    return -1;
  }
  SetNonBlocking(s);
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  const int c = connect(s, res->ai_addr, static_cast<int>(res->ai_addrlen));
  freeaddrinfo(res);
  if (c != 0 && WSAGetLastError() != WSAEWOULDBLOCK) {
    error = "connect to " + host + ":" + std::to_string(port) + ": " + SystemMessage(WSAGetLastError());
    closesocket(s);
    return -1;
  }
  return static_cast<int>(s);
}

int ConnectResult(int fd, std::string& error) {
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(Handle(fd), &writable);
  FD_SET(Handle(fd), &failed);
  timeval now{0, 0};
  if (select(0, nullptr, &writable, &failed, &now) <= 0) return 1;
  if (!FD_ISSET(Handle(fd), &failed)) return 0;
  int soError = 0;
  int len = sizeof soError;
  if (getsockopt(Handle(fd), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0)
    soError = WSAGetLastError();
  error = SystemMessage(static_cast<DWORD>(soError ? soError : WSAECONNREFUSED));
  return -1;
}

long ReadSome(int fd, uint8_t* buf, size_t n, std::string& error) {
  const int r =
      recv(Handle(fd), reinterpret_cast<char*>(buf), static_cast<int>(n > 1 << 30 ? 1 << 30 : n), 0);
  if (r >= 0) return r;
  const int err = WSAGetLastError();
  if (err == WSAEWOULDBLOCK) return -1;
  error = SystemMessage(static_cast<DWORD>(err));
  return -2;
}

long WriteSome(int fd, const uint8_t* buf, size_t n, std::string& error) {
  const int r =
      send(Handle(fd), reinterpret_cast<const char*>(buf), static_cast<int>(n > 1 << 30 ? 1 << 30 : n), 0);
  if (r >= 0) return r;
  const int err = WSAGetLastError();
  if (err == WSAEWOULDBLOCK) return -1;
  error = SystemMessage(static_cast<DWORD>(err));
  return -2;
}

void Close(int fd) {
  if (fd >= 0) closesocket(Handle(fd));
}

// select() rather than WSAPoll: WSAPoll does not report a refused connection on every Windows
// version. A failed connection shows in the exception set and counts as writable, as on POSIX.
void Poll(std::vector<PollItem>& items, int timeoutMs) {
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  bool any = false;
  for (const PollItem& it : items) {
    if (it.fd < 0) continue;
    if (it.wantRead) FD_SET(Handle(it.fd), &readable);
    if (it.wantWrite) {
      FD_SET(Handle(it.fd), &writable);
      FD_SET(Handle(it.fd), &failed);
    }
    any = any || it.wantRead || it.wantWrite;
  }
  int r = 0;
  if (any) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    r = select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &tv);
  } else if (timeoutMs > 0) {
    Sleep(static_cast<DWORD>(timeoutMs));
  }
  for (PollItem& it : items) {
    const bool ok = r > 0 && it.fd >= 0;
    it.readable = ok && it.wantRead && FD_ISSET(Handle(it.fd), &readable);
    it.writable =
        ok && it.wantWrite && (FD_ISSET(Handle(it.fd), &writable) || FD_ISSET(Handle(it.fd), &failed));
  }
}

void InstallInterruptHandler() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

bool Interrupted() { return gInterrupted.load() != 0; }

int InterruptCount() { return gInterrupted.load(); }

// Windows has no broken-pipe signal: a write to a closed reader fails with an error.
void IgnoreBrokenPipe() {}

// Quoted as the C runtime reads a word back, and so that cmd.exe leaves & | < > ^ ( ) inside it alone.
std::string ShellQuote(const std::string& word) {
  const std::string safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:,+@\\";
  if (!word.empty() && word.find_first_not_of(safe) == std::string::npos) return word;
  return QuoteArgument(word, true);
}

std::vector<std::string> ShellCommand(const std::string& commandLine) { return {kShellMarker, commandLine}; }

bool StderrIsTerminal() { return _isatty(2) != 0; }

int CpuCount() {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  return info.dwNumberOfProcessors > 0 ? static_cast<int>(info.dwNumberOfProcessors) : 1;
}

double Now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
  if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  error = SystemMessage(GetLastError());
  return false;
}

int ProcessId() { return static_cast<int>(GetCurrentProcessId()); }

std::string HostName() {
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (!GetComputerNameA(name, &size)) return "";
  return std::string(name, size);
}

}  // namespace os
}  // namespace simmgr

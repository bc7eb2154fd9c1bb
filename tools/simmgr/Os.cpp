#include "Os.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace simmgr {
namespace os {

namespace {

volatile sig_atomic_t gInterrupted = 0;

void OnInterrupt(int) { gInterrupted = gInterrupted + 1; }

void SetNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

}  // namespace

std::string ErrorText(int err) { return std::strerror(err); }

bool Spawn(const std::vector<std::string>& argv, Child& child, std::string& error) {
  int out[2], err[2];
  if (pipe2(out, O_CLOEXEC) != 0) {
    error = "pipe: " + ErrorText(errno);
    return false;
  }
  if (pipe2(err, O_CLOEXEC) != 0) {
    error = "pipe: " + ErrorText(errno);
    close(out[0]);
    close(out[1]);
    return false;
  }
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // Until the child has put back the default actions, a stop signal sent to it would run the
  // manager's own handler in the child and be lost, and a simulator waiting for its manager
  // would then live on: hold those signals across the fork, and let the child take a pending
  // one only once it would end it.
  sigset_t stops, before;
  sigemptyset(&stops);
  for (int sig : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, sig);
  sigprocmask(SIG_BLOCK, &stops, &before);
  const pid_t pid = fork();
  if (pid < 0) {
    sigprocmask(SIG_SETMASK, &before, nullptr);
    error = "fork: " + ErrorText(errno);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    return false;
  }
  if (pid == 0) {
    setpgid(0, 0);
    signal(SIGPIPE, SIG_DFL);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    sigprocmask(SIG_SETMASK, &before, nullptr);
    const int devnull = open("/dev/null", O_RDONLY);
    if (devnull >= 0) dup2(devnull, 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    execvp(args[0], args.data());
    const std::string msg = std::string("cannot start ") + args[0] + ": " + std::strerror(errno) + "\n";
    ssize_t ignored = write(2, msg.data(), msg.size());
    (void)ignored;
    _exit(127);
  }
  setpgid(pid, pid);
  sigprocmask(SIG_SETMASK, &before, nullptr);
  close(out[1]);
  close(err[1]);
  SetNonBlocking(out[0]);
  SetNonBlocking(err[0]);
  child.pid = pid;
  child.outFd = out[0];
  child.errFd = err[0];
  return true;
}

bool Reap(int pid, int& exitCode, int& signalNumber) {
  int status = 0;
  const pid_t r = waitpid(pid, &status, WNOHANG);
  if (r != pid) return false;
  exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  signalNumber = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
  return true;
}

void SignalGroup(int pid, Stop how) {
  if (pid > 0) kill(-pid, how == Stop::Kill ? SIGKILL : SIGTERM);
}

std::string SignalName(int signalNumber) {
  const char* s = strsignal(signalNumber);
  return s ? s : "signal " + std::to_string(signalNumber);
}

bool ResolveIPv4(const std::string& host, std::string& address, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(host.c_str(), nullptr, &hints, &res);
  if (rc != 0 || !res) {
    error = "cannot resolve " + host + ": " + gai_strerror(rc);
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
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(9);  // a datagram socket's connect only picks the route
  if (inet_pton(AF_INET, remote.c_str(), &to.sin_addr) != 1) {
    error = remote + " is not an IPv4 address";
    return false;
  }
  const int s = socket(AF_INET, SOCK_DGRAM, 0);
  if (s == -1) {
    error = "socket: " + ErrorText(errno);
    return false;
  }
  sockaddr_in from{};
  socklen_t len = sizeof from;
  const bool ok = connect(s, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0 &&
                  getsockname(s, reinterpret_cast<sockaddr*>(&from), &len) == 0;
  if (!ok) error = "no route to " + remote + ": " + ErrorText(errno);
  close(s);
  if (!ok) return false;
  const auto* b = reinterpret_cast<const unsigned char*>(&from.sin_addr);
  local = std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
          std::to_string(b[3]);
  return true;
}

int ConnectStart(const std::string& host, int port, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;  // the simulator listens on IPv4 only
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* res = nullptr;
  const int rc = getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &res);
  if (rc != 0 || !res) {
    error = "cannot resolve " + host + ": " + gai_strerror(rc);
    return -1;
  }
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = "socket: " + ErrorText(errno);
    freeaddrinfo(res);
    return -1;
  }
  SetNonBlocking(fd);
  const int one = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  const int c = connect(fd, res->ai_addr, res->ai_addrlen);
  freeaddrinfo(res);
  if (c != 0 && errno != EINPROGRESS) {
    error = "connect to " + host + ":" + std::to_string(port) + ": " + ErrorText(errno);
    close(fd);
    return -1;
  }
  return fd;
}

int ConnectResult(int fd, std::string& error) {
  pollfd p{fd, POLLOUT, 0};
  if (poll(&p, 1, 0) <= 0) return 1;
  int soError = 0;
  socklen_t len = sizeof soError;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
  if (soError != 0) {
    error = ErrorText(soError);
    return -1;
  }
  return 0;
}

long ReadSome(int fd, uint8_t* buf, size_t n, std::string& error) {
  for (;;) {
    const ssize_t r = read(fd, buf, n);
    if (r >= 0) return static_cast<long>(r);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    error = ErrorText(errno);
    return -2;
  }
}

long WriteSome(int fd, const uint8_t* buf, size_t n, std::string& error) {
  for (;;) {
    const ssize_t r = send(fd, buf, n, MSG_NOSIGNAL);
    if (r >= 0) return static_cast<long>(r);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return -1;
    error = ErrorText(errno);
    return -2;
  }
}

void Close(int fd) {
  if (fd >= 0) close(fd);
}

void Poll(std::vector<PollItem>& items, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(items.size());
  for (const PollItem& it : items) {
    short events = 0;
    if (it.wantRead) events |= POLLIN;
    if (it.wantWrite) events |= POLLOUT;
    fds.push_back(pollfd{it.fd, events, 0});
  }
  const int r = poll(fds.data(), fds.size(), timeoutMs);
  for (size_t i = 0; i < items.size(); ++i) {
    const short re = r > 0 ? fds[i].revents : 0;
    items[i].readable = (re & (POLLIN | POLLHUP | POLLERR)) != 0 && items[i].wantRead;
    items[i].writable = (re & (POLLOUT | POLLERR)) != 0 && items[i].wantWrite;
  }
}

void InstallInterruptHandler() {
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;  // no SA_RESTART: poll returns at once
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  // A closed terminal or a batch system's hang-up ends the run like a termination request:
  // the simulators are quit and the results so far are written, not lost.
  sigaction(SIGHUP, &sa, nullptr);
}

bool Interrupted() { return gInterrupted != 0; }

int InterruptCount() { return static_cast<int>(gInterrupted); }

void IgnoreBrokenPipe() { signal(SIGPIPE, SIG_IGN); }

std::string ShellQuote(const std::string& word) {
  const std::string safe = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=:,+@%";
  if (!word.empty() && word.find_first_not_of(safe) == std::string::npos) return word;
  std::string q = "'";
  for (char c : word) {
    if (c == '\'')
      q += "'\\''";
    else
      q += c;
  }
  return q + "'";
}

std::vector<std::string> ShellCommand(const std::string& commandLine) {
  return {"/bin/sh", "-c", commandLine};
}

bool StderrIsTerminal() { return isatty(2) == 1; }

int CpuCount() {
  const long n = sysconf(_SC_NPROCESSORS_ONLN);
  return n > 0 ? static_cast<int>(n) : 1;
}

double Now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

bool FileExists(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
  if (rename(from.c_str(), to.c_str()) == 0) return true;
  error = ErrorText(errno);
  return false;
}

int ProcessId() { return static_cast<int>(getpid()); }

std::string HostName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return "";
  return name;
}

}  // namespace os
}  // namespace simmgr

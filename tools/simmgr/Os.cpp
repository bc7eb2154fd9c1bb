// The manager's operating-system needs, in the manager's words, over the platform layer: child
// processes by id, client connections, polling, signals and clocks.
#include "Os.h"

#include <filesystem>
#include <map>
#include <memory>
#include <mutex>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinProcess.h"
#include "BaseClasses/KavrinSystem.h"

namespace simmgr {
namespace os {

namespace {
std::mutex gChildrenLock;
std::map<int, std::unique_ptr<KavrinProcess>> gChildren;  // started and not yet reaped

KavrinProcess* Find(int pid) {
  auto it = gChildren.find(pid);
  return it == gChildren.end() ? nullptr : it->second.get();
}
}  // namespace

std::string ErrorText(int err) { return KavrinSystem::ErrorText(err); }

bool Spawn(const std::vector<std::string>& argv, Child& child, std::string& error) {
  if (argv.empty()) {
    error = "nothing to start";
    return false;
  }
  auto process = std::make_unique<KavrinProcess>();
  KavrinProcess::Options how;
  how.ownGroup = true;
  how.notRunText = "cannot start " + argv[0];
  how.notRunReason = true;
  if (!process->Start(argv, how, error)) return false;
  child.pid = process->Id();
  child.outFd = process->OutputFd();
  child.errFd = process->ErrorFd();
  process->ReleaseOutputFds();  // closed by the manager (Close)
  std::lock_guard<std::mutex> lock(gChildrenLock);
  gChildren[child.pid] = std::move(process);
  return true;
}

bool Reap(int pid, int& exitCode, int& signalNumber) {
  std::lock_guard<std::mutex> lock(gChildrenLock);
  KavrinProcess* p = Find(pid);
  if (p == nullptr || !p->Poll()) return false;
  exitCode = p->ExitCode();
  signalNumber = p->SignalNumber();
  gChildren.erase(pid);
  return true;
}

void SignalGroup(int pid, Stop how) {
  std::lock_guard<std::mutex> lock(gChildrenLock);
  if (KavrinProcess* p = Find(pid))
    p->Send(how == Stop::Kill ? KavrinProcess::Stop::Kill : KavrinProcess::Stop::Terminate);
}

std::string SignalName(int signalNumber) { return KavrinProcess::SignalName(signalNumber); }

bool ResolveIPv4(const std::string& host, std::string& address, std::string& error) {
  std::string reason;
  if (KavrinNet::Resolve(host, address, reason)) return true;
  error = "cannot resolve " + host + ": " + reason;
  return false;
}

bool LocalAddressTo(const std::string& remote, std::string& local, std::string& error) {
  return KavrinNet::LocalAddressTo(remote, local, error);
}

int ConnectStart(const std::string& host, int port, std::string& error) {
  std::string address;
  if (!ResolveIPv4(host, address, error)) return -1;  // the simulator listens on IPv4 only
  const int fd = KavrinNet::Open();
  if (fd < 0) {
    error = "socket: " + ErrorText(KavrinNet::LastError());
    return -1;
  }
  KavrinNet::SetNonBlocking(fd);
  KavrinNet::SetNoDelay(fd);
  const int err = KavrinNet::Connect(fd, address, port);
  if (err != 0 && !KavrinNet::WouldBlock(err)) {
    error = "connect to " + host + ":" + std::to_string(port) + ": " + ErrorText(err);
    KavrinNet::Close(fd);
    return -1;
  }
  return fd;
}

int ConnectResult(int fd, std::string& error) {
  int err = 0;
  const int r = KavrinNet::ConnectResult(fd, err);
  if (r < 0) error = ErrorText(err);
  return r;
}

namespace {
// A read's or write's result in the manager's terms: the count, -1 for nothing now, -2 for an
// error with its text.
long Transferred(long r, std::string& error) {
  if (r >= 0) return r;
  const int err = KavrinNet::LastError();
  if (KavrinNet::WouldBlock(err)) return -1;
  error = ErrorText(err);
  return -2;
}
}  // namespace

long ReadSome(int fd, uint8_t* buf, size_t n, std::string& error) {
  return Transferred(KavrinNet::Read(fd, buf, n), error);
}

long WriteSome(int fd, const uint8_t* buf, size_t n, std::string& error) {
  return Transferred(KavrinNet::Write(fd, buf, n), error);
}

void Close(int fd) { KavrinNet::Close(fd); }

void Poll(std::vector<PollItem>& items, int timeoutMs) {
  std::vector<KavrinNet::PollItem> polled(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    polled[i].fd = items[i].fd;
    polled[i].wantRead = items[i].wantRead;
    polled[i].wantWrite = items[i].wantWrite;
  }
  KavrinNet::Poll(polled, timeoutMs);  // an interruption returns early: the loop looks at it
  for (size_t i = 0; i < items.size(); ++i) {
    items[i].readable = polled[i].readable;
    items[i].writable = polled[i].writable;
  }
}

void InstallInterruptHandler() { KavrinSystem::InstallInterruptHandler(); }

bool Interrupted() { return KavrinSystem::InterruptCount() != 0; }

int InterruptCount() { return KavrinSystem::InterruptCount(); }

void IgnoreBrokenPipe() { KavrinSystem::IgnoreBrokenPipe(); }

std::string ShellQuote(const std::string& word) { return KavrinProcess::ShellQuote(word); }

std::vector<std::string> ShellCommand(const std::string& commandLine) {
  return KavrinProcess::ShellCommand(commandLine);
}

bool StderrIsTerminal() { return KavrinSystem::StderrIsTerminal(); }

int CpuCount() { return KavrinSystem::CpuCount(); }

double Now() { return KavrinSystem::MonotonicSeconds(); }

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

bool RenameOver(const std::string& from, const std::string& to, std::string& error) {
  return KavrinSystem::RenameOver(from, to, error);
}

int ProcessId() { return KavrinSystem::ProcessId(); }

std::string HostName() { return KavrinSystem::HostName(); }

}  // namespace os
}  // namespace simmgr

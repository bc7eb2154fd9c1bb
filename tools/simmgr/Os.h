// The manager's only contact with the operating system: child processes, TCP client
// sockets, polling, signals and clocks, in the manager's words over the framework's platform
// layer. Everything else in the manager is portable.
#ifndef KAVRIN_SIMMGR_OS_H
#define KAVRIN_SIMMGR_OS_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace simmgr {
namespace os {

struct Child {
  int pid = -1;
  int outFd = -1;  // the child's standard output, non-blocking
  int errFd = -1;  // the child's standard error, non-blocking
};

// Starts argv[0] with its arguments in a process group of its own (so a Ctrl-C at the
// terminal reaches only the manager, which then quits the simulators in order), with
// standard input from /dev/null and both output streams on pipes.
bool Spawn(const std::vector<std::string>& argv, Child& child, std::string& error);

// Non-blocking: true once the child has ended. exitCode is -1 when a signal ended it.
bool Reap(int pid, int& exitCode, int& signalNumber);
enum class Stop { Terminate, Kill };
void SignalGroup(int pid, Stop how);
std::string SignalName(int signalNumber);

// The IPv4 address (dotted) that host names or is, as a connection to it would use; false with a
// message when it has none.
bool ResolveIPv4(const std::string& host, std::string& address, std::string& error);

// The address of this machine that a connection to the IPv4 address `remote` starts from, as
// the routing table chooses it (no packet is sent); false with a message when there is no route.
bool LocalAddressTo(const std::string& remote, std::string& local, std::string& error);

// Starts a non-blocking TCP connection to an IPv4 address of host; -1 with a message on failure.
int ConnectStart(const std::string& host, int port, std::string& error);
// 0 once the connection stands, EINPROGRESS-like "pending" as 1, or -1 with a message.
int ConnectResult(int fd, std::string& error);

// > 0 bytes, 0 end of stream, -1 nothing now, -2 error (message set).
long ReadSome(int fd, uint8_t* buf, size_t n, std::string& error);
long WriteSome(int fd, const uint8_t* buf, size_t n, std::string& error);
void Close(int fd);

struct PollItem {
  int fd = -1;
  bool wantRead = false;
  bool wantWrite = false;
  bool readable = false;  // also set on hang-up and error, so the read reports it
  bool writable = false;
};
void Poll(std::vector<PollItem>& items, int timeoutMs);

// SIGINT, SIGTERM and SIGHUP all count as an interrupt.
void InstallInterruptHandler();
bool Interrupted();
int InterruptCount();  // Ctrl-C presses so far: a second one cuts the orderly stop short
void IgnoreBrokenPipe();

// A word as the system's command interpreter reads it back as one word (launch templates, and
// the command lines the manager shows), and the argv that runs a command line through it.
std::string ShellQuote(const std::string& word);
std::vector<std::string> ShellCommand(const std::string& commandLine);

bool StderrIsTerminal();
int CpuCount();
double Now();  // monotonic seconds
bool FileExists(const std::string& path);
// Puts the file `from` in the place of `to` in one step (both in one folder), replacing the
// file there; false with the reason otherwise.
bool RenameOver(const std::string& from, const std::string& to, std::string& error);
int ProcessId();
std::string HostName();  // this machine's name, "" when it has none
std::string ErrorText(int err);

}  // namespace os
}  // namespace simmgr

#endif

// The system's IPv4 TCP sockets behind one set of calls, for the framework's KavrinSocket and the
// manager's links to its simulators. KavrinNetPosix.cpp and KavrinNetWindows.cpp implement it;
// nothing else includes a network header.
//
// A socket is an int descriptor, -1 for none. Sockets made here are never inherited by child
// processes. Calls that fail return -1 (or an error number) and leave the system's error number
// for LastError(); interrupted calls are retried where the comment says so.
#ifndef KAVRIN_BASECLASSES_KAVRINNET_H
#define KAVRIN_BASECLASSES_KAVRINNET_H

#include <cstddef>
#include <string>
#include <vector>

class KavrinNet {
 public:
  // Starts the system's socket library once per process; every call below that needs it starts
  // it too. False when the library is not usable.
  static bool StartLibrary();

  // The error number of the last failed call of this thread, and its text.
  static int LastError();
  static std::string ErrorText(int err);
  static bool IsInterrupted(int err);
  // Nothing to read or no room to write now, or a connection still being made.
  static bool WouldBlock(int err);
  // The port is held by another socket (bind or listen).
  static bool IsAddressInUse(int err);
  // A shutdown of a socket whose link never stood or is gone: no failure when closing anyway.
  static bool IsGoneOnShutdown(int err);
  // What a call on a descriptor that is no socket reports.
  static const int kNotASocket;
  // What a connection to a port nobody listens on reports.
  static const int kConnectionRefused;

  // A new TCP socket, -1 on failure.
  static int Open();
  static void SetNonBlocking(int fd);
  // Small writes go out at once instead of being gathered.
  static void SetNoDelay(int fd);
  // A listening socket may take a port that a closed connection still holds, and no other
  // process may share it.
  static void PrepareToListen(int fd);

  // The four bytes of a dotted IPv4 address; false when text is none.
  static bool ParseIPv4(const std::string& text, unsigned char bytes[4]);
  static std::string DottedIPv4(const unsigned char bytes[4]);
  // The IPv4 address (dotted) a host name stands for, as a connection would use it; false with
  // the resolver's reason otherwise.
  static bool Resolve(const std::string& host, std::string& dotted, std::string& reason);
  // The address of this machine that a connection to `remote` (dotted) starts from, as the
  // routing table chooses it (no packet is sent); false with a reason otherwise.
  static bool LocalAddressTo(const std::string& remote, std::string& local, std::string& reason);

  // 0 or the error number; `dotted` must be an IPv4 address.
  static int Bind(int fd, const std::string& dotted, int port);
  static int BoundPort(int fd);  // -1 when not bound
  static int Listen(int fd, int backlog);
  // 0 with the new connection's descriptor, or the error number (interruptions are retried).
  static int Accept(int fd, int& connection);
  // The peer's IPv4 address in dotted form; "" when there is none.
  static std::string PeerAddress(int fd);
  // 0 once connected, or the error number: on a non-blocking socket WouldBlock means the
  // connection is under way (see ConnectResult). Interruptions of a blocking connect are retried.
  static int Connect(int fd, const std::string& dotted, int port);
  // A non-blocking connection under way: 1 still pending, 0 connected, -1 failed with err set.
  static int ConnectResult(int fd, int& err);

  // Bytes read (0 at the end of the stream), or -1; works on every descriptor this layer hands
  // out, a child process's output included. Interruptions are retried.
  static long Read(int fd, void* buffer, size_t n);
  // Bytes written, or -1; a vanished peer is an error, never a signal. Interruptions are retried.
  static long Write(int fd, const void* buffer, size_t n);
  // 0 or the error number.
  static int Shutdown(int fd, bool sendingSideOnly);
  static void Close(int fd);

  struct PollItem {
    int fd = -1;
    bool wantRead = false;
    bool wantWrite = false;
    bool readable = false;  // also set on hang-up and error, so that the read reports it
    bool writable = false;  // also set when a connection under way failed
  };
  // Waits up to timeoutMs (negative: without limit) for any item to be ready; 0 or the error
  // number (an interruption ends the wait early and is reported, not retried).
  static int Poll(std::vector<PollItem>& items, int timeoutMs);

 private:
  // The system's part of the address calls above, in bytes: 0 or the error number.
  // The socket's own (peer false) or its peer's IPv4 address and port.
  static int AddressOf(int fd, bool peer, unsigned char bytes[4], int& port);
  // The first IPv4 address of a host; on failure the resolver's code and reason.
  static int LookUp(const std::string& host, unsigned char bytes[4], std::string& reason);
  // The local address a datagram socket connected to `to` is given (noSocket: there was none).
  static int RouteFrom(const unsigned char to[4], unsigned char from[4], bool& noSocket);
};

#endif

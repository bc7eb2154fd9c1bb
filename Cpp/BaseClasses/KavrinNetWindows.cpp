// The socket calls on Windows (Winsock). A SOCKET handle is kept in the int descriptor: Windows
// handles carry only 32 significant bits, and INVALID_SOCKET becomes -1.
#ifndef FD_SETSIZE
#define FD_SETSIZE 2048  // the manager polls three descriptors for each of up to 256 jobs, and more
#endif
#include <winsock2.h>
#include <ws2tcpip.h>
//
#include <windows.h>

#include <chrono>
#include <cstring>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinNetAddress.h"
#include "BaseClasses/KavrinSystem.h"

namespace {
SOCKET Handle(int fd) { return fd < 0 ? INVALID_SOCKET : static_cast<SOCKET>(static_cast<unsigned int>(fd)); }

}  // namespace

const int KavrinNet::kNotASocket = WSAENOTSOCK;
const int KavrinNet::kConnectionRefused = WSAECONNREFUSED;

bool KavrinNet::StartLibrary() {
  static const bool started = [] {
    WSADATA data;
    return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

int KavrinNet::LastError() { return ::WSAGetLastError(); }

std::string KavrinNet::ErrorText(int err) { return KavrinSystem::ErrorText(err); }

bool KavrinNet::IsInterrupted(int err) { return err == WSAEINTR; }

bool KavrinNet::WouldBlock(int err) { return err == WSAEWOULDBLOCK || err == WSAEINPROGRESS; }

// A port held exclusively by another process is refused with WSAEACCES.
bool KavrinNet::IsAddressInUse(int err) { return err == WSAEADDRINUSE || err == WSAEACCES; }

bool KavrinNet::IsGoneOnShutdown(int err) {
  return err == WSAENOTCONN || err == WSAECONNRESET || err == WSAECONNABORTED;
}

int KavrinNet::Open() {
  StartLibrary();
  const SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                                WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  return s == INVALID_SOCKET ? -1 : static_cast<int>(s);
}

void KavrinNet::SetNonBlocking(int fd) {
  u_long on = 1;
  ::ioctlsocket(Handle(fd), FIONBIO, &on);
}

void KavrinNet::SetNoDelay(int fd) {
  BOOL one = TRUE;
  ::setsockopt(Handle(fd), IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
}

// Without exclusive use, another process could bind the same port and take the connections.
void KavrinNet::PrepareToListen(int fd) {
  BOOL one = TRUE;
  if (fd >= 0)
    ::setsockopt(Handle(fd), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one),
                 sizeof one);
}

bool KavrinNet::ParseIPv4(const std::string& text, unsigned char bytes[4]) {
  return ::inet_pton(AF_INET, text.c_str(), bytes) == 1;
}

int KavrinNet::Bind(int fd, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!KavrinNetAddress::Parse(dotted, port, addr)) return WSAEINVAL;
  if (::bind(Handle(fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return 0;
  return ::WSAGetLastError();
}

int KavrinNet::Listen(int fd, int backlog) {
  return ::listen(Handle(fd), backlog) == 0 ? 0 : ::WSAGetLastError();
}

int KavrinNet::Accept(int fd, int& connection) {
  SOCKET s;
  do {
    s = ::accept(Handle(fd), nullptr, nullptr);
  } while (s == INVALID_SOCKET && ::WSAGetLastError() == WSAEINTR);
  if (s == INVALID_SOCKET) {
    connection = -1;
    return ::WSAGetLastError();
  }
  ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
  connection = static_cast<int>(s);
  return 0;
}

int KavrinNet::Connect(int fd, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!KavrinNetAddress::Parse(dotted, port, addr)) return WSAEINVAL;
  int rc;
  do {
    rc = ::connect(Handle(fd), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && ::WSAGetLastError() == WSAEINTR);
  return rc == 0 ? 0 : ::WSAGetLastError();
}

int KavrinNet::ConnectResult(int fd, int& err) {
  fd_set writable, failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(Handle(fd), &writable);
  FD_SET(Handle(fd), &failed);
  timeval now{0, 0};
  if (::select(0, nullptr, &writable, &failed, &now) <= 0) return 1;
  if (!FD_ISSET(Handle(fd), &failed)) return 0;
  int soError = 0;
  int len = sizeof soError;
  if (::getsockopt(Handle(fd), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&soError), &len) != 0)
    soError = ::WSAGetLastError();
  err = soError ? soError : WSAECONNREFUSED;
  return -1;
}

long KavrinNet::Read(int fd, void* buffer, size_t n) {
  for (;;) {
    const int r =
        ::recv(Handle(fd), static_cast<char*>(buffer), static_cast<int>(n > 1 << 30 ? 1 << 30 : n), 0);
    if (r != SOCKET_ERROR || ::WSAGetLastError() != WSAEINTR) return r;
  }
}

long KavrinNet::Write(int fd, const void* buffer, size_t n) {
  for (;;) {
    const int r =
        ::send(Handle(fd), static_cast<const char*>(buffer), static_cast<int>(n > 1 << 30 ? 1 << 30 : n), 0);
    if (r != SOCKET_ERROR || ::WSAGetLastError() != WSAEINTR) return r;
  }
}

int KavrinNet::Shutdown(int fd, bool sendingSideOnly) {
  return ::shutdown(Handle(fd), sendingSideOnly ? SD_SEND : SD_BOTH) == 0 ? 0 : ::WSAGetLastError();
}

void KavrinNet::Close(int fd) {
  if (fd >= 0) ::closesocket(Handle(fd));
}

// select() rather than WSAPoll: WSAPoll does not report a refused connection on every Windows
// version. A failed connection shows in the exception set and counts as writable, as on POSIX.
int KavrinNet::Poll(std::vector<PollItem>& items, int timeoutMs) {
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
  int err = 0;
  if (any) {
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    r = ::select(0, &readable, &writable, &failed, timeoutMs < 0 ? nullptr : &tv);
    if (r == SOCKET_ERROR) err = ::WSAGetLastError();
  } else if (timeoutMs > 0) {
    ::Sleep(static_cast<DWORD>(timeoutMs));
  }
  for (PollItem& it : items) {
    const bool ok = r > 0 && it.fd >= 0;
    it.readable = ok && it.wantRead && FD_ISSET(Handle(it.fd), &readable);
    it.writable =
        ok && it.wantWrite && (FD_ISSET(Handle(it.fd), &writable) || FD_ISSET(Handle(it.fd), &failed));
  }
  return err;
}

int KavrinNet::AddressOf(int fd, bool peer, unsigned char bytes[4], int& port) {
  sockaddr_in addr{};
  int len = sizeof addr;
  sockaddr* a = reinterpret_cast<sockaddr*>(&addr);
  if ((peer ? ::getpeername(Handle(fd), a, &len) : ::getsockname(Handle(fd), a, &len)) != 0)
    return ::WSAGetLastError();
  return KavrinNetAddress::Split(addr, bytes, port) ? 0 : WSAEAFNOSUPPORT;
}

int KavrinNet::LookUp(const std::string& host, unsigned char bytes[4], std::string& reason) {
  StartLibrary();
  const addrinfo hints = KavrinNetAddress::StreamHints();
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    reason = ErrorText(rc != 0 ? rc : WSAHOST_NOT_FOUND);
    return rc != 0 ? rc : WSAHOST_NOT_FOUND;
  }
  std::memcpy(bytes, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, 4);
  ::freeaddrinfo(found);
  return 0;
}

int KavrinNet::RouteFrom(const unsigned char to[4], unsigned char from[4], bool& noSocket) {
  StartLibrary();
  const sockaddr_in addr = KavrinNetAddress::Of(to, 9);  // a datagram socket's connect only picks the route
  const SOCKET s = ::socket(AF_INET, SOCK_DGRAM, 0);
  noSocket = s == INVALID_SOCKET;
  if (noSocket) return ::WSAGetLastError();
  int port = 0;
  const int err = ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0
                      ? AddressOf(static_cast<int>(s), false, from, port)
                      : ::WSAGetLastError();
  ::closesocket(s);
  return err;
}

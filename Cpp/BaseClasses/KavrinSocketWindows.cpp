// Winsock version of the socket wrapper. A SOCKET handle is kept in the int descriptor: Windows
// handles carry only 32 significant bits, and INVALID_SOCKET becomes -1.
#include <winsock2.h>
#include <ws2tcpip.h>
//
#include <windows.h>

#include <chrono>
#include <cstring>
#include <iostream>
#include <string>

#include "BaseClasses/KavrinSocket.h"

namespace {
SOCKET Handle(int fd) { return fd < 0 ? INVALID_SOCKET : static_cast<SOCKET>(static_cast<unsigned int>(fd)); }

// A new socket that child processes do not inherit (they would keep a listening port or a link
// open after this process closed it).
int NewSocket() {
  SOCKET s = ::WSASocketW(AF_INET, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                          WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) return -1;
  return static_cast<int>(s);
}
}  // namespace

KavrinSocket::KavrinSocket(bool openFD) : _socket(-1), ErrorString(nullptr), _bindAddressInUse(false) {
  InitializeSocketLibrary();
  if (openFD) {
    _socket = NewSocket();
    if (_socket < 0) {
      _socket = -1;
      SetError("error in socket creation");
      std::cerr << ErrorString << std::endl;
    }
  }
}

KavrinSocket::~KavrinSocket() {
  Close();
  delete[] ErrorString;
}

bool KavrinSocket::InitializeSocketLibrary() {
  if (_libraryInitialized) return true;
  WSADATA data;
  if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
  _libraryInitialized = true;
  return true;
}

// Windows has no broken-pipe signal: a write to a closed peer already fails with an error.
void KavrinSocket::IgnoreBrokenPipeSignal() {}

int KavrinSocket::ProcessId() { return static_cast<int>(::GetCurrentProcessId()); }

bool KavrinSocket::Bind(int port, const char* address) {
  _bindAddressInUse = false;
  // Without exclusive use, another process could bind the same port and take the connections.
  BOOL one = TRUE;
  if (_socket >= 0)
    ::setsockopt(Handle(_socket), SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&one),
                 sizeof one);
  sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  if (address == nullptr || ::inet_pton(AF_INET, address, &addr.sin_addr) != 1) {
    SetError("error in bind: not an IPv4 address: ");
    std::cerr << ErrorString << (address ? address : "") << std::endl;
    return false;
  }
  addr.sin_port = htons(static_cast<u_short>(port));
  if (::bind(Handle(_socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return true;
  const int err = ::WSAGetLastError();
  // A port held exclusively by another process is refused with WSAEACCES.
  if (err == WSAEADDRINUSE || err == WSAEACCES) {
    _bindAddressInUse = true;
    return false;
  }
  SetError("error in bind.  errno=");
  std::cerr << ErrorString << err << " (Port=" << port << ")" << std::endl;
  return false;
}

int KavrinSocket::GetBoundPort() const {
  if (_socket < 0) return -1;
  sockaddr_in addr;
  int len = sizeof addr;
  std::memset(&addr, 0, sizeof addr);
  if (::getsockname(Handle(_socket), reinterpret_cast<sockaddr*>(&addr), &len) != 0) return -1;
  return ntohs(addr.sin_port);
}

bool KavrinSocket::Listen(int queueSize) {
  _listenAddressInUse = false;
  if (::listen(Handle(_socket), queueSize) == 0) return true;
  const int err = ::WSAGetLastError();
  if (err == WSAEADDRINUSE) {
    _listenAddressInUse = true;
    return false;
  }
  SetError("error in listen");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Accept(KavrinSocket& connection) {
  connection.Close();
  SOCKET s;
  do {
    s = ::accept(Handle(_socket), nullptr, nullptr);
  } while (s == INVALID_SOCKET && ::WSAGetLastError() == WSAEINTR);
  if (s != INVALID_SOCKET) {
    ::SetHandleInformation(reinterpret_cast<HANDLE>(s), HANDLE_FLAG_INHERIT, 0);
    connection._socket = static_cast<int>(s);
    return true;
  }
  connection._socket = -1;
  SetError("error in accept: ");
  std::cerr << ErrorString << std::endl;
  return false;
}

std::string KavrinSocket::PeerAddress() const {
  if (_socket < 0) return "";
  sockaddr_in addr;
  int len = sizeof addr;
  std::memset(&addr, 0, sizeof addr);
  if (::getpeername(Handle(_socket), reinterpret_cast<sockaddr*>(&addr), &len) != 0 ||
      addr.sin_family != AF_INET)
    return "";
  const auto* b = reinterpret_cast<const unsigned char*>(&addr.sin_addr);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
         std::to_string(b[3]);
}

bool KavrinSocket::Connect(const char* hostname, int port) {
  addrinfo hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (hostname == nullptr || ::getaddrinfo(hostname, nullptr, &hints, &found) != 0 || found == nullptr) {
    SetError("error in connect: unknown host ");
    std::cerr << ErrorString << (hostname ? hostname : "") << std::endl;
    return false;
  }
  sockaddr_in addr;
  std::memcpy(&addr, found->ai_addr, sizeof addr);
  ::freeaddrinfo(found);
  addr.sin_port = htons(static_cast<u_short>(port));
  if (_socket < 0) _socket = NewSocket();
  int rc;
  do {
    rc = ::connect(Handle(_socket), reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && ::WSAGetLastError() == WSAEINTR);
  if (rc == 0) return true;
  const int err = ::WSAGetLastError();
  SetError("error in connect: errno=");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Select(int millisec_timeout) {
  if (_socket < 0) {
    SetError("error in select");
    std::cerr << ErrorString << WSAENOTSOCK << std::endl;
    return false;
  }
  WSAPOLLFD pfd;
  pfd.fd = Handle(_socket);
  pfd.events = POLLRDNORM;
  pfd.revents = 0;
  const int rc = ::WSAPoll(&pfd, 1, millisec_timeout < 0 ? -1 : millisec_timeout);
  if (rc >= 0) return rc > 0 && (pfd.revents & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
  const int err = ::WSAGetLastError();
  SetError("error in select");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

int KavrinSocket::Recv(char* buffer, int buf_len) {
  int n;
  do {
    n = ::recv(Handle(_socket), buffer, buf_len > 0 ? buf_len : 0, 0);
  } while (n == SOCKET_ERROR && ::WSAGetLastError() == WSAEINTR);
  return n;
}

int KavrinSocket::Send(const char* str, int strlen) {
  if (_socket < 0 || strlen < 0) return -1;
  int sent = 0;
  while (sent < strlen) {
    const int n = ::send(Handle(_socket), str + sent, strlen - sent, 0);
    if (n == SOCKET_ERROR) {
      if (::WSAGetLastError() == WSAEINTR) continue;
      return -1;
    }
    if (n == 0) return -1;
    sent += n;
  }
  return sent;
}

void KavrinSocket::Close() {
  if (_socket < 0) return;
  if (::shutdown(Handle(_socket), SD_BOTH) != 0) {
    const int err = ::WSAGetLastError();
    // Not connected, or reset by the peer: nothing worth reporting when closing anyway.
    if (err != WSAENOTCONN && err != WSAECONNRESET && err != WSAECONNABORTED) {
      SetError("error in shutdown.  errno=");
      std::cerr << ErrorString << err << std::endl;
    }
  }
  ::closesocket(Handle(_socket));
  _socket = -1;
}

void KavrinSocket::CloseGracefully(int timeout_ms) {
  if (_socket < 0) return;
  if (::shutdown(Handle(_socket), SD_SEND) == 0) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    char discard[4096];
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      WSAPOLLFD pfd;
      pfd.fd = Handle(_socket);
      pfd.events = POLLRDNORM;
      pfd.revents = 0;
      const int rc = ::WSAPoll(&pfd, 1, static_cast<int>(left));
      if (rc <= 0) break;
      const int n = ::recv(Handle(_socket), discard, sizeof discard, 0);
      if (n <= 0) break;  // the peer's end of stream, or the link is gone
    }
  }
  ::closesocket(Handle(_socket));
  _socket = -1;
}

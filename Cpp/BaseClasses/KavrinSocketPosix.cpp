#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <string>

#include "BaseClasses/KavrinSocket.h"

KavrinSocket::KavrinSocket(bool openFD) : _socket(-1), ErrorString(nullptr), _bindAddressInUse(false) {
  InitializeSocketLibrary();
  if (openFD) {
    _socket = ::socket(AF_INET, SOCK_STREAM, 0);
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
  _libraryInitialized = true;
  return true;
}

void KavrinSocket::IgnoreBrokenPipeSignal() { ::signal(SIGPIPE, SIG_IGN); }

int KavrinSocket::ProcessId() { return static_cast<int>(::getpid()); }

bool KavrinSocket::Bind(int port, const char* address) {
  _bindAddressInUse = false;
  int one = 1;
  if (_socket >= 0) ::setsockopt(_socket, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  if (address == nullptr || ::inet_pton(AF_INET, address, &addr.sin_addr) != 1) {
    SetError("error in bind: not an IPv4 address: ");
    std::cerr << ErrorString << (address ? address : "") << std::endl;
    return false;
  }
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (::bind(_socket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return true;
  int err = errno;
  if (err == EADDRINUSE) {
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
  socklen_t len = sizeof addr;
  std::memset(&addr, 0, sizeof addr);
  if (::getsockname(_socket, reinterpret_cast<sockaddr*>(&addr), &len) != 0) return -1;
  return ntohs(addr.sin_port);
}

bool KavrinSocket::Listen(int queueSize) {
  _listenAddressInUse = false;
  if (::listen(_socket, queueSize) == 0) return true;
  int err = errno;
  if (err == EADDRINUSE) {
    _listenAddressInUse = true;
    return false;
  }
  SetError("error in listen");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Accept(KavrinSocket& connection) {
  connection.Close();
  int fd;
  do {
    fd = ::accept(_socket, nullptr, nullptr);
  } while (fd < 0 && errno == EINTR);
  connection._socket = fd < 0 ? -1 : fd;
  if (fd >= 0) return true;
  SetError("error in accept: ");
  std::cerr << ErrorString << std::endl;
  return false;
}

std::string KavrinSocket::PeerAddress() const {
  if (_socket < 0) return "";
  sockaddr_in addr;
  socklen_t len = sizeof addr;
  std::memset(&addr, 0, sizeof addr);
  if (::getpeername(_socket, reinterpret_cast<sockaddr*>(&addr), &len) != 0 || addr.sin_family != AF_INET)
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
    // An unknown host is a connect failure like any other; the message names the host.
    SetError("error in connect: unknown host ");
    std::cerr << ErrorString << (hostname ? hostname : "") << std::endl;
    return false;
  }
  sockaddr_in addr;
  std::memcpy(&addr, found->ai_addr, sizeof addr);
  ::freeaddrinfo(found);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (_socket < 0) _socket = ::socket(AF_INET, SOCK_STREAM, 0);
  int rc;
  do {
    rc = ::connect(_socket, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  if (rc == 0) return true;
  int err = errno;
  SetError("error in connect: errno=");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Select(int millisec_timeout) {
  if (_socket < 0) {
    SetError("error in select");
    std::cerr << ErrorString << EBADF << std::endl;
    return false;
  }
  using Clock = std::chrono::steady_clock;
  const bool unlimited = millisec_timeout < 0;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(unlimited ? 0 : millisec_timeout);
  pollfd pfd;
  pfd.fd = _socket;
  pfd.events = POLLIN;
  int wait_ms = unlimited ? -1 : millisec_timeout;
  for (;;) {
    pfd.revents = 0;
    int rc = ::poll(&pfd, 1, wait_ms);
    if (rc >= 0) return rc > 0 && (pfd.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    int err = errno;
    if (err != EINTR) {
      SetError("error in select");
      std::cerr << ErrorString << err << std::endl;
      return false;
    }
    if (!unlimited) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait_ms = left > 0 ? static_cast<int>(left) : 0;
    }
  }
}

int KavrinSocket::Recv(char* buffer, int buf_len) {
  ssize_t n;
  do {
    n = ::recv(_socket, buffer, buf_len > 0 ? static_cast<size_t>(buf_len) : 0, 0);
  } while (n < 0 && errno == EINTR);
  return static_cast<int>(n);
}

int KavrinSocket::Send(const char* str, int strlen) {
  if (_socket < 0 || strlen < 0) return -1;
  int sent = 0;
  while (sent < strlen) {
    ssize_t n = ::send(_socket, str + sent, static_cast<size_t>(strlen - sent), MSG_NOSIGNAL);
    if (n < 0) {
      if (errno == EINTR) continue;
      return -1;
    }
    if (n == 0) return -1;
    sent += static_cast<int>(n);
  }
  return sent;
}

void KavrinSocket::Close() {
  if (_socket < 0) return;
  // A socket that was never connected, or whose peer reset it, cannot be shut down; that is no
  // failure worth reporting when it is being closed anyway.
  if (::shutdown(_socket, SHUT_RDWR) != 0 && errno != ENOTCONN) {
    int err = errno;
    SetError("error in shutdown.  errno=");
    std::cerr << ErrorString << err << std::endl;
  }
  ::close(_socket);
  _socket = -1;
}

void KavrinSocket::CloseGracefully(int timeout_ms) {
  if (_socket < 0) return;
  if (::shutdown(_socket, SHUT_WR) == 0) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    char discard[4096];
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      pollfd pfd;
      pfd.fd = _socket;
      pfd.events = POLLIN;
      pfd.revents = 0;
      const int rc = ::poll(&pfd, 1, static_cast<int>(left));
      if (rc < 0 && errno == EINTR) continue;
      if (rc <= 0) break;
      const ssize_t n = ::recv(_socket, discard, sizeof discard, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // the peer's end of stream, or the link is gone
    }
  }
  ::close(_socket);
  _socket = -1;
}

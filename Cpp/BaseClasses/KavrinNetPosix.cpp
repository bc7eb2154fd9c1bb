// The socket calls on POSIX systems.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinNetAddress.h"

namespace {}  // namespace

const int KavrinNet::kNotASocket = EBADF;
const int KavrinNet::kConnectionRefused = ECONNREFUSED;

bool KavrinNet::StartLibrary() { return true; }

int KavrinNet::LastError() { return errno; }

std::string KavrinNet::ErrorText(int err) { return std::strerror(err); }

bool KavrinNet::IsInterrupted(int err) { return err == EINTR; }

bool KavrinNet::WouldBlock(int err) { return err == EAGAIN || err == EWOULDBLOCK || err == EINPROGRESS; }

bool KavrinNet::IsAddressInUse(int err) { return err == EADDRINUSE; }

bool KavrinNet::IsGoneOnShutdown(int err) { return err == ENOTCONN; }

int KavrinNet::Open() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  return fd < 0 ? -1 : fd;
}

void KavrinNet::SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

void KavrinNet::SetNoDelay(int fd) {
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

void KavrinNet::PrepareToListen(int fd) {
  const int one = 1;
  if (fd >= 0) ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
}

bool KavrinNet::ParseIPv4(const std::string& text, unsigned char bytes[4]) {
  return ::inet_pton(AF_INET, text.c_str(), bytes) == 1;
}

int KavrinNet::Bind(int fd, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!KavrinNetAddress::Parse(dotted, port, addr)) return EINVAL;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) return 0;
  return errno;
}

int KavrinNet::Listen(int fd, int backlog) { return ::listen(fd, backlog) == 0 ? 0 : errno; }

int KavrinNet::Accept(int fd, int& connection) {
  int c;
  do {
    c = ::accept4(fd, nullptr, nullptr, SOCK_CLOEXEC);
  } while (c < 0 && errno == EINTR);
  connection = c < 0 ? -1 : c;
  return c < 0 ? errno : 0;
}

int KavrinNet::Connect(int fd, const std::string& dotted, int port) {
  sockaddr_in addr;
  if (!KavrinNetAddress::Parse(dotted, port, addr)) return EINVAL;
  int rc;
  do {
    rc = ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 ? 0 : errno;
}

int KavrinNet::ConnectResult(int fd, int& err) {
  pollfd p{fd, POLLOUT, 0};
  if (::poll(&p, 1, 0) <= 0) return 1;
  int soError = 0;
  socklen_t len = sizeof soError;
  if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
  err = soError;
  return soError != 0 ? -1 : 0;
}

long KavrinNet::Read(int fd, void* buffer, size_t n) {
  for (;;) {
    const ssize_t r = ::read(fd, buffer, n);
    if (r >= 0 || errno != EINTR) return static_cast<long>(r);
  }
}

long KavrinNet::Write(int fd, const void* buffer, size_t n) {
  for (;;) {
    const ssize_t r = ::send(fd, buffer, n, MSG_NOSIGNAL);
    if (r >= 0 || errno != EINTR) return static_cast<long>(r);
  }
}

int KavrinNet::Shutdown(int fd, bool sendingSideOnly) {
  return ::shutdown(fd, sendingSideOnly ? SHUT_WR : SHUT_RDWR) == 0 ? 0 : errno;
}

void KavrinNet::Close(int fd) {
  if (fd >= 0) ::close(fd);
}

int KavrinNet::Poll(std::vector<PollItem>& items, int timeoutMs) {
  std::vector<pollfd> fds;
  fds.reserve(items.size());
  for (const PollItem& it : items) {
    short events = 0;
    if (it.wantRead) events |= POLLIN;
    if (it.wantWrite) events |= POLLOUT;
    fds.push_back(pollfd{it.fd, events, 0});
  }
  const int r = ::poll(fds.data(), fds.size(), timeoutMs < 0 ? -1 : timeoutMs);
  const int err = r < 0 ? errno : 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const short re = r > 0 ? fds[i].revents : 0;
    items[i].readable = (re & (POLLIN | POLLHUP | POLLERR)) != 0 && items[i].wantRead;
    items[i].writable = (re & (POLLOUT | POLLERR)) != 0 && items[i].wantWrite;
  }
  return err;
}

int KavrinNet::AddressOf(int fd, bool peer, unsigned char bytes[4], int& port) {
  sockaddr_in addr{};
  socklen_t len = sizeof addr;
  sockaddr* a = reinterpret_cast<sockaddr*>(&addr);
  if ((peer ? ::getpeername(fd, a, &len) : ::getsockname(fd, a, &len)) != 0) return errno;
  return KavrinNetAddress::Split(addr, bytes, port) ? 0 : EAFNOSUPPORT;
}

int KavrinNet::LookUp(const std::string& host, unsigned char bytes[4], std::string& reason) {
  const addrinfo hints = KavrinNetAddress::StreamHints();
  addrinfo* found = nullptr;
  const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (rc != 0 || found == nullptr) {
    reason = ::gai_strerror(rc);
    return rc != 0 ? rc : EAI_NONAME;
  }
  std::memcpy(bytes, &reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr, 4);
  ::freeaddrinfo(found);
  return 0;
}

int KavrinNet::RouteFrom(const unsigned char to[4], unsigned char from[4], bool& noSocket) {
  const sockaddr_in addr = KavrinNetAddress::Of(to, 9);  // a datagram socket's connect only picks the route
  const int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  noSocket = s == -1;
  if (noSocket) return errno;
  int port = 0;
  const int err = ::connect(s, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0
                      ? AddressOf(s, false, from, port)
                      : errno;
  ::close(s);
  return err;
}

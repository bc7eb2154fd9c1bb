// The socket wrapper over the system's calls (KavrinNet): the same behaviour and messages on
// every system.
#include "BaseClasses/KavrinSocket.h"

#include <chrono>
#include <cstring>
#include <iostream>
#include <vector>

#include "BaseClasses/KavrinNet.h"
#include "BaseClasses/KavrinSystem.h"

bool KavrinSocket::_libraryInitialized = false;

KavrinSocket::KavrinSocket(bool openFD) : _socket(-1), ErrorString(nullptr), _bindAddressInUse(false) {
  InitializeSocketLibrary();
  if (openFD) {
    _socket = KavrinNet::Open();
    if (_socket < 0) {
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
  _libraryInitialized = KavrinNet::StartLibrary();
  return _libraryInitialized;
}

bool KavrinSocket::SocketLibraryInitialized() { return _libraryInitialized; }

void KavrinSocket::IgnoreBrokenPipeSignal() { KavrinSystem::IgnoreBrokenPipe(); }

int KavrinSocket::ProcessId() { return KavrinSystem::ProcessId(); }

void KavrinSocket::SetError(const char* text) {
  // Copied before the old text is freed, so a text may replace itself.
  const size_t n = std::strlen(text) + 1;
  char* copy = new char[n];
  std::memcpy(copy, text, n);
  delete[] ErrorString;
  ErrorString = copy;
}

bool KavrinSocket::Bind(int port, const char* address) {
  _bindAddressInUse = false;
  KavrinNet::PrepareToListen(_socket);
  unsigned char bytes[4];
  if (address == nullptr || !KavrinNet::ParseIPv4(address, bytes)) {
    SetError("error in bind: not an IPv4 address: ");
    std::cerr << ErrorString << (address ? address : "") << std::endl;
    return false;
  }
  const int err = KavrinNet::Bind(_socket, address, port);
  if (err == 0) return true;
  if (KavrinNet::IsAddressInUse(err)) {
    _bindAddressInUse = true;
    return false;
  }
  SetError("error in bind.  errno=");
  std::cerr << ErrorString << err << " (Port=" << port << ")" << std::endl;
  return false;
}

int KavrinSocket::GetBoundPort() const { return KavrinNet::BoundPort(_socket); }

bool KavrinSocket::Listen(int queueSize) {
  _listenAddressInUse = false;
  const int err = KavrinNet::Listen(_socket, queueSize);
  if (err == 0) return true;
  if (KavrinNet::IsAddressInUse(err)) {
    _listenAddressInUse = true;
    return false;
  }
  SetError("error in listen");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Accept(KavrinSocket& connection) {
  connection.Close();
  if (KavrinNet::Accept(_socket, connection._socket) == 0) return true;
  SetError("error in accept: ");
  std::cerr << ErrorString << std::endl;
  return false;
}

std::string KavrinSocket::PeerAddress() const { return KavrinNet::PeerAddress(_socket); }

bool KavrinSocket::Connect(const char* hostname, int port) {
  std::string address, reason;
  if (hostname == nullptr || !KavrinNet::Resolve(hostname, address, reason)) {
    // An unknown host is a connect failure like any other; the message names the host.
    SetError("error in connect: unknown host ");
    std::cerr << ErrorString << (hostname ? hostname : "") << std::endl;
    return false;
  }
  if (_socket < 0) _socket = KavrinNet::Open();
  const int err = KavrinNet::Connect(_socket, address, port);
  if (err == 0) return true;
  SetError("error in connect: errno=");
  std::cerr << ErrorString << err << std::endl;
  return false;
}

bool KavrinSocket::Select(int millisec_timeout) {
  if (_socket < 0) {
    SetError("error in select");
    std::cerr << ErrorString << KavrinNet::kNotASocket << std::endl;
    return false;
  }
  using Clock = std::chrono::steady_clock;
  const bool unlimited = millisec_timeout < 0;
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(unlimited ? 0 : millisec_timeout);
  std::vector<KavrinNet::PollItem> items(1);
  items[0].fd = _socket;
  items[0].wantRead = true;
  int wait_ms = unlimited ? -1 : millisec_timeout;
  for (;;) {
    const int err = KavrinNet::Poll(items, wait_ms);
    if (err == 0) return items[0].readable;
    if (!KavrinNet::IsInterrupted(err)) {
      SetError("error in select");
      std::cerr << ErrorString << err << std::endl;
      return false;
    }
    if (!unlimited) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      wait_ms = left > 0 ? static_cast<int>(left) : 0;
    }
  }
}

int KavrinSocket::Recv(char* buffer, int buf_len) {
  return static_cast<int>(KavrinNet::Read(_socket, buffer, buf_len > 0 ? static_cast<size_t>(buf_len) : 0));
}

int KavrinSocket::RecvBlock(char* buffer, int desired_len) {
  int count = 0;
  while (count < desired_len) {
    int n = Recv(buffer + count, desired_len - count);
    if (n <= 0) break;
    count += n;
  }
  return count;
}

int KavrinSocket::RecvBlock(char* buffer, int buflen, const char* endstr) {
  int count = 0;
  const size_t endlen = endstr ? std::strlen(endstr) : 0;
  if (buflen >= 0) buffer[0] = '\0';
  while (count < buflen) {
    int n = Recv(buffer + count, buflen - count);
    if (n <= 0) break;
    count += n;
    buffer[count] = '\0';
    if (endlen > 0 && static_cast<size_t>(count) >= endlen &&
        std::memcmp(buffer + count - endlen, endstr, endlen) == 0)
      break;
  }
  return count;
}

int KavrinSocket::Send(const char* str, int strlen) {
  if (_socket < 0 || strlen < 0) return -1;
  int sent = 0;
  while (sent < strlen) {
    const long n = KavrinNet::Write(_socket, str + sent, static_cast<size_t>(strlen - sent));
    if (n <= 0) return -1;
    sent += static_cast<int>(n);
  }
  return sent;
}

void KavrinSocket::Close() {
  if (_socket < 0) return;
  // A socket that was never connected, or whose peer reset it, cannot be shut down; that is no
  // failure worth reporting when it is being closed anyway.
  const int err = KavrinNet::Shutdown(_socket, false);
  if (err != 0 && !KavrinNet::IsGoneOnShutdown(err)) {
    SetError("error in shutdown.  errno=");
    std::cerr << ErrorString << err << std::endl;
  }
  KavrinNet::Close(_socket);
  _socket = -1;
}

void KavrinSocket::CloseGracefully(int timeout_ms) {
  if (_socket < 0) return;
  if (KavrinNet::Shutdown(_socket, true) == 0) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
    char discard[4096];
    std::vector<KavrinNet::PollItem> items(1);
    items[0].fd = _socket;
    items[0].wantRead = true;
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) break;
      const int err = KavrinNet::Poll(items, static_cast<int>(left));
      if (err != 0 && KavrinNet::IsInterrupted(err)) continue;
      if (err != 0 || !items[0].readable) break;
      const long n = KavrinNet::Read(_socket, discard, sizeof discard);
      if (n <= 0) break;  // the peer's end of stream, or the link is gone
    }
  }
  KavrinNet::Close(_socket);
  _socket = -1;
}

char* KavrinSocket::GetErrorString() { return ErrorString; }

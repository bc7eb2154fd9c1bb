// The parts of the socket calls that do not depend on the system.
#include "BaseClasses/KavrinNet.h"

#include <string>

std::string KavrinNet::DottedIPv4(const unsigned char bytes[4]) {
  return std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "." + std::to_string(bytes[2]) + "." +
         std::to_string(bytes[3]);
}

bool KavrinNet::Resolve(const std::string& host, std::string& dotted, std::string& reason) {
  unsigned char bytes[4];
  if (LookUp(host, bytes, reason) != 0) return false;
  dotted = DottedIPv4(bytes);
  return true;
}

bool KavrinNet::LocalAddressTo(const std::string& remote, std::string& local, std::string& reason) {
  unsigned char to[4], from[4];
  if (!ParseIPv4(remote, to)) {
    reason = remote + " is not an IPv4 address";
    return false;
  }
  bool noSocket = false;
  const int err = RouteFrom(to, from, noSocket);
  if (err != 0) {
    reason = (noSocket ? "socket: " : "no route to " + remote + ": ") + ErrorText(err);
    return false;
  }
  local = DottedIPv4(from);
  return true;
}

int KavrinNet::BoundPort(int fd) {
  unsigned char bytes[4];
  int port = -1;
  return fd >= 0 && AddressOf(fd, false, bytes, port) == 0 ? port : -1;
}

std::string KavrinNet::PeerAddress(int fd) {
  unsigned char bytes[4];
  int port = -1;
  return fd >= 0 && AddressOf(fd, true, bytes, port) == 0 ? DottedIPv4(bytes) : "";
}

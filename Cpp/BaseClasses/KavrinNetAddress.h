// KavrinNetAddress: the IPv4 socket structures, which both systems' socket calls fill the same
// way. Only KavrinNetPosix.cpp and KavrinNetWindows.cpp include it, after their system's socket
// headers: it includes none itself, so nothing else sees a network header through it.
#ifndef KAVRIN_BASECLASSES_KAVRINNETADDRESS_H
#define KAVRIN_BASECLASSES_KAVRINNETADDRESS_H

#include <cstring>
#include <string>

class KavrinNetAddress {
 public:
  // The address of four bytes in network order and a port.
  static sockaddr_in Of(const unsigned char bytes[4], int port) {
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<unsigned short>(port));
    std::memcpy(&addr.sin_addr, bytes, 4);
    return addr;
  }

  // The address of a dotted IPv4 text and a port; false when the text is not one.
  static bool Parse(const std::string& dotted, int port, sockaddr_in& addr) {
    unsigned char bytes[4];
    if (::inet_pton(AF_INET, dotted.c_str(), bytes) != 1) return false;
    addr = Of(bytes, port);
    return true;
  }

  // An address's four bytes and its port; false when it is not an IPv4 address.
  static bool Split(const sockaddr_in& addr, unsigned char bytes[4], int& port) {
    if (addr.sin_family != AF_INET) return false;
    std::memcpy(bytes, &addr.sin_addr, 4);
    port = ntohs(addr.sin_port);
    return true;
  }

  // What a look-up of a host's IPv4 stream address asks for.
  static addrinfo StreamHints() {
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    return hints;
  }
};

#endif

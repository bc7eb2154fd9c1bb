// The socket wrapper's parts that do not depend on the operating system; KavrinSocketPosix.cpp and
// KavrinSocketWindows.cpp hold the rest.
#include "BaseClasses/KavrinSocket.h"

#include <cstring>

#include "BaseClasses/KavrinName.h"

bool KavrinSocket::_libraryInitialized = false;

bool KavrinSocket::SocketLibraryInitialized() { return _libraryInitialized; }

void KavrinSocket::SetError(const char* text) { KavrinReplaceName(ErrorString, text); }

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

char* KavrinSocket::GetErrorString() { return ErrorString; }

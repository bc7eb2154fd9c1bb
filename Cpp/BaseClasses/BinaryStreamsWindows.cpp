// Every program built for Windows writes its text as bytes: standard streams and every file it
// opens are switched to binary mode before main, so "\n" is written as "\n" and result files,
// traces and messages have the same bytes on every platform. Linked into each executable.
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

namespace {
struct BinaryStreams {
  BinaryStreams() {
    _fmode = _O_BINARY;  // files opened later, also through iostreams
    _setmode(0, _O_BINARY);
    _setmode(1, _O_BINARY);
    _setmode(2, _O_BINARY);
  }
};
// Before any other static object may write.
#if defined(__GNUC__)
__attribute__((init_priority(101))) BinaryStreams binaryStreams;
#else
#pragma init_seg(lib)
BinaryStreams binaryStreams;
#endif
}  // namespace

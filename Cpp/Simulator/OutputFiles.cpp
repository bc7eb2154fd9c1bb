#include "Simulator/OutputFiles.h"

#include <cerrno>
#include <ostream>

namespace OutputFiles {

int WriteError(std::ostream& stream) {
  if (!stream.fail()) return 0;
  // A failed stream stays failed without touching the file again: clear it and flush the bytes
  // still pending, so the error number is the file's own and not whatever came since.
  stream.clear();
  errno = 0;
  stream.flush();
  const int error = errno != 0 ? errno : EIO;
  stream.setstate(std::ios::badbit);
  return error;
}

}  // namespace OutputFiles

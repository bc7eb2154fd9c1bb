// Checks on the simulator's output files: whether a stream's writes have failed, and why.
// Free functions over caller-owned streams; SimulatorClass decides what a failure ends.
#ifndef KAVRIN_OUTPUTFILES_H
#define KAVRIN_OUTPUTFILES_H

#include <iosfwd>

namespace OutputFiles {

// 0 when every write to the stream so far has reached the file; otherwise the error number of
// the failure (the pending bytes are flushed once more to learn it, EIO when that tells nothing).
int WriteError(std::ostream& stream);

}  // namespace OutputFiles

#endif

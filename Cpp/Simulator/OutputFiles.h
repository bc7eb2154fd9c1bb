// Checks on the simulator's output files: before opening, that no two outputs share a file and
// that each can be opened; while writing, whether a stream's writes have failed, and why.
// Free functions over caller-owned names and streams; SimulatorClass decides what a failure ends.
#ifndef KAVRIN_SIMULATOR_OUTPUTFILES_H
#define KAVRIN_SIMULATOR_OUTPUTFILES_H

#include <iosfwd>
#include <string>
#include <vector>

namespace OutputFiles {

// 0 when every write to the stream so far has reached the file; otherwise the error number of
// the failure (the pending bytes are flushed once more to learn it, EIO when that tells nothing).
int WriteError(std::ostream& stream);

// True when both names lead to one file: the same existing file (links followed), or, for files
// not there yet, the same path once made absolute and resolved.
bool SameFile(const std::string& a, const std::string& b);

// One output the run will write, with what to call it in messages.
struct Output {
  std::string kind;  // "ASCII result", "binary result", "trace"
  std::string name;
};

// Before any output is truncated: refuses two outputs on one file, then makes sure each can be
// opened for writing (in append mode, so nothing already there changes; files created by the
// check are removed again when another output fails). Prints the reason and returns false when
// the run must not start.
bool CheckBeforeOpening(const std::vector<Output>& outputs);

}  // namespace OutputFiles

#endif

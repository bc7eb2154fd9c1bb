// Results computed from the files simulators wrote (`-b` binary or `-a` ASCII result files, for
// example those of a detached run or of jobs run on a cluster) instead of from live simulators.
// Each file becomes one process of the experiment and the kind of run it holds, and every
// observation in it is pooled as a live run pools its simulators', file by file in the order
// given: the figures are those of a live run whose simulators sent the same records and ended
// on their own.
#ifndef KAVRIN_SIMMGR_FROMFILES_H
#define KAVRIN_SIMMGR_FROMFILES_H

#include <iosfwd>
#include <string>
#include <vector>

#include "Manager.h"
#include "Options.h"
#include "PVDescription.h"

namespace simmgr {

class FromFiles {
 public:
  FromFiles(const Options& options, const PVDescription& description, std::ostream& messages);
  // False with a message when a file cannot be read or is not a result file. A file whose last
  // record was cut short still counts up to that record, and its process says so.
  bool Read(RunResult& run);

 private:
  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
};

// Fields of a result file's header line ("KEY=value" between commas).
std::string HeaderField(const std::string& header, const std::string& key);

}  // namespace simmgr

#endif

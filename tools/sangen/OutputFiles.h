// OutputFiles: writes a set of generated files so that a failure cannot leave a short or empty file
// behind. Each changed file is first written in full to a temporary name beside it and closed with
// its errors checked; only when every file of the set is written are they renamed into place. A
// file whose text is unchanged is left alone, so a rebuild recompiles only what changed.
#ifndef KAVRIN_SANGEN_OUTPUTFILES_H
#define KAVRIN_SANGEN_OUTPUTFILES_H

#include <map>
#include <string>

namespace sangen {

class OutputFiles {
 public:
  // Path -> contents. Returns "" on success, otherwise "cannot write <path>: <reason>". A failure
  // to write changes no file of the set and leaves no temporary file (folders made on the way may
  // stay); only a rename refused after every file was written can leave the set half replaced.
  static std::string Write(const std::map<std::string, std::string>& files);
};

}  // namespace sangen

#endif

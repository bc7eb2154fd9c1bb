// OutputFiles: writes a set of generated files so that a failure cannot leave a short or empty file
// behind. Each changed file is first written in full to a temporary name beside it and closed with
// its errors checked; only when every file of the set is written are they renamed into place. A
// file whose text is unchanged is left alone, so a rebuild recompiles only what changed.
#ifndef SANGEN_OUTPUTFILES_H
#define SANGEN_OUTPUTFILES_H

#include <map>
#include <string>

namespace sangen {

class OutputFiles {
 public:
  // Path -> contents. Returns "" on success, otherwise "cannot write <path>: <reason>"; on a
  // failure no file of the set is changed or created (folders made on the way may stay).
  static std::string Write(const std::map<std::string, std::string>& files);
};

}  // namespace sangen

#endif

// One output file of the manager (--csv, --json), written whole or not at all: the text goes
// to a temporary file in the same folder, which then takes the place of the old one, so a full
// disk or a run killed while writing leaves the previous file as it was. A device or pipe
// (/dev/null, /dev/stdout) is written directly.
#ifndef KAVRIN_SIMMGR_RESULTFILE_H
#define KAVRIN_SIMMGR_RESULTFILE_H

#include <functional>
#include <iosfwd>
#include <string>
#include <utility>

namespace simmgr {

class ResultFile {
 public:
  explicit ResultFile(std::string path) : _path(std::move(path)) {}

  // Before the run: whether the file can be written, leaving nothing behind.
  bool Probe(std::string& error) const;
  // Writes what `body` prints; false with the reason, the old file untouched, otherwise.
  bool Write(const std::function<void(std::ostream&)>& body, std::string& error) const;

  // The temporary file Write uses for this process.
  std::string TemporaryName() const;

 private:
  // The file that is replaced: a symbolic link's target, so the link stays.
  std::string Target() const;
  bool Direct() const;  // exists and is not a regular file

  std::string _path;
};

}  // namespace simmgr

#endif

// Reading the manager's text inputs: a whole file up to a size limit, a description file
// through its parser, and a line or list cut into fields.
#ifndef KAVRIN_SIMMGR_TEXTFILES_H
#define KAVRIN_SIMMGR_TEXTFILES_H

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace simmgr {

// The most a description file (.pv, .pvkind, .study) may hold: far more than any study needs,
// and a bound on what a wrong path such as a device reads.
constexpr size_t kTextFileLimit = size_t{16} << 20;

// The whole of a file in `text`; false, with the reason in `error`, when it cannot be read or
// holds more than `limit` bytes (reading stops there, so an endless device ends too).
bool ReadFile(const std::string& path, std::string& text, std::string& error, size_t limit = kTextFileLimit);

// At most the first `count` bytes of a file.
bool ReadHead(const std::string& path, size_t count, std::string& text, std::string& error);

// Reads a file (at most kTextFileLimit bytes) and hands its text to `parse`; a parse error is
// prefixed with the path.
bool LoadFile(const std::string& path, const std::function<bool(const std::string&, std::string&)>& parse,
              std::string& error);

// The fields of `text` between separators; a final separator adds no empty field.
std::vector<std::string> SplitFields(const std::string& text, char separator);

}  // namespace simmgr

#endif

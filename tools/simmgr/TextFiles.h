// Reading the manager's text inputs: a whole file, a description file through its parser, and
// a line or list cut into fields.
#ifndef SIMMGR_TEXTFILES_H
#define SIMMGR_TEXTFILES_H

#include <functional>
#include <string>
#include <vector>

namespace simmgr {

// The whole of a file in `text`; false, with the reason in `error`, when it cannot be read.
bool ReadFile(const std::string& path, std::string& text, std::string& error);

// Reads a file and hands its text to `parse`; a parse error is prefixed with the path.
bool LoadFile(const std::string& path, const std::function<bool(const std::string&, std::string&)>& parse,
              std::string& error);

// The fields of `text` between separators; a final separator adds no empty field.
std::vector<std::string> SplitFields(const std::string& text, char separator);

}  // namespace simmgr

#endif

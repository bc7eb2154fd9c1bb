#include "TextFiles.h"

#include <fstream>
#include <sstream>

namespace simmgr {

bool ReadFile(const std::string& path, std::string& text, std::string& error, size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  text.clear();
  char buffer[65536];
  while (in) {
    in.read(buffer, sizeof buffer);
    const size_t got = static_cast<size_t>(in.gcount());
    if (got == 0) break;
    if (text.size() + got > limit) {
      error = path + " is larger than " + std::to_string(limit) + " bytes; not read";
      text.clear();
      return false;
    }
    text.append(buffer, got);
  }
  if (in.bad()) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

bool ReadHead(const std::string& path, size_t count, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  text.assign(count, '\0');
  in.read(&text[0], static_cast<std::streamsize>(count));
  text.resize(static_cast<size_t>(in.gcount()));
  return !in.bad();
}

bool LoadFile(const std::string& path, const std::function<bool(const std::string&, std::string&)>& parse,
              std::string& error) {
  std::string text;
  if (!ReadFile(path, text, error)) return false;
  if (!parse(text, error)) {
    error = path + ": " + error;
    return false;
  }
  return true;
}

std::vector<std::string> SplitFields(const std::string& text, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(text);
  while (std::getline(in, field, separator)) fields.push_back(field);
  return fields;
}

}  // namespace simmgr

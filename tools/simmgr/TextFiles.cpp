#include "TextFiles.h"

#include <fstream>
#include <sstream>

namespace simmgr {

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    error = "cannot read " + path;
    return false;
  }
  std::ostringstream ss;
  ss << in.rdbuf();
  text = ss.str();
  return true;
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

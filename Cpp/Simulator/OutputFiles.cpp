#include "Simulator/OutputFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <ostream>
#include <system_error>

namespace OutputFiles {

int WriteError(std::ostream& stream) {
  if (!stream.fail()) return 0;
  // A failed stream stays failed without touching the file again: clear it and flush the bytes
  // still pending, so the error number is the file's own and not whatever came since.
  stream.clear();
  errno = 0;
  stream.flush();
  const int error = errno != 0 ? errno : EIO;
  stream.setstate(std::ios::badbit);
  return error;
}

bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) {
    const bool same = fs::equivalent(a, b, ec);
    if (!ec) return same;
  }
  const fs::path pa = fs::weakly_canonical(fs::absolute(a, ec), ec);
  const fs::path pb = fs::weakly_canonical(fs::absolute(b, ec), ec);
  return pa == pb;
}

bool CheckBeforeOpening(const std::vector<Output>& outputs) {
  for (size_t i = 0; i < outputs.size(); ++i) {
    for (size_t j = i + 1; j < outputs.size(); ++j) {
      if (!SameFile(outputs[i].name, outputs[j].name)) continue;
      std::cerr << "ERROR: The " << outputs[i].kind << " file '" << outputs[i].name << "' and the "
                << outputs[j].kind << " file '" << outputs[j].name
                << "' are one file; each output needs a file of its own" << std::endl;
      return false;
    }
  }
  std::vector<std::string> created;
  for (const Output& output : outputs) {
    std::error_code ec;
    const bool existed = std::filesystem::exists(output.name, ec);
    errno = 0;
    std::ofstream probe(output.name, std::ios::out | std::ios::app);
    if (probe.is_open()) {
      probe.close();
      if (!existed) created.push_back(output.name);
      continue;
    }
    const int error = errno != 0 ? errno : EIO;
    std::cerr << "ERROR: Unable to open " << output.kind << " file '" << output.name
              << "': " << std::strerror(error) << std::endl;
    for (const std::string& name : created) std::filesystem::remove(name, ec);
    return false;
  }
  return true;
}

}  // namespace OutputFiles

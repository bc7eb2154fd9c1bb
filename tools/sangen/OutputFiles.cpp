#include "OutputFiles.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace sangen {

namespace fs = std::filesystem;

namespace {

bool Unchanged(const fs::path& path, const std::string& text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream old;
  old << in.rdbuf();
  return old.str() == text;
}

// Writes and closes the file; the reason of a failure, or "".
std::string WriteWhole(const fs::path& path, const std::string& text) {
  errno = 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return std::strerror(errno != 0 ? errno : EIO);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.flush();
  const int afterWrite = errno;
  out.close();
  if (out.fail()) return std::strerror(errno != 0 ? errno : afterWrite != 0 ? afterWrite : EIO);
  return "";
}

}  // namespace

std::string OutputFiles::Write(const std::map<std::string, std::string>& files) {
  std::vector<std::pair<fs::path, fs::path>> renames;  // temporary -> final
  std::string failure;
  for (const auto& file : files) {
    const fs::path path = file.first;
    if (Unchanged(path, file.second)) continue;
    std::error_code ec;
    if (!path.parent_path().empty()) fs::create_directories(path.parent_path(), ec);
    if (ec) {
      failure = "cannot write " + path.string() + ": " + ec.message();
      break;
    }
    fs::path temporary = path;
    temporary += ".sangen-new";
    const std::string why = WriteWhole(temporary, file.second);
    renames.emplace_back(temporary, path);
    if (!why.empty()) {
      failure = "cannot write " + path.string() + ": " + why;
      break;
    }
  }
  for (const auto& r : renames) {
    std::error_code ec;
    if (failure.empty()) {
      fs::rename(r.first, r.second, ec);
      if (ec) failure = "cannot write " + r.second.string() + ": " + ec.message();
    }
    if (!failure.empty()) fs::remove(r.first, ec);
  }
  return failure;
}

}  // namespace sangen

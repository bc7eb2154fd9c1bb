#include "ResultFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "Os.h"

namespace simmgr {

namespace fs = std::filesystem;

std::string ResultFile::Target() const {
  std::error_code ec;
  if (fs::is_symlink(_path, ec)) {
    const fs::path target = fs::canonical(_path, ec);
    if (!ec) return target.string();
  }
  return _path;
}

bool ResultFile::Direct() const {
  std::error_code ec;
  const fs::file_status st = fs::status(_path, ec);
  return !ec && fs::exists(st) && !fs::is_regular_file(st) && !fs::is_directory(st);
}

std::string ResultFile::TemporaryName() const { return Target() + ".tmp" + std::to_string(os::ProcessId()); }

bool ResultFile::Probe(std::string& error) const {
  std::error_code ec;
  if (fs::is_directory(_path, ec)) {
    error = "cannot write " + _path + ": it is a folder";
    return false;
  }
  // An existing file must be writable itself (one made read-only is not replaced), and the
  // folder must take the temporary file; what the probe made is removed.
  const bool direct = Direct();
  if (direct || fs::exists(_path, ec)) {
    std::ofstream f(_path, std::ios::binary | std::ios::app);
    if (!f) {
      error = "cannot write " + _path;
      return false;
    }
  }
  if (direct) return true;
  const std::string probe = TemporaryName();
  std::ofstream f(probe, std::ios::binary | std::ios::app);
  if (!f) {
    error = "cannot write " + _path + " (no new file can be made in its folder)";
    return false;
  }
  f.close();
  std::remove(probe.c_str());
  return true;
}

bool ResultFile::Write(const std::function<void(std::ostream&)>& body, std::string& error) const {
  const bool direct = Direct();
  const std::string target = Target();
  const std::string name = direct ? _path : TemporaryName();
  {
    std::ofstream f(name, std::ios::binary | std::ios::trunc);
    if (!f) {
      error = "cannot write " + _path;
      return false;
    }
    body(f);
    f.close();
    if (!f) {
      error = "error writing " + _path + " (full disk?)" + (direct ? "" : "; the previous file is kept");
      if (!direct) std::remove(name.c_str());
      return false;
    }
  }
  if (direct) return true;
  std::error_code ec;
  const fs::file_status old = fs::status(target, ec);
  if (!ec && fs::is_regular_file(old)) fs::permissions(name, old.permissions(), ec);
  std::string why;
  if (!os::RenameOver(name, target, why)) {
    error = "cannot put " + name + " in the place of " + _path + ": " + why;
    std::remove(name.c_str());
    return false;
  }
  return true;
}

}  // namespace simmgr

#include "SourceFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "Description.h"

namespace sangen {

namespace {

Pos At(const YAML::Node& n) { return Pos{n.Mark().line + 1, n.Mark().column + 1}; }

}  // namespace

std::string SourceFile::Unreadable(const std::string& path) {
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::strerror(errno ? errno : ENOENT);
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) return "Is a directory";
  return "";
}

SourceFile SourceFile::Read(const std::string& path) {
  SourceFile file;
  file.Path = path;
  auto refuse = [&](const Pos& at, const std::string& message) {
    DescriptionError error(at, message);
    error.File = path;
    return error;
  };
  const std::string reason = Unreadable(path);
  if (!reason.empty()) throw refuse(Pos{1, 1}, "cannot open: " + reason);
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  if (in.bad()) throw refuse(Pos{1, 1}, "cannot open: read error");
  file.Text = text.str();
  try {
    file.Root = YAML::Load(file.Text);
    long long visited = 0;
    CheckTree(file.Root, visited);
  } catch (const YAML::Exception& e) {
    throw refuse(Pos{e.mark.line + 1, e.mark.column + 1}, "invalid YAML: " + e.msg);
  } catch (DescriptionError& e) {
    e.File = path;
    throw;
  }
  return file;
}

void SourceFile::CheckTree(const YAML::Node& n, long long& visited) {
  if (++visited > 1000000)
    throw DescriptionError(At(n), "the description is too large: more than 1000000 YAML nodes");
  if (n.IsMap()) {
    std::set<std::string> keys;
    for (const auto& kv : n) {
      if (!kv.first.IsScalar()) throw DescriptionError(At(kv.first), "a key must be a single value");
      if (!keys.insert(kv.first.Scalar()).second)
        throw DescriptionError(At(kv.first), "duplicate key '" + kv.first.Scalar() + "'");
      CheckTree(kv.second, visited);
    }
  } else if (n.IsSequence()) {
    for (const auto& e : n) CheckTree(e, visited);
  }
}

}  // namespace sangen

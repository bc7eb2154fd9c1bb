// SourceFile: one description file read into memory: its path, its text and its YAML tree, whose
// nodes keep their positions in the text. A file that cannot be read is refused at 1:1 ("cannot
// open: reason"), text the YAML parser rejects at the parser's position, and a duplicate key, a key
// that is not a single value or a tree too large to check at the node concerned; every refusal
// names the file.
#ifndef KAVRIN_SANGEN_SOURCEFILE_H
#define KAVRIN_SANGEN_SOURCEFILE_H

#include <yaml-cpp/yaml.h>

#include <string>

namespace sangen {

class SourceFile {
 public:
  // Reads and parses the file; throws DescriptionError.
  static SourceFile Read(const std::string& path);
  // Why the file cannot be read ("No such file or directory", "Is a directory"), or "".
  static std::string Unreadable(const std::string& path);

  std::string Path;
  std::string Text;
  YAML::Node Root;

 private:
  // Duplicate and non-scalar keys anywhere in the file; also bounds the nodes visited (aliases
  // can make a small file describe a huge tree).
  static void CheckTree(const YAML::Node& n, long long& visited);
};

}  // namespace sangen

#endif

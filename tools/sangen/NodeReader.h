// NodeReader: the reading of a description's YAML nodes, which keep their positions in the file:
// single values, keys, counts, numbers and pieces of C++, each refused with a DescriptionError at
// the line and column of the node (or of the character) that is wrong. The checker and the
// composer read their parts of a description through it.
#ifndef KAVRIN_SANGEN_NODEREADER_H
#define KAVRIN_SANGEN_NODEREADER_H

#include <yaml-cpp/yaml.h>

#include <set>
#include <string>

#include "Description.h"

namespace sangen {

class NodeReader {
 public:
  explicit NodeReader(const Limits& limits) : Most(limits) {}

  // A whole text read as a number (strtod), or false.
  static bool ParseNumber(const std::string& s, double* value);
  // The text with every `from` replaced by `to`.
  static std::string Replace(std::string text, const std::string& from, const std::string& to);

 protected:
  Limits Most;
  std::string Source;  // the text of the file being read (for the positions inside block scalars)
  std::string Index;   // text that "$i" stands for in the replica being read ("" outside replicas)

  Pos At(const YAML::Node& n) const;
  [[noreturn]] void Fail(const YAML::Node& n, const std::string& message) const;

  std::string Scalar(const YAML::Node& n, const std::string& what) const;
  // "$i" stands for the number of the replica being read; outside 'replicas' it stands for nothing,
  // and dropping it silently would make "Q$i" name Q.
  std::string Expand(const YAML::Node& n, const std::string& text) const;
  // The position of character `offset` of a scalar's text in the file (block scalars line by line).
  Pos PosIn(const YAML::Node& n, const std::string& text, size_t offset) const;
  Snippet Code(const YAML::Node& n, const std::string& what) const;
  // Code that must give a value: an empty text would leave "()" in the generated code.
  Snippet Expression(const YAML::Node& n, const std::string& what) const;
  void CheckKeys(const YAML::Node& map, const std::set<std::string>& known, const std::string& what) const;
  // A name that only becomes part of file and class names (reward model, study).
  void CheckPrefix(const YAML::Node& n, const std::string& name, const std::string& what) const;
  bool Bool(const YAML::Node& n, const std::string& what) const;
  // A count: a positive integer no larger than `most` (a limit of its own, raised with `option`).
  long long Whole(const YAML::Node& n, const std::string& what, const std::string& message, long long most,
                  const std::string& option) const;
  [[noreturn]] void TooMany(const YAML::Node& n, const std::string& what, long long most,
                            const std::string& option) const;
  // A time of a performance variable.
  double Time(const YAML::Node& x, const std::string& what) const;
  // A value written as a plain number must fit the type it is converted to; an expression is left
  // to the compiler.
  void CheckNumber(const YAML::Node& n, const std::string& text, const std::string& type,
                   const std::string& what) const;
};

}  // namespace sangen

#endif

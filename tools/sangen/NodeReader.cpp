#include "NodeReader.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <map>

#include "NameRules.h"

namespace sangen {

bool NodeReader::ParseNumber(const std::string& s, double* value) {
  if (s.empty()) return false;
  char* end = nullptr;
  *value = std::strtod(s.c_str(), &end);
  return end != nullptr && *end == '\0';
}

std::string NodeReader::Replace(std::string text, const std::string& from, const std::string& to) {
  if (from.empty()) return text;
  size_t at = 0;
  while ((at = text.find(from, at)) != std::string::npos) {
    text.replace(at, from.size(), to);
    at += to.size();
  }
  return text;
}

Pos NodeReader::At(const YAML::Node& n) const { return Pos{n.Mark().line + 1, n.Mark().column + 1}; }

void NodeReader::Fail(const YAML::Node& n, const std::string& message) const {
  throw DescriptionError(At(n), message);
}

std::string NodeReader::Scalar(const YAML::Node& n, const std::string& what) const {
  if (!n.IsScalar()) Fail(n, what + " must be a single value");
  return Expand(n, n.Scalar());
}

std::string NodeReader::Expand(const YAML::Node& n, const std::string& text) const {
  if (Index.empty() && text.find("$i") != std::string::npos)
    Fail(n,
         "'$i' stands for a replica's number: it is only meaningful in a place or activity with 'replicas'");
  return Replace(text, "$i", Index);
}

Pos NodeReader::PosIn(const YAML::Node& n, const std::string& text, size_t offset) const {
  const size_t pos = n.Mark().pos;
  const size_t lineIndex = static_cast<size_t>(std::count(text.begin(), text.begin() + offset, '\n'));
  const size_t lineStart = text.rfind('\n', offset == 0 ? 0 : offset - 1);
  const size_t column = lineStart == std::string::npos || offset == 0 ? offset : offset - lineStart - 1;
  if (pos < Source.size() && (Source[pos] == '|' || Source[pos] == '>')) {
    // The content starts on the line after the indicator; its indentation is that of the file's line
    // less the spaces the text itself keeps.
    size_t at = pos;
    for (size_t k = 0; k <= lineIndex && at != std::string::npos; k++) at = Source.find('\n', at) + 1;
    if (at == 0 || at >= Source.size()) return At(n);
    const size_t fileIndent = Source.find_first_not_of(' ', at) - at;
    const size_t textLine = lineStart == std::string::npos || offset == 0 ? 0 : lineStart + 1;
    const size_t textIndent = text.find_first_not_of(' ', textLine) - textLine;
    return Pos{n.Mark().line + 2 + static_cast<int>(lineIndex),
               static_cast<int>(fileIndent - std::min(fileIndent, textIndent) + column) + 1};
  }
  if (lineIndex > 0) return At(n);  // a folded scalar: its lines do not map one to one
  const bool quoted = pos < Source.size() && (Source[pos] == '"' || Source[pos] == '\'');
  return Pos{n.Mark().line + 1, n.Mark().column + 1 + static_cast<int>(column) + (quoted ? 1 : 0)};
}

Snippet NodeReader::Code(const YAML::Node& n, const std::string& what) const {
  Snippet s;
  s.Text = Scalar(n, what);
  s.At = At(n);
  // Block scalars ("|" or ">") start on the next line.
  size_t pos = n.Mark().pos;
  bool block = pos < Source.size() && (Source[pos] == '|' || Source[pos] == '>');
  s.Line = block ? n.Mark().line + 2 : n.Mark().line + 1;
  // An unpaired bracket would be reported by the compiler in the generated file, at the generated
  // line: report it here, where the modeller wrote it.
  const size_t bad = UnpairedBracket(s.Text);
  if (bad != std::string::npos) {
    const char c = s.Text[bad];
    throw DescriptionError(
        PosIn(n, s.Text, bad),
        what + ": '" + std::string(1, c) + "' " +
            (c == '(' || c == '[' || c == '{' ? "is never closed" : "closes nothing open"));
  }
  return s;
}

Snippet NodeReader::Expression(const YAML::Node& n, const std::string& what) const {
  Snippet s = Code(n, what);
  if (s.Text.find_first_not_of(" \t\r\n") == std::string::npos)
    Fail(n, what + " is empty: a C++ expression is expected");
  return s;
}

void NodeReader::CheckKeys(const YAML::Node& map, const std::set<std::string>& known,
                           const std::string& what) const {
  if (!map.IsMap()) Fail(map, what + " is a mapping");
  for (const auto& kv : map) {
    std::string key = kv.first.Scalar();
    if (!known.count(key)) Fail(kv.first, "unknown key '" + key + "' in " + what);
  }
}

void NodeReader::CheckPrefix(const YAML::Node& n, const std::string& name, const std::string& what) const {
  if (!NameRules::IsIdentifier(name)) Fail(n, what + " name '" + name + "' is not a C++ identifier");
}

bool NodeReader::Bool(const YAML::Node& n, const std::string& what) const {
  bool value = false;
  if (!n.IsScalar() || !YAML::convert<bool>::decode(n, value)) Fail(n, "'" + what + "' is true or false");
  return value;
}

long long NodeReader::Whole(const YAML::Node& n, const std::string& what, const std::string& message,
                            long long most, const std::string& option) const {
  double v = 0;
  if (!ParseNumber(Scalar(n, what), &v) || !std::isfinite(v) || v < 1 || v != std::floor(v)) Fail(n, message);
  if (v > static_cast<double>(most)) TooMany(n, Scalar(n, what) + " " + what, most, option);
  return static_cast<long long>(v);
}

void NodeReader::TooMany(const YAML::Node& n, const std::string& what, long long most,
                         const std::string& option) const {
  Fail(n, what + " would be more than the limit of " + std::to_string(most) + " (" + option + " raises it)");
}

double NodeReader::Time(const YAML::Node& x, const std::string& what) const {
  double d = 0;
  if (!ParseNumber(Scalar(x, what), &d)) Fail(x, what + " must be a number");
  if (!std::isfinite(d)) Fail(x, what + " must be a finite number");
  return d;
}

void NodeReader::CheckNumber(const YAML::Node& n, const std::string& text, const std::string& type,
                             const std::string& what) const {
  double v = 0;
  if (!ParseNumber(text, &v)) return;
  if (!std::isfinite(v)) Fail(n, what + " '" + text + "' is not a finite number");
  static const std::map<std::string, std::pair<double, double>> ranges{
      {"short", {-32768.0, 32767.0}},
      {"int", {-2147483648.0, 2147483647.0}},
      {"long", {-2147483648.0, 2147483647.0}},
      {"char", {-128.0, 127.0}},
      {"float", {-FLT_MAX, FLT_MAX}}};
  auto range = ranges.find(type);
  if (range != ranges.end() && !(v >= range->second.first && v <= range->second.second))
    Fail(n, what + " '" + text + "' is out of the range of " + type);
}
}  // namespace sangen

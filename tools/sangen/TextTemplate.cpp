#include "TextTemplate.h"

#include <algorithm>
#include <set>
#include <stdexcept>

namespace sangen {

namespace {

bool NameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

TextTemplate::TextTemplate(std::string text) {
  size_t at = 0;
  std::string literal;
  while (at < text.size()) {
    size_t open = text.find("{{", at);
    if (open == std::string::npos) break;
    size_t end = open + 2;
    while (end < text.size() && NameChar(text[end])) end++;
    // Only {{NAME}} is a hole: braces of the C++ around it stay text.
    if (end == open + 2 || text.compare(end, 2, "}}") != 0) {
      literal += text.substr(at, open + 1 - at);
      at = open + 1;
      continue;
    }
    literal += text.substr(at, open - at);
    if (!literal.empty()) Pieces.push_back(Piece{literal, false});
    literal.clear();
    Pieces.push_back(Piece{text.substr(open + 2, end - open - 2), true});
    at = end + 2;
  }
  literal += text.substr(at);
  if (!literal.empty()) Pieces.push_back(Piece{literal, false});
}

std::vector<std::string> TextTemplate::Holes() const {
  std::vector<std::string> names;
  for (const Piece& p : Pieces)
    if (p.Hole && std::find(names.begin(), names.end(), p.Text) == names.end()) names.push_back(p.Text);
  return names;
}

std::string TextTemplate::Fill(const std::map<std::string, std::string>& values) const {
  std::set<std::string> used;
  std::string out;
  for (const Piece& p : Pieces) {
    if (!p.Hole) {
      out += p.Text;
      continue;
    }
    auto it = values.find(p.Text);
    if (it == values.end()) throw std::logic_error("template hole {{" + p.Text + "}} has no value");
    out += it->second;
    used.insert(p.Text);
  }
  for (const auto& v : values)
    if (!used.count(v.first)) throw std::logic_error("the template has no hole {{" + v.first + "}}");
  return out;
}

}  // namespace sangen

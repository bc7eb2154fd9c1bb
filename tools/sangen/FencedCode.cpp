#include "FencedCode.h"

#include <sstream>

#include "CppText.h"

namespace sangen {

namespace {

// A line no description holds: YAML leaves these control characters out of its character set.
const std::string kMark = "\x01\x02resume-numbering\x02\x01";

}  // namespace

std::string FencedCode::Fence(const Snippet& snippet, const std::string& indent, const std::string& source) {
  std::string out;
  if (snippet.Line > 0)
    out += "#line " + std::to_string(snippet.Line) + " " + CppText::Literal(source) + "\n";
  std::string text = snippet.Text;
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) out += indent + line + "\n";
  if (snippet.Line > 0) out += kMark + "\n";
  return out;
}

std::string FencedCode::Resolve(const std::string& text, const std::string& file) {
  if (text.find(kMark) == std::string::npos) return text;
  std::string out;
  out.reserve(text.size());
  int number = 1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    if (text.compare(start, end - start, kMark + "\n") == 0)
      out += "#line " + std::to_string(number + 1) + " " + CppText::Literal(file) + "\n";
    else
      out.append(text, start, end - start);
    number++;
    start = end;
  }
  return out;
}

}  // namespace sangen

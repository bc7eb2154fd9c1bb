#include "CppText.h"

namespace sangen {

std::string CppText::Literal(const std::string& text) {
  std::string out = "\"";
  for (size_t k = 0; k < text.size(); k++) {
    const unsigned char c = static_cast<unsigned char>(text[k]);
    if (c == '"' || c == '\\' || (c == '?' && k > 0 && text[k - 1] == '?')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += '\\';
      out += static_cast<char>('0' + (c >> 6));
      out += static_cast<char>('0' + ((c >> 3) & 7));
      out += static_cast<char>('0' + (c & 7));
    }
  }
  return out + "\"";
}

std::string CppText::Comment(const std::string& text) {
  std::string out;
  for (char c : text) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7f ? ' ' : c;
  while (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

}  // namespace sangen

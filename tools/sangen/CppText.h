// CppText: texts of the description made safe for the generated C++. Every text that ends up in a
// string literal (names, experiment names, the file names of #line directives) goes through
// Literal, and a text written into a // comment through Comment, so no character of a
// description can end a literal or a comment early.
#ifndef KAVRIN_SANGEN_CPPTEXT_H
#define KAVRIN_SANGEN_CPPTEXT_H

#include <string>

namespace sangen {

class CppText {
 public:
  // The text as a C++ string literal, quotes included: printable ASCII as itself, with a backslash
  // before a quote, a backslash, and a ? that follows a ? (no trigraph can form); every other byte
  // as a three-digit octal escape, which cannot run into the character after it.
  static std::string Literal(const std::string& text);
  // The text on one comment line: control characters become spaces, and a trailing backslash
  // (which would continue the comment onto the next line) is dropped.
  static std::string Comment(const std::string& text);
};

}  // namespace sangen

#endif

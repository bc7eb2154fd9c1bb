// FencedCode: code taken from the description placed in a generated file between #line
// directives, so that the compiler reports it at its own line of the description. Fence() writes
// a piece of code with a mark where the generated file's own numbering resumes; Resolve() turns
// every mark into its #line directive once the whole file's text is known. Pieces of code can so
// be put into the holes of a template anywhere, before anyone knows on which line they will land.
#ifndef KAVRIN_SANGEN_FENCEDCODE_H
#define KAVRIN_SANGEN_FENCEDCODE_H

#include <string>

#include "Description.h"

namespace sangen {

class FencedCode {
 public:
  // The snippet on lines of its own, each after `indent`, trailing blanks and line breaks dropped.
  // With a line to point at (snippet.Line > 0), it follows "#line <line> <source>" and is followed
  // by the mark.
  static std::string Fence(const Snippet& snippet, const std::string& indent, const std::string& source);
  // The text with every mark replaced by the directive that gives the next line its own number in
  // `file`.
  static std::string Resolve(const std::string& text, const std::string& file);
};

}  // namespace sangen

#endif

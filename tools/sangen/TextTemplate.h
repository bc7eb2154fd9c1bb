// TextTemplate: a generated file's text with named holes, written as {{NAME}} (NAME: letters, digits
// and underscores). Fill() puts each hole's text in place; a hole left without a value, or a value
// for a hole the template lacks, is a fault of the generator and throws std::logic_error, so a
// template and its caller cannot drift apart unnoticed. Values are inserted as they are: a text that
// ends up inside a C++ string literal goes through CppText::Literal first.
#ifndef KAVRIN_SANGEN_TEXTTEMPLATE_H
#define KAVRIN_SANGEN_TEXTTEMPLATE_H

#include <map>
#include <string>
#include <vector>

namespace sangen {

class TextTemplate {
 public:
  explicit TextTemplate(std::string text);

  // The template with every hole replaced by its value.
  std::string Fill(const std::map<std::string, std::string>& values) const;
  // The names of the holes, each once, in order of first appearance.
  std::vector<std::string> Holes() const;

 private:
  struct Piece {
    std::string Text;  // literal text, or the hole's name
    bool Hole;
  };
  std::vector<Piece> Pieces;
};

}  // namespace sangen

#endif

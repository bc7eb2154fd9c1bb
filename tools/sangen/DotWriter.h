// DotWriter: draws the intermediate representation of a checked description as Graphviz DOT.
// Places are circles labelled with their initial marking, timed activities are filled bars,
// instantaneous ones thin black bars, cases small diamonds behind their activity; arcs come from
// the derived enabling and affect lists.
#ifndef KAVRIN_SANGEN_DOTWRITER_H
#define KAVRIN_SANGEN_DOTWRITER_H

#include <string>

#include "Net.h"

namespace sangen {

class DotWriter {
 public:
  static std::string Write(const Net& net);
};

}  // namespace sangen

#endif

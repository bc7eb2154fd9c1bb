// NameRules: which texts may name something of the model in the generated C++ (the model, its
// places, globals and activities, the reward model and the study). Such a name must be a C++
// identifier that is no keyword, does not start with the generated code's own prefix or a prefix the
// C++ implementation keeps for itself, and is none of the names the framework declares or the
// generated code already uses where the model's own code runs (a global called Start would be
// hidden by the reward workers' member of that name).
#ifndef KAVRIN_SANGEN_NAMERULES_H
#define KAVRIN_SANGEN_NAMERULES_H

#include <string>

namespace sangen {

class NameRules {
 public:
  // Letters, digits and underscores, not starting with a digit (ASCII only).
  static bool IsIdentifier(const std::string& text);
  // Why the text cannot name an entity of the model ("is a C++ keyword", ...), or "" when it can.
  static std::string Problem(const std::string& name);
};

}  // namespace sangen

#endif

// ArcDerivation: the arcs of an atomic model's actions, found from what each activity's code and
// arcs name, so a modeller never lists them by hand. It reads the model's places and activities
// from the intermediate representation and fills in its actions (one per activity, or one per
// case), their enabling and affect arcs, the places each action holds, and the warnings about an
// explicit list or a reactivation that leaves something stale.
#ifndef KAVRIN_SANGEN_ARCDERIVATION_H
#define KAVRIN_SANGEN_ARCDERIVATION_H

#include <string>
#include <vector>

#include "NetModel.h"

namespace sangen {

class ArcDerivation {
 public:
  // Fills model.Actions and model.Warnings; model.Places must be in place.
  static void Derive(NetModel& model);

 private:
  explicit ArcDerivation(NetModel& model) : M(model) {}
  NetModel& M;
  // The places of the model a piece of C++ names, each once, in order of first mention.
  std::vector<std::string> PlacesIn(const std::string& code) const;
  void Run();
};

}  // namespace sangen

#endif

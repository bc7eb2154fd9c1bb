// DescriptionChecker: reads a description file and every submodel file it names into a Description,
// checking each part as it goes: the names it gives (unique, not taken by a name the generated code
// makes), globals, places, activities, arcs, rewards and the study with its experiments. The first
// thing wrong is refused with a DescriptionError at its line and column; the composition of a
// composed description is left to the Composer.
#ifndef KAVRIN_SANGEN_DESCRIPTIONCHECKER_H
#define KAVRIN_SANGEN_DESCRIPTIONCHECKER_H

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Description.h"
#include "NameRules.h"
#include "NodeReader.h"

namespace sangen {

class DescriptionChecker : public NodeReader {
 public:
  // Reads and checks a description; throws DescriptionError. A file that cannot be read is
  // refused at 1:1 of that file, or where the including description names it.
  static Description Load(const std::string& path, const Limits& limits = Limits());

  DescriptionChecker(const std::string& path, const Limits& limits) : NodeReader(limits), Path(path) {}

  // The checked description; throws DescriptionError.
  Description Run();

 private:
  std::string Path;
  Pos ModelAt;  // where the model is named (the default names of reward model and study follow from it)
  Description D;
  // Every name the generated C++ gives something at the model's level -> what it names, and
  // whether the modeller wrote it (a place, ...) or it is derived (an activity's group, ...).
  std::map<std::string, std::pair<std::string, bool>> UsedNames;

  // A name the modeller gives a place, global, activity or the model.
  void Claim(const YAML::Node& n, const std::string& name, const std::string& what) {
    const std::string problem = NameRules::Problem(name);
    if (!problem.empty()) Fail(n, what + " name '" + name + "' " + problem);
    auto taken = UsedNames.find(name);
    if (taken != UsedNames.end())
      Fail(n, taken->second.second ? "duplicate name '" + name + "'"
                                   : "name '" + name + "' is taken by " + taken->second.first);
    UsedNames[name] = {what + " '" + name + "'", true};
  }
  // A name the generated code makes from the modeller's (owner: "the group of activity 'A'").
  void Derive(const YAML::Node& n, const std::string& name, const std::string& owner) {
    DeriveAt(At(n), name, owner);
  }
  void DeriveAt(const Pos& at, const std::string& name, const std::string& owner) {
    auto taken = UsedNames.find(name);
    if (taken != UsedNames.end())
      throw DescriptionError(at, owner + " is called '" + name + "', a name taken by " + taken->second.first);
    UsedNames[name] = {owner, false};
  }

  void ReadGlobals(const YAML::Node& n);
  void ReadPlaces(const YAML::Node& n);
  void ReadActivities(const YAML::Node& n);
  ActivityDef ReadActivity(const YAML::Node& n);
  std::vector<ArcDef> ReadArcs(const YAML::Node& n, const std::string& what);
  std::vector<std::string> ReadPlaceList(const YAML::Node& n);
  void ReadRewards(const YAML::Node& n);
  void ReadStudy(const YAML::Node& n);
  void ReadSubmodels(const YAML::Node& n);
  void CheckPlaceNamed(const YAML::Node& n, const std::string& name) const;
};

}  // namespace sangen

#endif

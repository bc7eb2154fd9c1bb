// CodeGenerator: turns a checked Description into the generated-model sources the framework
// compiles (atomic model, reward model, study), in the folder shapes Atomic/<model>/,
// Reward/<reward>/ and Study/<study>/. It derives what a modeller should not write by hand: the
// enabling and affect arc lists (from the places each activity names), the group ids, the case
// groups, the reactivation of activities whose delay parameters read the marking, the stop on a
// marking a place cannot hold, the experiments' names and the description's SHA-256. Code taken
// from the description is fenced with #line directives so the compiler reports it at its line in
// the description file.
#ifndef SANGEN_CODEGENERATOR_H
#define SANGEN_CODEGENERATOR_H

#include <map>
#include <string>
#include <vector>

#include "Description.h"

namespace sangen {

class CodeGenerator {
 public:
  // A submodel's generator writes the atomic class of one submodel of a composed model: the atomic
  // contract, plus the naming of an instance by its path and a marking check of its own name (the
  // build compiles every generated file of a model as one unit).
  explicit CodeGenerator(const Description& d, bool submodel = false);

  // Relative path -> file contents.
  std::map<std::string, std::string> Generate(const std::string& outDir);

  // One action of the model: an activity, or one case of it.
  struct Action {
    std::string Name;       // action name ("Arrival", "Arrival_case2")
    std::string ClassName;  // "ArrivalActivity", "ArrivalActivity_case2"
    const ActivityDef* Def;
    int Case;  // -1 without cases
    int Group;
    std::vector<std::string> Members;  // places it holds pointers to, in order
    std::vector<std::string> Enables;  // enabling arcs
    std::vector<std::string> Affects;  // affect arcs
    bool MarkingDependent = false;     // its delay parameters read the marking
  };
  // The actions with their derived arcs (also used to draw the net).
  const std::vector<Action>& Actions() const { return ActionList; }
  // What the derivation found likely wrong: 'reactivation: off' on a delay that reads the marking,
  // an explicit 'enables' list that leaves out a place the activity's own expressions read.
  const std::vector<Warning>& Warnings() const { return WarningList; }

 private:
  const Description& D;
  std::vector<Action> ActionList;
  std::vector<Warning> WarningList;
  std::string SourcePath;  // the description path written into #line
  std::string SourceName;  // the same, fit for a comment
  std::string OutDir;
  bool Submodel = false;
  std::string MarkingFunction = "Kavrin_Marking";

  int PlaceIndex(const std::string& name) const;
  // Index among the model's own state variables (read-only places excluded), or among the
  // read-only places, as the framework numbers them.
  int StateIndex(const std::string& name) const;
  std::vector<std::string> PlacesIn(const std::string& code) const;
  void Derive();

  std::string AtomicHeader();
  std::string AtomicSource();
  // A submodel's instance naming (header members and their definitions).
  std::string InstanceMembers() const;
  std::string InstanceSource() const;
  // The classes of a composed model's nodes, from templates.
  std::string ComposedHeader() const;
  std::string ComposedSource() const;
  // The atomic models the reward variables read: the model, or the submodels they are over.
  std::vector<std::string> ReadModels() const;
  // The description a reward variable reads: the model's, or that of the submodel it is over.
  const Description& Scope(const VariableDef& v) const;
  std::string RewardModelHeader();
  std::string RewardModelSource();
  std::string RewardNodesHeader();
  std::string RewardNodesSource();
  std::string StudyHeader();
  std::string StudySource();

  // The description's SHA-256, the experiments' names, and the study's printing of its globals.
  std::string ProvenanceSource() const;
  std::string ExperimentNameTable() const;
  std::string PrintGlobalValuesSource() const;
  // The check that stops a run whose generated arcs or initial markings overflow a place.
  std::string MarkingCheck() const;
  std::string CheckedMarking(const PlaceDef& p, const std::string& place, const std::string& what) const;
};

}  // namespace sangen

#endif

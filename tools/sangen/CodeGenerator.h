// CodeGenerator: turns the intermediate representation of a checked description (Net: its models
// with their arcs derived by ArcDerivation, rewards and study) into the generated-model sources the framework
// compiles (atomic model, reward model, study), in the folder shapes Atomic/<model>/, Reward/<reward>/ and
// Study/<study>/. Every file is written from TextTemplates with named holes; it adds what a
// modeller should not write by hand: the group ids, the case groups, the reactivation of
// activities whose delay parameters read the marking, the stop on a marking a place cannot hold,
// the experiments' names and the description's SHA-256. Code taken from the description is fenced
// with #line directives (FencedCode) so the compiler reports it at its line in the description's
// file, and every text in a string literal goes through CppText::Literal.
#ifndef KAVRIN_SANGEN_CODEGENERATOR_H
#define KAVRIN_SANGEN_CODEGENERATOR_H

#include <map>
#include <string>
#include <vector>

#include "Description.h"
#include "Net.h"

namespace sangen {

class CodeGenerator {
 public:
  // A submodel's generator writes the atomic class of one submodel of a composed model: the atomic
  // contract, plus the naming of an instance by its path and a marking check of its own name (the
  // build compiles every generated file of a model as one unit).
  // The representation must outlive the generator.
  explicit CodeGenerator(const Net& net, bool submodel = false);

  // Relative path -> file contents.
  std::map<std::string, std::string> Generate(const std::string& outDir);

  // One action of the model: an activity, or one case of it, with its derived arcs.
  using Action = NetAction;
  // The actions with their derived arcs (also used to draw the net); none for a composed model,
  // whose actions are its submodels'.
  const std::vector<Action>& Actions() const;
  // What the derivation found likely wrong: 'reactivation: off' on a delay that reads the marking,
  // an explicit 'enables' list that leaves out a place the activity's own expressions read.
  const std::vector<Warning>& Warnings() const { return WarningList; }

 private:
  // The submodel `model` of a composed representation.
  CodeGenerator(const Net& whole, size_t model);

  const Net& N;
  const NetModel* Model;  // the atomic model written; null for a composed model's top
  std::string ModelName;  // the model written: the atomic one, or the composed model's top
  std::vector<Warning> WarningList;
  std::string SourcePath;  // the description path written into #line
  std::string SourceName;  // the same, fit for a comment
  std::string OutDir;
  bool Submodel = false;
  std::string MarkingFunction = "Kavrin_Marking";

  std::string AtomicHeader();
  std::string AtomicSource();
  std::string ActivitySource(const Action& x) const;
  // A snippet of the description fenced by #line directives, for a hole of a template.
  std::string Fenced(const Snippet& s, const std::string& indent) const;
  // A submodel's instance naming (header members and their definitions).
  std::string InstanceMembers() const;
  std::string InstanceSource() const;
  // The classes of a composed model's nodes, from templates.
  std::string ComposedHeader() const;
  std::string ComposedSource() const;
  // The atomic models the reward variables read: the model, or the submodels they are over.
  std::vector<std::string> ReadModels() const;
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

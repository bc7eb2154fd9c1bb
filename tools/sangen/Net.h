// Net: the intermediate representation of a whole description that the emitters read. It holds
// the atomic models (the model itself, or each submodel of a composed model) with their places
// numbered as the framework numbers them and their actions with the arcs derived for them, the
// instances of a composed model by path, and the rewards and the study of the description. Built
// from a description that passed every check; it keeps pointers into that description, which must
// outlive it.
#ifndef KAVRIN_SANGEN_NET_H
#define KAVRIN_SANGEN_NET_H

#include <string>
#include <vector>

#include "Description.h"

namespace sangen {

// A place of an atomic model. `State` numbers it among the model's state variables, or among its
// read-only places when it is one.
struct NetPlace {
  const PlaceDef* Def = nullptr;
  int Index = 0;
  int State = 0;
};

// One action of an atomic model: an activity, or one case of it, with its derived arcs.
struct NetAction {
  std::string Name;       // action name ("Arrival", "Arrival_case2")
  std::string ClassName;  // "ArrivalActivity", "ArrivalActivity_case2"
  const ActivityDef* Def = nullptr;
  int Case = -1;  // -1 without cases
  int Group = 0;
  std::vector<std::string> Members;  // places it holds pointers to, in order
  std::vector<std::string> Enables;  // enabling arcs
  std::vector<std::string> Affects;  // affect arcs
  bool MarkingDependent = false;     // its delay parameters read the marking
};

// One atomic model: its description (the model's, or a submodel's), places and actions.
struct NetModel {
  const Description* Source = nullptr;
  std::vector<NetPlace> Places;
  std::vector<NetAction> Actions;
  std::vector<Warning> Warnings;  // what the derivation of its arcs found likely wrong
  const std::string& Name() const { return Source->ModelName; }
  const NetPlace* FindPlace(const std::string& name) const;
};

// An atomic instance of a composed model: its path ("Farm.Server[3]") and the model it is of.
struct NetInstance {
  std::string Path;
  size_t Model = 0;
};

class Net {
 public:
  // The representation of a checked description, its arcs derived.
  static Net Build(const Description& d);
  // The atomic model of one description alone (a submodel's, for instance), its arcs derived.
  static NetModel Atomic(const Description& d);

  const Description* Top = nullptr;
  std::vector<NetModel> Models;        // the model itself, or every submodel in description order
  std::vector<NetInstance> Instances;  // a composed model's instances, in the order they are built
  bool Composed() const { return Top->Composed; }
  const std::vector<VariableDef>& Rewards() const { return Top->Variables; }
  const std::vector<ExperimentDef>& Experiments() const { return Top->Experiments; }
  const NetModel* FindModel(const std::string& name) const;
  // Every model's warnings, naming a submodel's own file where it has one.
  std::vector<Warning> Warnings() const;
};

}  // namespace sangen

#endif

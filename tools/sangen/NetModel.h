// NetModel: one atomic model of the intermediate representation (the model itself, or a submodel
// of a composed one): its places, numbered as the framework numbers them, and its actions (an
// activity, or one case of it) with the arcs derived for them. Net holds the models of a whole
// description; ArcDerivation fills in their actions.
#ifndef KAVRIN_SANGEN_NETMODEL_H
#define KAVRIN_SANGEN_NETMODEL_H

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

// One atomic model: its places and actions, and what the emitters write it from: its name, the
// file it was read from, the globals it sees, its activities' definitions (delay, cases,
// reactivation, the code they hold) and its initialization. The definitions it points to are the
// description's, which must outlive it.
struct NetModel {
  std::string ModelName;
  std::string Path;                            // the file its code is fenced to
  std::vector<GlobalDef> Globals;              // the globals it sees (the whole description's)
  std::vector<const ActivityDef*> Activities;  // in description order
  Snippet Initialization;
  std::vector<NetPlace> Places;
  std::vector<NetAction> Actions;
  std::vector<Warning> Warnings;  // what the derivation of its arcs found likely wrong
  const std::string& Name() const { return ModelName; }
  const NetPlace* FindPlace(const std::string& name) const;
  // The index of an action in Actions by its name, or -1.
  int FindAction(const std::string& name) const;
  // The places of the model a piece of C++ names, each once, in order of first mention.
  std::vector<std::string> PlacesIn(const std::string& code) const;
};

}  // namespace sangen

#endif

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

// One atomic model: its description (the model's, or a submodel's), places and actions.
struct NetModel {
  const Description* Source = nullptr;
  std::vector<NetPlace> Places;
  std::vector<NetAction> Actions;
  std::vector<Warning> Warnings;  // what the derivation of its arcs found likely wrong
  const std::string& Name() const { return Source->ModelName; }
  const NetPlace* FindPlace(const std::string& name) const;
};

}  // namespace sangen

#endif

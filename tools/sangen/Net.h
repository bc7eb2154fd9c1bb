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
#include "NetModel.h"

namespace sangen {

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

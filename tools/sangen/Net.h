// Net: the intermediate representation of a whole description, the one thing the emitters read.
// It holds the atomic models (the model itself, or each submodel of a composed model) with their
// places numbered as the framework numbers them and their actions with the arcs derived for them,
// the instances of a composed model by path, the reward variables resolved to what they read, the
// globals and the study's experiments. Built once from a description that passed every check; it
// keeps pointers into that description's definitions, which must outlive it.
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

// An impulse reward: the action it is earned on, resolved in the model the variable reads.
struct NetImpulse {
  const ImpulseDef* Def = nullptr;
  int Action = -1;                  // index in the model's Actions; -1 for one that may be absent
  std::vector<std::string> Places;  // places its value reads
  bool ReadsTime = false;           // its value names the firing time t
};

// A reward variable resolved to the model it reads and, in a composed model, the instances it
// reads (every instance of a submodel, or the one an instance path names).
struct NetReward {
  const VariableDef* Def = nullptr;
  size_t Model = 0;
  std::vector<size_t> Instances;        // indices in Net::Instances; empty for an atomic model
  std::string Over;                     // the name the framework binds it by: the model or `over:`
  std::vector<std::string> RatePlaces;  // places its rate reads, in order of first mention
  std::vector<NetImpulse> Impulses;
};

// One value of an experiment for a global: a C++ literal, or an expression fenced at `Line`.
struct NetValue {
  std::string Text;
  int Line = 0;  // 0: written as it is, without #line
};

// An experiment of the study: its name and one value per global, in the globals' order.
struct NetExperiment {
  std::string Name;
  std::vector<NetValue> Values;
};

class Net {
 public:
  // The representation of a checked description, its arcs derived.
  static Net Build(const Description& d);
  // The atomic model of one description alone (a submodel's, for instance), its arcs derived.
  static NetModel Atomic(const Description& d);

  std::string Path;                 // the description's own file
  std::vector<std::string> Inputs;  // every file it was read from, each once (may be empty)
  std::string ModelName, RewardName, StudyName;
  std::vector<GlobalDef> Globals;
  bool IsComposed = false;
  const CompositionNode* Composition = nullptr;  // a composed model's tree
  std::vector<NetModel> Models;                  // the model itself, or every submodel in description order
  std::vector<NetInstance> Instances;            // a composed model's instances, in the order they are built
  std::vector<NetReward> Rewards;                // the reward model's variables, in description order
  std::vector<NetExperiment> Experiments;

  bool Composed() const { return IsComposed; }
  const NetModel* FindModel(const std::string& name) const;
  // Every model's warnings, naming a submodel's own file where it has one.
  std::vector<Warning> Warnings() const;
};

}  // namespace sangen

#endif

// Description: a model description (atomic or composed model, reward model, study) as its files
// give it, with every name it refers to resolved and checked. DescriptionChecker::Load() reads and
// checks it, and refuses it with a DescriptionError that carries the line and column of the
// offending text; the generator only ever sees a description that passed every check.
#ifndef KAVRIN_SANGEN_DESCRIPTION_H
#define KAVRIN_SANGEN_DESCRIPTION_H

#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace sangen {

// A position in the description file, both 1-based.
struct Pos {
  int Line = 0;
  int Column = 0;
};

class DescriptionError : public std::runtime_error {
 public:
  DescriptionError(const Pos& where, const std::string& message)
      : std::runtime_error(message), Where(where) {}
  Pos Where;
  std::string File;  // the file the position is in, when not the description itself (a submodel's)
};

// A piece of C++ from the file, with the line its text starts on (for #line).
struct Snippet {
  std::string Text;
  int Line = 0;
  Pos At;
  bool Present() const { return !Text.empty(); }
};

struct GlobalDef {
  std::string Name;
  std::string Type;  // short, int, long, float, double, bool, char
  std::string Default;
  int DefaultLine = 0;  // for #line
  Pos At;
};

// The most a description may make: beyond these it is refused before anything is built, since a
// mistyped range step or a large cross product would otherwise run until memory runs out.
struct Limits {
  long long Experiments = 100000;  // experiments of the study, a sweep's cross product included
  long long Replicas = 10000;      // copies made by one 'replicas' key
  long long Elements = 100000;     // elements of one array place
};

struct PlaceDef {
  std::string Name;
  bool IsInt = false;             // a 32-bit marking
  bool ReadOnly = false;          // never changed by the model: outside its state, needs no arcs
  int Size = 0;                   // 0: a single place; otherwise an array of this many elements
  Snippet Initial;                // single place, or the value of every array element
  std::vector<Snippet> Elements;  // array: one initial value per element, when given as a list
  Pos At;
};

struct ArcDef {
  std::string Place;
  Snippet Count;  // C++ expression
  Pos At;
};

struct SamplerChoice {
  std::string Sampler;
  std::vector<Snippet> Parameters;
  Pos At;
};

struct CaseDef {
  Snippet Probability;  // or a weight when IsWeight
  bool IsWeight = false;
  std::vector<ArcDef> Output;
  Snippet Effect;
  Pos At;
};

struct ActivityDef {
  std::string Name;
  Pos At;
  bool Timed = false;
  std::string Sampler;  // timed, one sampler
  std::vector<Snippet> Parameters;
  std::string SelectBy;  // timed, sampler chosen by a global variable
  std::vector<SamplerChoice> Choices;
  std::string Policy = "RaceEnabled";
  Snippet Enabled;
  std::vector<ArcDef> Input;
  std::vector<ArcDef> Output;
  Snippet Effect;
  std::vector<CaseDef> Cases;
  enum class Reactivation { Automatic, Off, Explicit } ReactivationMode = Reactivation::Automatic;
  Snippet ReactivationPredicate;
  Snippet ReactivationFunction;
  Snippet Rank;
  Snippet Weight;
  bool ExplicitAffects = false;
  bool ExplicitEnables = false;
  std::vector<std::string> Affects;
  std::vector<std::string> Enables;
  Pos ReactivationAt;             // where 'reactivation' is given (warnings name it)
  Pos EnablesAt;                  // where an explicit 'enables' list is given
  bool ProbabilityCases = false;  // cases carry probabilities (not relative weights)
};

struct ImpulseDef {
  std::string Action;
  Snippet Value;
  bool MayBeAbsent = false;
  Pos At;
};

struct VariableDef {
  std::string Name;
  // Composed models: the instances the variable reads. A submodel's name reads every instance of
  // it (their rewards add up, or are averaged); an instance path ("Farm.Server[3]") reads that one.
  std::string Over;
  std::string OverSubmodel;  // the submodel the instances are of
  bool Average = false;      // divide by the number of instances
  long long Instances = 1;
  std::string Kind;  // instant, interval, time_averaged, steady_state
  Snippet Rate;
  std::vector<ImpulseDef> Impulses;
  std::vector<double> Starts;
  std::vector<double> Stops;
  Pos At;
};

struct ExperimentDef {
  std::string Name;  // unique within the study (see ExperimentName in Description.cpp)
  std::map<std::string, std::string> Values;  // global name -> C++ literal
  Pos At;                                     // where the description makes it
  std::map<std::string, int> ValueLines;      // global name -> line of a value that needs #line
};

// One node of a composed model: an instance of a submodel, a join of different nodes sharing the
// places it names, or a replicate of copies of one node sharing the places it names.
struct CompositionNode {
  enum class Kind { Submodel, Join, Replicate } Type = Kind::Submodel;
  std::string Name;      // the node's element of the instance path
  std::string Submodel;  // Kind::Submodel: the submodel it instantiates
  long long Count = 0;   // Kind::Replicate: the number of copies
  std::vector<std::string> Share;
  std::vector<CompositionNode> Children;  // a join's nodes; a replicate's one node
  Pos At;
};

// Something a description may mean but is likely wrong about; the generator still generates.
struct Warning {
  Pos Where;
  std::string Message;
  std::string File;  // as in DescriptionError
};

class Description {
 public:
  std::string Path;
  // Every file the description was read from, each once: its own, then its submodels' files.
  std::vector<std::string> Inputs;
  std::string ModelName;
  std::string RewardName;
  std::string StudyName;
  std::vector<GlobalDef> Globals;
  std::vector<PlaceDef> Places;
  std::vector<ActivityDef> Activities;
  std::vector<VariableDef> Variables;
  std::vector<ExperimentDef> Experiments;
  Snippet Initialization;
  // A composed model: its submodels, each read like an atomic model (the globals are the
  // description's), and the tree that instantiates them. Places and Activities are then empty.
  bool Composed = false;
  std::vector<Description> Submodels;
  CompositionNode Composition;
  // Every atomic instance of the tree: its path and its submodel, in the order they are built.
  std::vector<std::pair<std::string, std::string>> Instances;
  const Description* FindSubmodel(const std::string& name) const;

  const PlaceDef* FindPlace(const std::string& name) const;
  const GlobalDef* FindGlobal(const std::string& name) const;
  // The action names of the model: activities without cases, or <name>_case<k>.
  std::vector<std::string> ActionNames() const;
};

// Where the brackets of a piece of C++ fail to pair ((), [], {}; literals and comments skipped):
// the offset of the first bracket that closes nothing or closes the wrong kind, or of the first
// one left open; std::string::npos when they pair.
size_t UnpairedBracket(const std::string& code);

// Samplers of the framework by name, with their number of parameters.
const std::map<std::string, int>& Samplers();

// The identifiers of a piece of C++, in order of appearance (comments and literals skipped).
std::vector<std::string> Identifiers(const std::string& code);

}  // namespace sangen

#endif

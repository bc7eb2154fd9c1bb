// A study's global variables and experiments, read from the `.study` file the build writes
// beside each simulator: the name and the value of every global variable per experiment, the
// description's SHA-256 when the model was generated from one, the instances each reward variable
// of a composed model reads, the values a `-O` override
// gives instead, and experiment lists given by index, range, name or `all`.
#ifndef KAVRIN_SIMMGR_STUDYFILE_H
#define KAVRIN_SIMMGR_STUDYFILE_H

#include <string>
#include <utility>
#include <vector>

namespace simmgr {

class StudyFile {
 public:
  struct Global {
    std::string name, type, letter;
  };
  struct Experiment {
    int index = 0;
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // global variable, value as text
  };
  // What one row of a composed model's reward variable reads: every instance of the submodel
  // `over` ("sum" or "average" of their rewards) or the one instance whose path is `over`
  // ("instance"); `count` instances in all.
  struct Scope {
    int index = 0;
    std::string row, over, how;
    int count = 0;
  };

  // "global\tNAME\tTYPE\tLETTER", "experiment\tINDEX\tNAME\tVAR=VALUE..." and
  // "description_sha256\tHEX" and "reward\tINDEX\tROW\tOVER\tHOW\tCOUNT" lines; lines of other kinds
  // are left for newer readers.
  bool ParseText(const std::string& text, std::string& error);
  bool Load(const std::string& path, std::string& error);

  bool Loaded() const { return _loaded; }
  const std::vector<Global>& Globals() const { return _globals; }
  const std::vector<Experiment>& Experiments() const { return _experiments; }
  const std::string& DescriptionHash() const { return _hash; }  // empty for a hand-written model
  const Experiment* Find(int index) const;
  // The scope of the row with this index, or null (an atomic model's rows have none).
  const Scope* ScopeOf(int index) const;
  // The experiment's name; without a study file "Experiment N", N counted from 1.
  std::string NameOf(int index) const;

  // Sets the values the simulator's `-O TYPE:NAME:VALUE[:TYPE:NAME:VALUE...]` gives every
  // experiment, read as the simulator reads them: a letter that is not the variable's own type,
  // a value that does not read or a name the study lacks leaves the value as it is.
  void ApplyOverrides(const std::string& overrides);

  // "0,2-3,rho_0.9,all" in the order given; false with a message naming what the study has
  // when an item names no experiment of it. Without a study file only indices and ranges work.
  bool Select(const std::string& list, std::vector<int>& out, std::string& error) const;

 private:
  bool _loaded = false;
  std::string _hash;
  std::vector<Global> _globals;
  std::vector<Experiment> _experiments;
  std::vector<Scope> _scopes;
};

}  // namespace simmgr

#endif

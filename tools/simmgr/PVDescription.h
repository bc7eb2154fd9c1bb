// Names and run kinds of a study's performance variables, read from the reward-model
// description file written beside the simulator ("<exe>.pv") and its sidecar
// ("<exe>.pvkind": one line per variable, "index name terminating|steady_state").
// Data records carry only indices; without a description a variable is "pv<index>".
#ifndef KAVRIN_SIMMGR_PVDESCRIPTION_H
#define KAVRIN_SIMMGR_PVDESCRIPTION_H

#include <string>
#include <vector>

namespace simmgr {

class PVDescription {
 public:
  enum Kind { Unknown, Terminating, SteadyState };

  struct Variable {
    std::string name;  // a variable with several time points: "name@time", one row each
    Kind kind = Unknown;
    int rewardType =
        -1;  // the description's Type: 0 instant, 1 interval, 2 time-averaged interval, 3 steady state
    std::string start, stop;  // this row's time window, as the description writes it
    int numTimes = 0;
    std::vector<std::string> starts, stops;  // every time point of the variable
  };

  // Reads the description file; false with a message when it exists but cannot be read.
  bool LoadTypeFile(const std::string& path, std::string& error);
  bool LoadKindFile(const std::string& path, std::string& error);
  bool ParseTypeText(const std::string& text, std::string& error);
  bool ParseKindText(const std::string& text, std::string& error);

  bool Known() const { return !_vars.empty(); }
  int Count() const { return static_cast<int>(_vars.size()); }
  std::string Name(int index) const;
  // Whether a run of the given kind observes the variable; unknown kinds are observed.
  bool Considered(int index, bool terminatingRun) const;
  const Variable* Find(int index) const;
  static const char* KindName(Kind k);

 private:
  Variable& At(int index);
  void NameTimePoints();
  std::vector<Variable> _vars;
};

}  // namespace simmgr

#endif

// `simmgr --list -- SIMULATOR`: what a study has, read from the files the build wrote beside
// its simulator (SIMULATOR.pv, .pvkind and .study), without running it: the rows of
// observations with their kind and time window, the global variables with their -O letters,
// and the experiments with the values they give.
#ifndef SIMMGR_STUDYLISTING_H
#define SIMMGR_STUDYLISTING_H

#include <iosfwd>
#include <string>
#include <vector>

#include "PVDescription.h"

namespace simmgr {

class StudyListing {
 public:
  struct Global {
    std::string name, type, letter;
  };
  struct Experiment {
    int index = 0;
    std::string name;
    std::vector<std::pair<std::string, std::string>> values;  // global variable, value
  };

  // The study file: "global\tNAME\tTYPE\tLETTER" and "experiment\tINDEX\tNAME\tVAR=VALUE...".
  bool ParseStudyText(const std::string& text, std::string& error);
  bool LoadStudyFile(const std::string& path, std::string& error);

  void Write(std::ostream& out, const std::string& simulator, const PVDescription& pv) const;

  const std::vector<Global>& Globals() const { return _globals; }
  const std::vector<Experiment>& Experiments() const { return _experiments; }

 private:
  bool _loaded = false;  // a study file was read
  std::vector<Global> _globals;
  std::vector<Experiment> _experiments;
};

}  // namespace simmgr

#endif

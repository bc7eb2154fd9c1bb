// Runs the experiments one after another: starts each experiment's simulators (one session
// each), follows them in one poll loop, pools their observations, stops by the stopping rule,
// and quits or detaches them. Owns the sessions of the experiment in progress; borrows the
// options, the variable description and the stream for messages and progress.
#ifndef SIMMGR_MANAGER_H
#define SIMMGR_MANAGER_H

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "Options.h"
#include "PVDescription.h"
#include "SimulatorMessages.h"
#include "SimulatorSession.h"
#include "VariableResult.h"

namespace simmgr {

struct ExperimentResult {
  int experiment = 0;
  bool ran = false;
  std::string stopReason;
  double seconds = 0.0;
  uint64_t ignoredObservations = 0;       // variables the kind of run does not consider
  std::vector<VariableResult> variables;  // by index
  std::vector<ProcessResult> processes;
  std::vector<std::string> detachedFiles;
  SimulatorMessages messages;  // standard error of its simulators, each distinct line once

  // Observations of the experiment: replications or batches, each a value of every variable.
  uint64_t Observations() const;
  // Simulators that failed before they announced a port (could not be started, died at
  // once, no announcement in time); one stopped before that because the run was already
  // over is not counted.
  int NotStarted() const;
};

struct RunResult {
  std::vector<ExperimentResult> experiments;
  bool interrupted = false;
  int jobs = 0;
};

class Manager {
 public:
  Manager(const Options& options, const PVDescription& description, std::ostream& messages);
  RunResult Run();

 private:
  class Experiment;
  ExperimentResult RunExperiment(int experiment, const std::vector<uint32_t>& seeds);

  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
  int _jobs;
};

}  // namespace simmgr

#endif

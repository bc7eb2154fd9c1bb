// Runs the experiments one after another: for each kind of run the model has (terminating,
// steady state, or both, one phase after the other), starts the experiment's simulators (one
// session each), follows them in one poll loop, pools their observations, stops by the
// stopping rule, and quits or detaches them. Owns the sessions of the phase in progress;
// borrows the options, the variable description and the stream for messages and progress.
#ifndef KAVRIN_SIMMGR_MANAGER_H
#define KAVRIN_SIMMGR_MANAGER_H

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

// One kind of run of one experiment: its own simulators, stopping rule and stop reason.
struct PhaseResult {
  bool terminating = true;
  std::string stopReason;  // the cause and the verdict
  double seconds = 0.0;
  // Stopped at a checkpoint (or when every simulator had ended) with no simulator failing: the
  // same seeds and options give the same figures.
  bool reproducible = false;
  uint64_t prefix = 0;      // observations per simulator the results hold at most; 0: all
  uint64_t notUsed = 0;     // observations that arrived beyond those
  size_t firstProcess = 0;  // its processes in ExperimentResult::processes
  size_t processCount = 0;
  uint64_t observations = 0;  // its most observed variable's
};

struct ExperimentResult {
  int experiment = 0;
  bool ran = false;
  std::string stopReason;  // one phase's, or "terminating: ...; steady state: ..."
  double seconds = 0.0;
  uint64_t ignoredObservations = 0;       // variables the kind of run does not consider
  std::vector<VariableResult> variables;  // by index
  std::vector<ProcessResult> processes;
  std::vector<PhaseResult> phases;
  std::vector<std::string> detachedFiles;
  SimulatorMessages messages;  // standard error of its simulators, each distinct line once

  // Observations of the experiment: replications or batches, each a value of every variable.
  uint64_t Observations() const;
  // Simulators that failed before they announced a port (could not be started, died at
  // once, no announcement in time); one stopped before that because the run was already
  // over is not counted.
  int NotStarted() const;
  // Observations that arrived beyond what the results hold.
  uint64_t NotUsed() const;
};

struct RunResult {
  std::vector<ExperimentResult> experiments;
  bool interrupted = false;
  int jobs = 0;
  std::vector<bool> kinds;  // the phases of every experiment: true terminating, false steady state
};

class Manager {
 public:
  Manager(const Options& options, const PVDescription& description, std::ostream& messages);
  // Decides the kinds of run; false with a message when the simulator options ask for a kind
  // the model has no variable of. Run calls it when it was not called.
  bool Plan(std::string& error);
  RunResult Run();

 private:
  class Phase;
  PhaseResult RunPhase(ExperimentResult& x, const Options& phaseOptions, bool terminating, bool mixed,
                       const std::vector<uint32_t>& seeds);

  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
  int _jobs;
  std::vector<bool> _kinds;
};

}  // namespace simmgr

#endif

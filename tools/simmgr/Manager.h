// Runs the experiments: starts each experiment's simulators, follows their links in one
// poll loop, pools their observations, decides when to stop, and quits or detaches them.
// Owns the child processes and connections of the experiment in progress; borrows the
// options, the variable description and the stream for messages and progress.
#ifndef SIMMGR_MANAGER_H
#define SIMMGR_MANAGER_H

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "BatchMeansAnalysis.h"
#include "Options.h"
#include "PVDescription.h"
#include "SimulatorMessages.h"
#include "Statistics.h"

namespace simmgr {

struct VariableResult {
  int index = 0;
  std::string name;
  RunningStats stats;
  // Observations that were NaN or infinite (a broken model): kept out of the estimate,
  // counted, and the variable can no longer reach its precision.
  uint64_t nonFinite = 0;
  // Steady-state runs: each simulator's batch means in arrival order (by client) and the
  // latest analysis of them.
  bool steadyState = false;
  std::vector<std::vector<double>> perSimulator;
  stats::BatchMeansResult batch;
  uint64_t analysedAt = 0;  // observations the analysis has seen
};

struct ProcessResult {
  int clientId = 0;
  uint32_t seed = 0;
  std::string host;
  std::string commandLine;
  int childPid = -1;          // the process the manager started (simulator or launcher)
  uint32_t simulatorPid = 0;  // from the greeting
  uint64_t observations = 0;  // replications or batches it reported (one value per variable each)
  double cpuSeconds = 0.0;    // last CPU time the simulator reported
  std::string outcome;        // how it ended, in words
  bool fault = false;
  bool started = false;  // it came up and announced its port
  std::string stderrTail;
};

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
  struct Proc;
  ExperimentResult RunExperiment(int experiment, const std::vector<uint32_t>& seeds);

  const Options& _opt;
  const PVDescription& _pv;
  std::ostream& _msg;
  int _jobs;
};

// Brings a steady-state variable's batch-means analysis up to date with its observations.
void AnalyseVariable(VariableResult& v, const Options& o);

// Adds one observation that simulator `simulator` (its client id, or a file's position) sent:
// kept for the estimate, and for a steady-state variable also in that simulator's batch
// sequence. A NaN or infinite value is only counted (nonFinite); returns false for it.
bool AddObservation(VariableResult& v, size_t simulator, double value);
// The interval reported for a variable: Student-t over the observations in a terminating
// run, the batch-means analysis in a steady-state run.
Interval VariableInterval(const VariableResult& v, const Options& o);
// In words, why a variable that has not reached its precision has not ("" when it has).
std::string ShortOfPrecision(const VariableResult& v, const Options& o);

// The words of the "reached" column: whether this variable reached the wanted precision
// (never for a variable flagged for non-finite observations).
bool PrecisionReached(const VariableResult& v, const Options& o);

}  // namespace simmgr

#endif

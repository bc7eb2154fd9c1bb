// The manager's command line: `simmgr [options] -- SIMULATOR [simulator options]`.
#ifndef KAVRIN_SIMMGR_OPTIONS_H
#define KAVRIN_SIMMGR_OPTIONS_H

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace simmgr {

// Client ids travel in one byte of every record, so a run has at most 256 per experiment.
constexpr int kMaxJobs = 256;

struct Options {
  int jobs = 0;  // 0: the number of cores
  uint32_t seed = 31415;
  std::vector<int> experiments{0};
  // As given: indices, ranges, names or "all", resolved against the study before the run.
  std::string experimentList = "0";
  int reportSize = 100;
  double confidence = 0.95;
  double precision = 0.1;
  uint64_t minObs = 30;
  uint64_t maxObs = 0;     // 0: no limit
  double timeLimit = 0.0;  // seconds per experiment, 0: no limit
  // Steady-state runs: merged batches an interval needs, and the one-sided level of the
  // test of independence between consecutive merged batch means.
  uint64_t minBatches = 60;
  double batchTestLevel = 0.1;
  std::string pvFile;  // empty: "<simulator>.pv" when it exists
  std::string csvFile;
  std::string jsonFile;
  std::string detachFile;  // non-empty: detach (command 3) instead of quit
  int64_t detachBatches = 1000;
  std::string launchTemplate;
  std::vector<std::string> hosts;  // {"slurm"}: the nodes of the Slurm allocation
  // The IPv4 address of each of hosts, which the manager connects to and the simulator listens
  // on; settled before the run (SettleHosts), empty until then.
  std::vector<std::string> hostAddresses;
  // This machine's address as each of hosts sees the manager connect (for a host reached other
  // than through the loopback interface; "" otherwise): its simulators accept no one else.
  std::vector<std::string> managerAddresses;
  double registerTimeout = 30.0;
  double quitTimeout = 30.0;
  double progressInterval = 5.0;       // seconds between progress lines when stderr is not a terminal
  std::vector<std::string> fromFiles;  // non-empty: read these result files, start nothing
  bool list = false;                   // print the study's description and stop
  bool quiet = false;
  bool help = false;
  bool version = false;

  std::string simulator;
  std::vector<std::string> simulatorArgs;  // passed through unchanged

  // Derived from simulatorArgs the way the simulator reads them.
  bool TerminatingRun() const;
  int GeneratorChoice() const;  // -r, 0 by default
};

// Parses argv; false with a message in error. `--help` sets help and succeeds.
bool ParseOptions(int argc, const char* const* argv, Options& out, std::string& error);
std::string UsageText();

// "0,2,4-6" -> {0, 2, 4, 5, 6}; names are resolved by StudyFile::Select.
bool ParseExperimentList(const std::string& text, std::vector<int>& out);

// The parameter of a single-letter simulator option as the simulator's parser finds it
// ("-t0" or "-t 0"); false when the option is absent.
bool FindSimulatorOption(const std::vector<std::string>& args, char letter, std::string& value);

// The simulator options that name a file it writes (-a, -b, -f), each replaced by `rename`'s
// answer for it: several simulators of one run must not write one file.
std::vector<std::string> RenameSimulatorFiles(const std::vector<std::string>& args,
                                              const std::function<std::string(const std::string&)>& rename);

}  // namespace simmgr

#endif

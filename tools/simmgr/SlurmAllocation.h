// The nodes of the Slurm allocation the manager runs in, for `--hosts slurm`: their names in the
// allocation's order (as `scontrol show hostnames` expands SLURM_JOB_NODELIST) and the address
// Slurm reaches each one at (its NodeAddr, which is the name itself on most clusters).
#ifndef KAVRIN_SIMMGR_SLURMALLOCATION_H
#define KAVRIN_SIMMGR_SLURMALLOCATION_H

#include <functional>
#include <string>
#include <vector>

namespace simmgr {

class SlurmAllocation {
 public:
  // Runs a command and gives its standard output; false with a message when it cannot be run or
  // ends with an error. The default runs the real program; tests hand in their own.
  using Runner =
      std::function<bool(const std::vector<std::string>& argv, std::string& out, std::string& error)>;

  explicit SlurmAllocation(Runner run = RunProgram);

  // Reads the nodes of the allocation whose node list is `nodeList` (SLURM_JOB_NODELIST; null or
  // empty outside an allocation); false with a message for the user.
  bool Read(const char* nodeList, std::string& error);

  const std::vector<std::string>& Names() const { return _names; }
  const std::vector<std::string>& Addresses() const { return _addresses; }

  // Starts argv (searched on PATH), collects its standard output and waits up to 60 seconds.
  static bool RunProgram(const std::vector<std::string>& argv, std::string& out, std::string& error);

 private:
  Runner _run;
  std::vector<std::string> _names, _addresses;
};

}  // namespace simmgr

#endif

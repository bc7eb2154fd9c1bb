// How a simulator process is started: its seed, its command line, the optional launcher
// template, and how its port announcement is read.
#ifndef KAVRIN_SIMMGR_LAUNCH_H
#define KAVRIN_SIMMGR_LAUNCH_H

#include <cstdint>
#include <string>
#include <vector>

#include "Options.h"
#include "SlurmAllocation.h"

namespace simmgr {

// Seeds of the first `count` processes of a run, in launch order. Process k gets
// 1 + (splitmix64(base * 2^32 + k) mod 2147483645), moved on to the next free value if
// taken: distinct, never 0 (which the simulator reads as its default) and inside the
// range every generator accepts unchanged.
std::vector<uint32_t> ProcessSeeds(uint32_t base, size_t count);

struct JobSpec {
  int experiment = 0;
  int clientId = 0;
  uint32_t seed = 0;
  std::string host;                 // as the launcher names it ({host})
  std::string address = {};         // the IPv4 address the manager connects to; empty: host itself
  std::string managerAddress = {};  // the address the manager connects from; empty: anyone
};

// The launcher of `--hosts slurm` when no --launch is given: one task on the job's node, using
// only the processor it needs, so that several simulators share a node of the allocation.
constexpr const char* kSlurmLaunch = "srun --nodes=1 --ntasks=1 --exact --nodelist={host} {cmd}";

// Settles where the jobs run before anything starts: `--hosts slurm` becomes the nodes of the
// allocation whose node list is slurmNodeList (and runs the jobs through kSlurmLaunch unless
// --launch says otherwise), and every host gets in hostAddresses the IPv4 address the manager
// connects to, so that the simulator can listen on exactly that one, and in managerAddresses the
// address the manager connects from, the only one the simulator then accepts. False with a message when
// the allocation cannot be read or a host has no IPv4 address.
bool SettleHosts(Options& o, SlurmAllocation& slurm, const char* slurmNodeList, std::string& error);

// The address a simulator must listen on for the manager to reach it at `host`: empty for
// 127.0.0.1 and localhost (the simulator's default), the address itself for any other IPv4
// address (another loopback address stays on the loopback), "0.0.0.0" (every interface) for
// any other name.
std::string ListenAddressFor(const std::string& host);

// The simulator's own command line for one job; for a host reached other than through the
// loopback interface it runs through env with KAVRIN_LISTEN_ADDRESS set (and
// KAVRIN_MANAGER_ADDRESS, when the job knows the manager's address), so that it also works on
// the far side of a launcher.
std::vector<std::string> SimulatorCommand(const Options& o, const JobSpec& job);

// The name a simulator's own result or trace file gets: the name as given when the run has one
// simulator and the name holds no {exp} or {client}; otherwise the name DetachFileName makes
// for the experiment and client, so that no two simulators write one file.
std::string OwnFileName(const Options& o, const std::string& name, int experiment, int clientId);

// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);
std::string ShellJoin(const std::vector<std::string>& words);

// The launcher command line: {cmd} becomes the quoted simulator command line, {host} the
// quoted host, {remote_cmd} the command line quoted once more, as one word, for a launcher
// that hands its words to a shell on the other host (ssh); a template without {cmd} or
// {remote_cmd} gets {cmd} appended.
std::string ExpandLaunchTemplate(const std::string& tmpl, const std::vector<std::string>& cmd,
                                 const std::string& host);

// The port of a "REGISTER:  Port: [p]" line; false for any other line.
bool ParseRegisterLine(const std::string& line, int& port);

// The binary file a detached simulator finishes into: {exp} and {client} in the pattern are
// replaced; without them ".e<exp>.c<client>" goes before the extension (or at the end).
std::string DetachFileName(const std::string& pattern, int experiment, int clientId);

std::string GeneratorName(int choice);

}  // namespace simmgr

#endif

#include "Launch.h"

#include <unordered_set>

#include "Os.h"

namespace simmgr {

namespace {

uint64_t SplitMix64(uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  for (size_t pos = s.find(from); pos != std::string::npos; pos = s.find(from, pos + to.size()))
    s.replace(pos, from.size(), to);
}

bool IsIPv4Literal(const std::string& host) {
  int parts = 0;
  size_t pos = 0;
  while (pos <= host.size()) {
    size_t end = host.find('.', pos);
    if (end == std::string::npos) end = host.size();
    const std::string part = host.substr(pos, end - pos);
    if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos ||
        std::stoi(part) > 255)
      return false;
    ++parts;
    pos = end + 1;
  }
  return parts == 4;
}

}  // namespace

std::string ListenAddressFor(const std::string& host) {
  if (host.empty() || host == "localhost" || host == "127.0.0.1") return "";
  return IsIPv4Literal(host) ? host : "0.0.0.0";
}

bool SettleHosts(Options& o, SlurmAllocation& slurm, const char* slurmNodeList, std::string& error) {
  std::vector<std::string> connectTo = o.hosts;
  if (o.hosts.size() == 1 && o.hosts[0] == "slurm") {
    if (!slurm.Read(slurmNodeList, error)) return false;
    o.hosts = slurm.Names();
    connectTo = slurm.Addresses();
    if (o.launchTemplate.empty()) o.launchTemplate = kSlurmLaunch;
  }
  o.hostAddresses.clear();
  o.managerAddresses.clear();
  for (size_t i = 0; i < connectTo.size(); ++i) {
    std::string address, why;
    if (!os::ResolveIPv4(connectTo[i], address, why)) {
      error = "host " + o.hosts[i] + " has no IPv4 address to reach its simulators at (" + why + ")";
      return false;
    }
    o.hostAddresses.push_back(address);
    std::string from;
    // Only this machine reaches a loopback address: no peer to keep out there.
    const bool loopback = address.compare(0, 4, "127.") == 0;
    if (!loopback && !os::LocalAddressTo(address, from, why)) {
      error = "host " + o.hosts[i] + " (" + address + ") cannot be reached from here: " + why;
      return false;
    }
    o.managerAddresses.push_back(from);
  }
  return true;
}

std::vector<uint32_t> ProcessSeeds(uint32_t base, size_t count) {
  const uint64_t range = 2147483645ULL;
  std::vector<uint32_t> seeds;
  std::unordered_set<uint32_t> used;
  for (size_t k = 0; k < count; ++k) {
    uint64_t s = SplitMix64((static_cast<uint64_t>(base) << 32) + k) % range;
    while (used.count(static_cast<uint32_t>(s + 1))) s = (s + 1) % range;
    used.insert(static_cast<uint32_t>(s + 1));
    seeds.push_back(static_cast<uint32_t>(s + 1));
  }
  return seeds;
}

std::vector<std::string> SimulatorCommand(const Options& o, const JobSpec& job) {
  std::vector<std::string> cmd;
  const std::string address = ListenAddressFor(job.address.empty() ? job.host : job.address);
  if (!address.empty()) cmd = {"env", "KAVRIN_LISTEN_ADDRESS=" + address};
  if (!address.empty() && !job.managerAddress.empty())
    cmd.push_back("KAVRIN_MANAGER_ADDRESS=" + job.managerAddress);
  const std::vector<std::string> own{o.simulator, "-w",
                                     "-p",        "0",
                                     "-c",        std::to_string(job.clientId),
                                     "-e",        std::to_string(job.experiment),
                                     "-s",        std::to_string(job.seed),
                                     "-n",        std::to_string(o.reportSize)};
  cmd.insert(cmd.end(), own.begin(), own.end());
  const std::vector<std::string> args = RenameSimulatorFiles(o.simulatorArgs, [&](const std::string& name) {
    return OwnFileName(o, name, job.experiment, job.clientId);
  });
  cmd.insert(cmd.end(), args.begin(), args.end());
  return cmd;
}

std::string OwnFileName(const Options& o, const std::string& name, int experiment, int clientId) {
  const size_t jobs = o.jobs > 0 ? static_cast<size_t>(o.jobs) : static_cast<size_t>(os::CpuCount());
  const bool placeholders =
      name.find("{exp}") != std::string::npos || name.find("{client}") != std::string::npos;
  if (jobs * o.experiments.size() <= 1 && !placeholders) return name;
  return DetachFileName(name, experiment, clientId);
}

std::string ShellQuote(const std::string& word) { return os::ShellQuote(word); }

std::string ShellJoin(const std::vector<std::string>& words) {
  std::string s;
  for (const std::string& w : words) {
    if (!s.empty()) s += ' ';
    s += ShellQuote(w);
  }
  return s;
}

std::string ExpandLaunchTemplate(const std::string& tmpl, const std::vector<std::string>& cmd,
                                 const std::string& host) {
  std::string out = tmpl;
  if (out.find("{cmd}") == std::string::npos && out.find("{remote_cmd}") == std::string::npos)
    out += " {cmd}";
  // {host} first: the command line may itself contain the text "{host}"; {remote_cmd} before
  // {cmd} for the same reason.
  ReplaceAll(out, "{host}", ShellQuote(host));
  ReplaceAll(out, "{remote_cmd}", ShellQuote(ShellJoin(cmd)));
  ReplaceAll(out, "{cmd}", ShellJoin(cmd));
  return out;
}

bool ParseRegisterLine(const std::string& line, int& port) {
  static const std::string prefix = "REGISTER:  Port: [";
  const size_t at = line.find(prefix);
  if (at == std::string::npos) return false;
  size_t pos = at + prefix.size();
  long value = 0;
  size_t digits = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && digits < 6) {
    value = value * 10 + (line[pos] - '0');
    ++pos;
    ++digits;
  }
  if (digits == 0 || pos >= line.size() || line[pos] != ']' || value < 1 || value > 65535) return false;
  port = static_cast<int>(value);
  return true;
}

std::string DetachFileName(const std::string& pattern, int experiment, int clientId) {
  std::string name = pattern;
  if (name.find("{exp}") != std::string::npos || name.find("{client}") != std::string::npos) {
    ReplaceAll(name, "{exp}", std::to_string(experiment));
    ReplaceAll(name, "{client}", std::to_string(clientId));
    return name;
  }
  const std::string tag = ".e" + std::to_string(experiment) + ".c" + std::to_string(clientId);
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1))
    return name.substr(0, dot) + tag + name.substr(dot);
  return name + tag;
}

std::string GeneratorName(int choice) {
  switch (choice) {
    case 0:
      return "Lagged Fibonacci";
    case 1:
      return "Tausworthe";
    case 2:
      return "Mersenne Twister";
    default:
      return "Unknown";
  }
}

}  // namespace simmgr

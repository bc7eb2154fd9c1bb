#include "SlurmAllocation.h"

#include <map>
#include <sstream>

#include "Os.h"

namespace simmgr {

namespace {

// The value of `key=` among the space-separated fields of one line of `scontrol -o`.
std::string Field(const std::string& line, const std::string& key) {
  std::istringstream words(line);
  for (std::string w; words >> w;)
    if (w.compare(0, key.size() + 1, key + "=") == 0) return w.substr(key.size() + 1);
  return "";
}

}  // namespace

SlurmAllocation::SlurmAllocation(Runner run) : _run(std::move(run)) {}

bool SlurmAllocation::Read(const char* nodeList, std::string& error) {
  _names.clear();
  _addresses.clear();
  if (!nodeList || !*nodeList) {
    error =
        "--hosts slurm takes the nodes of the Slurm allocation it runs in, and SLURM_JOB_NODELIST "
        "is not set: run simmgr inside salloc or an sbatch script";
    return false;
  }
  std::string out;
  if (!_run({"scontrol", "show", "hostnames", nodeList}, out, error)) {
    error = "cannot expand the allocation's node list " + std::string(nodeList) + ": " + error;
    return false;
  }
  std::istringstream lines(out);
  for (std::string name; lines >> name;) _names.push_back(name);
  if (_names.empty()) {
    error = "scontrol show hostnames " + std::string(nodeList) + " named no node";
    return false;
  }
  // One line per node; a node whose line lacks NodeAddr (or an older scontrol) is reached by name.
  std::map<std::string, std::string> addressOf;
  if (!_run({"scontrol", "-o", "show", "node", nodeList}, out, error)) {
    error = "cannot read the addresses of the nodes " + std::string(nodeList) + ": " + error;
    return false;
  }
  std::istringstream nodeLines(out);
  for (std::string line; std::getline(nodeLines, line);) {
    const std::string name = Field(line, "NodeName");
    const std::string address = Field(line, "NodeAddr");
    if (!name.empty() && !address.empty()) addressOf[name] = address;
  }
  for (const std::string& name : _names) {
    const auto found = addressOf.find(name);
    _addresses.push_back(found == addressOf.end() ? name : found->second);
  }
  return true;
}

bool SlurmAllocation::RunProgram(const std::vector<std::string>& argv, std::string& out, std::string& error) {
  out.clear();
  os::Child child;
  if (!os::Spawn(argv, child, error)) return false;
  std::string err;
  const double deadline = os::Now() + 60.0;
  int code = 0, signal = 0;
  bool ended = false;
  while (child.outFd >= 0 || child.errFd >= 0) {
    std::vector<os::PollItem> items;
    for (int fd : {child.outFd, child.errFd})
      if (fd >= 0) items.push_back(os::PollItem{fd, true, false, false, false});
    os::Poll(items, 100);
    for (int* fd : {&child.outFd, &child.errFd}) {
      if (*fd < 0) continue;
      uint8_t buf[4096];
      std::string why;
      const long n = os::ReadSome(*fd, buf, sizeof buf, why);
      if (n > 0)
        (fd == &child.outFd ? out : err).append(reinterpret_cast<const char*>(buf), static_cast<size_t>(n));
      if (n == 0 || n == -2) {
        os::Close(*fd);
        *fd = -1;
      }
    }
    if (os::Now() > deadline) {
      os::SignalGroup(child.pid, os::Stop::Kill);
      break;
    }
  }
  while (!(ended = os::Reap(child.pid, code, signal)) && os::Now() <= deadline + 5.0) {
    std::vector<os::PollItem> none;
    os::Poll(none, 20);
  }
  os::Close(child.outFd);
  os::Close(child.errFd);
  while (!err.empty() && (err.back() == '\n' || err.back() == '\r')) err.pop_back();
  if (!ended || signal != 0 || code != 0) {
    error = argv[0] + (!ended        ? std::string(" did not finish")
                       : signal      ? " was ended by " + os::SignalName(signal)
                       : code == 127 ? " could not be run"
                                     : " exited with code " + std::to_string(code));
    if (!err.empty()) error += ": " + err;
    return false;
  }
  return true;
}

}  // namespace simmgr

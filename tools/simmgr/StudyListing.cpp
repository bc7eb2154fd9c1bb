#include "StudyListing.h"

#include <algorithm>
#include <iomanip>
#include <ostream>
#include <sstream>

#include "PVDescription.h"
#include "TextFiles.h"

namespace simmgr {

namespace {

const char* RewardTypeName(int type) {
  switch (type) {
    case 0:
      return "instant of time";
    case 1:
      return "interval of time";
    case 2:
      return "time-averaged interval";
    case 3:
      return "steady state";
  }
  return "unknown type";
}

std::string Window(const PVDescription::Variable& v) {
  if (v.start.empty() && v.stop.empty()) return "";
  if (v.rewardType == 0) return "at " + v.stop;
  return "[" + v.start + ", " + v.stop + "]";
}

}  // namespace

bool StudyListing::ParseStudyText(const std::string& text, std::string& error) {
  _loaded = true;
  std::istringstream in(text);
  std::string line;
  int lineNo = 0;
  while (std::getline(in, line)) {
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> f = SplitFields(line, '\t');
    if (f[0] == "global" && f.size() == 4) {
      _globals.push_back(Global{f[1], f[2], f[3]});
    } else if (f[0] == "experiment" && f.size() >= 3 && !f[1].empty() &&
               f[1].find_first_not_of("0123456789") == std::string::npos) {
      Experiment e;
      e.index = std::stoi(f[1]);
      e.name = f[2];
      for (size_t i = 3; i < f.size(); ++i) {
        const size_t eq = f[i].find('=');
        if (eq == std::string::npos) {
          error = "line " + std::to_string(lineNo) + ": expected VARIABLE=VALUE, not '" + f[i] + "'";
          return false;
        }
        e.values.emplace_back(f[i].substr(0, eq), f[i].substr(eq + 1));
      }
      _experiments.push_back(e);
    } else {
      error = "line " + std::to_string(lineNo) + ": expected a 'global' or 'experiment' line";
      return false;
    }
  }
  return true;
}

bool StudyListing::LoadStudyFile(const std::string& path, std::string& error) {
  return LoadFile(
      path, [this](const std::string& text, std::string& why) { return ParseStudyText(text, why); }, error);
}

void StudyListing::Write(std::ostream& out, const std::string& simulator, const PVDescription& pv) const {
  out << "Study of " << simulator << "\n\n";
  size_t width = 8;
  for (int i = 0; i < pv.Count(); ++i) width = std::max(width, pv.Name(i).size());
  out << "Variables (one row of observations each; -t 1 reports the terminating ones, -t 0 the steady-state "
         "ones):\n";
  if (!pv.Known()) out << "  (no reward-model description beside the simulator)\n";
  for (int i = 0; i < pv.Count(); ++i) {
    const PVDescription::Variable* v = pv.Find(i);
    out << "  " << std::setw(3) << i << "  " << std::left << std::setw(static_cast<int>(width)) << pv.Name(i)
        << "  " << std::setw(13) << PVDescription::KindName(v->kind) << "  " << std::setw(23)
        << RewardTypeName(v->rewardType) << std::right << "  " << Window(*v) << "\n";
  }
  const char* missing = "  (no study description beside the simulator)\n";
  out << "\nGlobal variables (override one with -O TYPE:NAME:VALUE, TYPE the letter shown):\n";
  if (_globals.empty()) out << (_loaded ? "  (none)\n" : missing);
  width = 4;
  for (const Global& g : _globals) width = std::max(width, g.name.size());
  for (const Global& g : _globals)
    out << "  " << std::left << std::setw(static_cast<int>(width)) << g.name << "  " << std::setw(7) << g.type
        << std::right << "  " << g.letter << "   e.g. -O \"" << g.letter << ":" << g.name << ":VALUE\"\n";
  out << "\nExperiments (choose one with -e INDEX, several with simmgr --experiments LIST):\n";
  if (_experiments.empty()) out << (_loaded ? "  (none)\n" : missing);
  for (const Experiment& e : _experiments) {
    out << "  " << std::setw(3) << e.index << "  " << e.name;
    for (const auto& kv : e.values) out << "  " << kv.first << "=" << kv.second;
    out << "\n";
  }
  out.flush();
}

}  // namespace simmgr

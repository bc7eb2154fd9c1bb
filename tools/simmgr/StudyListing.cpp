#include "StudyListing.h"

#include <algorithm>
#include <iomanip>
#include <ostream>

#include "PVDescription.h"

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

// What a composed model's row reads: "sum over Server (3 instances)", "average over Server
// (3 instances)" or "over Farm.Server[0]"; empty for an atomic model's.
std::string Over(const StudyFile::Scope* scope) {
  if (scope == nullptr) return "";
  if (scope->how == "instance") return "over " + scope->over;
  const std::string count = std::to_string(scope->count) + (scope->count == 1 ? " instance" : " instances");
  return scope->how + " over " + scope->over + " (" + count + ")";
}

std::string Window(const PVDescription::Variable& v) {
  if (v.start.empty() && v.stop.empty()) return "";
  if (v.rewardType == 0) return "at " + v.stop;
  return "[" + v.start + ", " + v.stop + "]";
}

}  // namespace

void StudyListing::Write(std::ostream& out, const std::string& simulator) const {
  const PVDescription& pv = _pv;
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
        << RewardTypeName(v->rewardType) << std::right << "  " << Window(*v);
    const std::string over = Over(_study.ScopeOf(i));
    if (!over.empty()) out << "  " << over;
    out << "\n";
  }
  const char* missing = "  (no study description beside the simulator)\n";
  out << "\nGlobal variables (override one with -O TYPE:NAME:VALUE, TYPE the letter shown):\n";
  if (_study.Globals().empty()) out << (_study.Loaded() ? "  (none)\n" : missing);
  width = 4;
  for (const StudyFile::Global& g : _study.Globals()) width = std::max(width, g.name.size());
  for (const StudyFile::Global& g : _study.Globals())
    out << "  " << std::left << std::setw(static_cast<int>(width)) << g.name << "  " << std::setw(7) << g.type
        << std::right << "  " << g.letter << "   e.g. -O \"" << g.letter << ":" << g.name << ":VALUE\"\n";
  out << "\nExperiments (choose one with -e INDEX, several with simmgr --experiments LIST of indices, "
         "ranges, names "
         "or all):\n";
  if (_study.Experiments().empty()) out << (_study.Loaded() ? "  (none)\n" : missing);
  for (const StudyFile::Experiment& e : _study.Experiments()) {
    out << "  " << std::setw(3) << e.index << "  " << e.name;
    for (const auto& kv : e.values) out << "  " << kv.first << "=" << kv.second;
    out << "\n";
  }
  out.flush();
}

}  // namespace simmgr

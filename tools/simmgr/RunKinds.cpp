#include "RunKinds.h"

namespace simmgr {

namespace {

// The names of the variables of one kind, comma-separated.
std::string NamesOf(const PVDescription& pv, PVDescription::Kind kind) {
  std::string names;
  for (int i = 0; i < pv.Count(); ++i)
    if (pv.Find(i)->kind == kind) names += (names.empty() ? "" : ", ") + pv.Name(i);
  return names;
}

}  // namespace

bool KindGiven(const Options& o) {
  std::string value;
  return FindSimulatorOption(o.simulatorArgs, 't', value);
}

const char* KindText(bool terminating) { return terminating ? "terminating" : "steady state"; }
const char* KindKey(bool terminating) { return terminating ? "terminating" : "steady_state"; }

bool PlanRunKinds(const Options& o, const PVDescription& pv, std::vector<bool>& kinds, std::string& error) {
  const std::string terminating = NamesOf(pv, PVDescription::Terminating),
                    steady = NamesOf(pv, PVDescription::SteadyState);
  kinds.clear();
  if (!KindGiven(o)) {
    if (!terminating.empty() || steady.empty()) kinds.push_back(true);
    if (!steady.empty()) kinds.push_back(false);
    return true;
  }
  const bool wanted = o.TerminatingRun();
  if (terminating.empty() && steady.empty()) {  // no kinds known: the option decides alone
    kinds.push_back(wanted);
    return true;
  }
  if (!(wanted ? terminating : steady).empty()) {
    kinds.push_back(wanted);
    return true;
  }
  error =
      "the model has no " + std::string(wanted ? "terminating" : "steady-state") +
      " variable, so a run with -t " + (wanted ? "1" : "0") + " observes nothing; its variables are " +
      (wanted ? "steady state (" + steady + "): give -t 0" : "terminating (" + terminating + "): give -t 1") +
      ", or leave -t out to run every kind the model has";
  return false;
}

}  // namespace simmgr

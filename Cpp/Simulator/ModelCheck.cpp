#include "Simulator/ModelCheck.h"

#include <cstdlib>
#include <iostream>
#include <unordered_map>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/SAN/Activity.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/Event.h"
#include "Simulator/EventList.h"
#include "Simulator/SimulatorClass.h"

namespace {

// Parameters a sampler reads from ReturnDistributionParameters; 0 for the ones not compared.
int ParameterCount(Distribution d) {
  switch (d) {
    case Exponential:
    case Deterministic:
    case Geometric:
      return 1;
    case Weibull:
    case Normal:
    case Lognormal:
    case Erlang:
    case Gamma:
    case Beta:
    case Uniform:
    case Binomial:
    case NegativeBinomial:
    case Pareto:
      return 2;
    case Triangular:
    case ConditionalWeibull:
      return 3;
    default:
      return 0;
  }
}

// The activity that draws a group's delay: the group itself, or the first member of a case group.
BaseActionClass* Sampler(BaseGroupClass* group) {
  if (dynamic_cast<Activity*>(group) != nullptr || group->getNumMembers() == 0) return group;
  return group->getMember(0);
}

struct Drawn {
  double Start;
  double Completion;
  std::vector<double> Parameters;
};

[[noreturn]] void Stale(SimulatorClass& sim, BaseGroupClass* group, const char* what, const char* hint) {
  std::cerr << "Model check: after firing " << sim._fireActionCount << " (" << sim.TempAction->getName()
            << " at time " << sim.CurrentTime << "), activity " << Sampler(group)->getName() << " " << what
            << ". " << hint << std::endl;
  std::exit(1);
}

}  // namespace

void CheckModelSchedule(SimulatorClass& sim) {
  static std::unordered_map<BaseActionClass*, Drawn> drawn;
  const int numGroups = sim.TheModel->getNumGroups();
  const int numActions = sim.TheModel->getNumActions();
  // Enabled() shifts each activity's last two answers: ask, then put them back.
  std::vector<bool> saved(2 * static_cast<size_t>(numActions));
  for (int a = 0; a < numActions; a++) {
    Activity* activity = dynamic_cast<Activity*>(sim.ActionList[a]);
    if (activity == nullptr) continue;
    saved[2 * a] = activity->OldEnabled;
    saved[2 * a + 1] = activity->NewEnabled;
  }
  for (int g = 0; g < numGroups; g++) {
    BaseGroupClass* group = sim.GroupList[g];
    const Event* event = group->EventPointer != nullptr ? sim.TheEventList->Scheduled(group) : nullptr;
    bool scheduled = event != nullptr;
    bool enabled = group->Enabled();
    const char* arcs =
        "An enabling arc is missing: every place its enabling, delay parameters or case weights read must "
        "be one, and every place a firing changes an affect arc of that firing.";
    if (enabled && !scheduled) Stale(sim, group, "is enabled but not scheduled", arcs);
    if (!enabled && scheduled) Stale(sim, group, "is scheduled but no longer enabled", arcs);
    if (!scheduled) {
      drawn.erase(group);
      continue;
    }
    BaseActionClass* sampler = Sampler(group);
    int n = ParameterCount(sampler->DistributionType);
    double* p = n > 0 ? sampler->ReturnDistributionParameters() : nullptr;
    if (p == nullptr) continue;
    std::vector<double> now(p, p + n);
    auto it = drawn.find(group);
    // A new start or completion time means a fresh draw: remember the parameters it used.
    if (it == drawn.end() || it->second.Start != event->start_time ||
        it->second.Completion != event->exec_time) {
      drawn[group] = Drawn{event->start_time, event->exec_time, now};
    } else if (it->second.Parameters != now) {
      Stale(sim, group, "keeps a delay drawn with parameters that no longer hold",
            "Its parameters read the marking: it needs a reactivation that redraws the delay when they "
            "change.");
    }
  }
  for (int a = 0; a < numActions; a++) {
    Activity* activity = dynamic_cast<Activity*>(sim.ActionList[a]);
    if (activity == nullptr) continue;
    activity->OldEnabled = saved[2 * a];
    activity->NewEnabled = saved[2 * a + 1];
  }
}

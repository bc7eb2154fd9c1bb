#include "Simulator/ModelCheck.h"

#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/BaseModelClass.h"
#include "BaseClasses/BaseStateVariableClass.h"
#include "BaseClasses/CaseProbabilities.h"
#include "BaseClasses/List.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
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

// Every place of the model and its submodels, once per value cell (places joined by sharing hold
// one), with the marking taken before the current firing.
struct WatchedPlace {
  Place* place;
  short before;
};

void CollectPlaces(BaseModelClass* model, std::vector<WatchedPlace>& places) {
  if (model == nullptr) return;
  BaseStateVariableClass** locals = model->GetLocalStateVariables(nullptr);
  int count = model->getNumStateVariables();
  if (SANModel* san = dynamic_cast<SANModel*>(model)) count -= san->getNumReadOnlyPlaces();
  for (int i = 0; locals != nullptr && i < count; i++) {
    List<BaseStateVariableClass>* leaves = locals[i]->getLeafNodes();
    for (int j = 0; j < leaves->getNumItems(); j++) {
      Place* place = dynamic_cast<Place*>(leaves->getItem(j));
      if (place == nullptr) continue;
      bool known = false;
      for (const WatchedPlace& w : places) known = known || &w.place->Mark() == &place->Mark();
      if (!known) places.push_back(WatchedPlace{place, 0});
    }
    delete leaves;
  }
  if (model->GetModelType() == AtomicModel) return;
  for (int c = 0; c < model->GetNumberOfChildren(); c++) CollectPlaces(model->GetChild(c), places);
}

std::vector<WatchedPlace>& Watched(SimulatorClass& sim) {
  static std::vector<WatchedPlace> places;
  static bool collected = false;
  if (!collected) {
    CollectPlaces(sim.TheModel->getTheModel(), places);
    collected = true;
  }
  return places;
}

}  // namespace

void RememberMarkings(SimulatorClass& sim) {
  for (WatchedPlace& w : Watched(sim)) w.before = w.place->getMark();
}

void CheckMarkings(SimulatorClass& sim) {
  for (const WatchedPlace& w : Watched(sim)) {
    const int before = w.before;
    const int after = w.place->getMark();
    // One firing's arcs move a marking by far less than half the 16-bit range; a step of 32768 or
    // more is a change that went past one end and came back at the other.
    if (after - before <= 32767 && before - after <= 32767) continue;
    std::cerr << "Model check: after firing " << sim._fireActionCount << " (" << sim.TempAction->getName()
              << " at time " << sim.CurrentTime << "), place " << w.place->getFullyQualifiedName()
              << " went from " << before << " to " << after
              << ": its marking wrapped past the range of a 16-bit place (-32768 to 32767)." << std::endl;
    std::exit(1);
  }
}

void CheckCaseProbabilities(SimulatorClass& sim) {
  BaseGroupClass* group = dynamic_cast<BaseGroupClass*>(sim.CurrAction);
  if (group == nullptr || !CaseProbabilities::Declared(group)) return;
  // The cases of one activity share its enabling: every member takes part in the choice.
  double sum = 0.0;
  for (int m = 0; m < group->getNumMembers(); m++) sum += group->getMember(m)->Weight();
  if (std::fabs(sum - 1.0) <= CaseProbabilities::Tolerance) return;
  const std::string name = group->getName();
  const std::string activity = name.size() > 5 && name.compare(name.size() - 5, 5, "Group") == 0
                                   ? name.substr(0, name.size() - 5)
                                   : name;
  std::ostringstream total;
  total << std::setprecision(12) << sum;
  std::cerr << "Model check: before firing " << sim._fireActionCount + 1 << " (at time " << sim.CurrentTime
            << "), the case probabilities of activity " << activity << " sum to " << total.str()
            << ", not 1: the run would divide them by their sum." << std::endl;
  std::exit(1);
}

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

#include "ArcDerivation.h"

#include <algorithm>

namespace sangen {

namespace {

void AddUnique(std::vector<std::string>& list, const std::string& name) {
  if (std::find(list.begin(), list.end(), name) == list.end()) list.push_back(name);
}

}  // namespace

void ArcDerivation::Derive(NetModel& model) { ArcDerivation(model).Run(); }

std::vector<std::string> ArcDerivation::PlacesIn(const std::string& code) const {
  std::vector<std::string> out;
  for (const std::string& id : Identifiers(code))
    if (M.FindPlace(id) != nullptr) AddUnique(out, id);
  return out;
}

// Arcs follow from what each action names. Enabling: input arcs, the enabling predicate, the delay
// parameters, the case weight, the reactivation and the rank. Affect: input arcs, the effect, the
// output arcs, the case's output arcs and effect. Naming a place it only reads costs a spare
// re-evaluation; missing one would leave a stale schedule, so every mention counts.
void ArcDerivation::Run() {
  M.Actions.clear();
  M.Warnings.clear();
  int group = 0;
  for (const ActivityDef* activity : M.Activities) {
    const ActivityDef& a = *activity;
    int cases = a.Cases.empty() ? 1 : static_cast<int>(a.Cases.size());
    std::vector<std::string> unlisted;  // places its expressions read that an explicit list leaves out
    for (int c = 0; c < cases; c++) {
      NetAction x;
      x.Def = &a;
      x.Case = a.Cases.empty() ? -1 : c;
      x.Name = a.Cases.empty() ? a.Name : a.Name + "_case" + std::to_string(c + 1);
      x.ClassName = a.Cases.empty() ? a.Name + "Activity" : a.Name + "Activity_case" + std::to_string(c + 1);
      x.Group = group;
      std::vector<std::string> enables, affects;
      for (const ArcDef& arc : a.Input) AddUnique(enables, arc.Place);
      for (const std::string& p : PlacesIn(a.Enabled.Text)) AddUnique(enables, p);
      std::vector<std::string> params;
      for (const Snippet& s : a.Parameters)
        for (const std::string& p : PlacesIn(s.Text)) AddUnique(params, p);
      for (const SamplerChoice& ch : a.Choices)
        for (const Snippet& s : ch.Parameters)
          for (const std::string& p : PlacesIn(s.Text)) AddUnique(params, p);
      for (const std::string& p : params) AddUnique(enables, p);
      x.MarkingDependent = !params.empty();
      if (x.Case >= 0)
        for (const std::string& p : PlacesIn(a.Cases[c].Probability.Text)) AddUnique(enables, p);
      for (const std::string& p : PlacesIn(a.Weight.Text)) AddUnique(enables, p);
      for (const std::string& p : PlacesIn(a.ReactivationPredicate.Text)) AddUnique(enables, p);
      for (const std::string& p : PlacesIn(a.ReactivationFunction.Text)) AddUnique(enables, p);
      for (const std::string& p : PlacesIn(a.Rank.Text)) AddUnique(enables, p);
      for (const ArcDef& arc : a.Input) AddUnique(affects, arc.Place);
      for (const std::string& p : PlacesIn(a.Effect.Text)) AddUnique(affects, p);
      for (const ArcDef& arc : a.Output) AddUnique(affects, arc.Place);
      if (x.Case >= 0) {
        for (const ArcDef& arc : a.Cases[c].Output) AddUnique(affects, arc.Place);
        for (const std::string& p : PlacesIn(a.Cases[c].Effect.Text)) AddUnique(affects, p);
      }
      // A read-only place never changes, so it neither enables nor is affected.
      auto changing = [&](std::vector<std::string> list) {
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const std::string& p) { return M.FindPlace(p)->Def->ReadOnly; }),
                   list.end());
        return list;
      };
      x.Enables = a.ExplicitEnables ? a.Enables : changing(enables);
      x.Affects = a.ExplicitAffects ? a.Affects : changing(affects);
      for (const std::string& p : x.Enables) AddUnique(x.Members, p);
      for (const std::string& p : x.Affects) AddUnique(x.Members, p);
      for (const std::string& p : enables) AddUnique(x.Members, p);
      for (const std::string& p : affects) AddUnique(x.Members, p);
      if (a.ExplicitEnables)
        for (const std::string& p : changing(enables))
          if (std::find(a.Enables.begin(), a.Enables.end(), p) == a.Enables.end()) AddUnique(unlisted, p);
      M.Actions.push_back(x);
    }
    if (a.Timed && a.ReactivationMode == ActivityDef::Reactivation::Off && M.Actions.back().MarkingDependent)
      M.Warnings.push_back(Warning{a.ReactivationAt,
                                   "activity '" + a.Name +
                                       "' has 'reactivation: off' but its delay parameters "
                                       "read the marking: a delay drawn before the marking "
                                       "changes is kept",
                                   ""});
    for (const std::string& p : unlisted)
      M.Warnings.push_back(Warning{a.EnablesAt,
                                   "activity '" + a.Name + "' reads place '" + p +
                                       "' but its 'enables' list leaves it out: a change of '" + p +
                                       "' will not re-evaluate the activity",
                                   ""});
    group++;
  }
}

}  // namespace sangen

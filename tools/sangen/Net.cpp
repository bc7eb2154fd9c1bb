#include "Net.h"

#include "ArcDerivation.h"

namespace sangen {

NetModel Net::Atomic(const Description& d) {
  NetModel m;
  m.ModelName = d.ModelName;
  m.Path = d.Path;
  m.Globals = d.Globals;
  for (const ActivityDef& a : d.Activities) m.Activities.push_back(&a);
  m.Initialization = d.Initialization;
  // The framework numbers the state variables and the read-only places apart, each in order.
  int state = 0, readOnly = 0;
  for (size_t k = 0; k < d.Places.size(); k++) {
    const PlaceDef& p = d.Places[k];
    m.Places.push_back(NetPlace{&p, static_cast<int>(k), p.ReadOnly ? readOnly++ : state++});
  }
  ArcDerivation::Derive(m);
  return m;
}

namespace {

NetReward Reward(const Net& net, const VariableDef& v) {
  NetReward r;
  r.Def = &v;
  r.Over = v.Over;
  if (net.Composed()) {
    while (net.Models[r.Model].Name() != v.OverSubmodel) r.Model++;
    // `over:` names a submodel (every instance of it) or one instance by its path.
    const bool submodel = v.Over == v.OverSubmodel;
    for (size_t k = 0; k < net.Instances.size(); k++)
      if (submodel ? net.Instances[k].Model == r.Model : net.Instances[k].Path == v.Over)
        r.Instances.push_back(k);
  } else {
    r.Over = net.ModelName;
  }
  const NetModel& m = net.Models[r.Model];
  r.RatePlaces = m.PlacesIn(v.Rate.Text);
  for (const ImpulseDef& i : v.Impulses) {
    NetImpulse n;
    n.Def = &i;
    n.Action = m.FindAction(i.Action);
    n.Places = m.PlacesIn(i.Value.Text);
    for (const std::string& id : Identifiers(i.Value.Text)) n.ReadsTime = n.ReadsTime || id == "t";
    r.Impulses.push_back(n);
  }
  return r;
}

}  // namespace

Net Net::Build(const Description& d) {
  Net net;
  net.Path = d.Path;
  net.Inputs = d.Inputs;
  net.ModelName = d.ModelName;
  net.RewardName = d.RewardName;
  net.StudyName = d.StudyName;
  net.Globals = d.Globals;
  net.IsComposed = d.Composed;
  if (!d.Composed) {
    net.Models.push_back(Atomic(d));
  } else {
    net.Composition = &d.Composition;
    for (const Description& sub : d.Submodels) net.Models.push_back(Atomic(sub));
    for (const auto& instance : d.Instances) {
      size_t model = 0;
      while (net.Models[model].Name() != instance.second) model++;
      net.Instances.push_back(NetInstance{instance.first, model});
    }
  }
  for (const VariableDef& v : d.Variables) net.Rewards.push_back(Reward(net, v));
  for (const ExperimentDef& x : d.Experiments) {
    NetExperiment e;
    e.Name = x.Name;
    for (const GlobalDef& g : d.Globals) {
      const auto line = x.ValueLines.find(g.Name);
      e.Values.push_back(NetValue{x.Values.at(g.Name), line == x.ValueLines.end() ? 0 : line->second});
    }
    net.Experiments.push_back(e);
  }
  return net;
}

const NetModel* Net::FindModel(const std::string& name) const {
  for (const NetModel& m : Models)
    if (m.Name() == name) return &m;
  return nullptr;
}

std::vector<Warning> Net::Warnings() const {
  std::vector<Warning> all;
  for (const NetModel& m : Models)
    for (Warning w : m.Warnings) {
      if (m.Path != Path) w.File = m.Path;
      all.push_back(w);
    }
  return all;
}

}  // namespace sangen

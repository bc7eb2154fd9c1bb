#include "Net.h"

#include "ArcDerivation.h"

namespace sangen {

NetModel Net::Atomic(const Description& d) {
  NetModel m;
  m.Source = &d;
  // The framework numbers the state variables and the read-only places apart, each in order.
  int state = 0, readOnly = 0;
  for (size_t k = 0; k < d.Places.size(); k++) {
    const PlaceDef& p = d.Places[k];
    m.Places.push_back(NetPlace{&p, static_cast<int>(k), p.ReadOnly ? readOnly++ : state++});
  }
  ArcDerivation::Derive(m);
  return m;
}

Net Net::Build(const Description& d) {
  Net net;
  net.Top = &d;
  if (!d.Composed) {
    net.Models.push_back(Atomic(d));
    return net;
  }
  for (const Description& sub : d.Submodels) net.Models.push_back(Atomic(sub));
  for (const auto& instance : d.Instances) {
    size_t model = 0;
    while (net.Models[model].Name() != instance.second) model++;
    net.Instances.push_back(NetInstance{instance.first, model});
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
      if (m.Source->Path != Top->Path) w.File = m.Source->Path;
      all.push_back(w);
    }
  return all;
}

}  // namespace sangen

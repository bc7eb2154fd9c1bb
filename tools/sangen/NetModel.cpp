#include "NetModel.h"

#include <algorithm>

namespace sangen {

const NetPlace* NetModel::FindPlace(const std::string& name) const {
  for (const NetPlace& p : Places)
    if (p.Def->Name == name) return &p;
  return nullptr;
}

int NetModel::FindAction(const std::string& name) const {
  for (size_t k = 0; k < Actions.size(); k++)
    if (Actions[k].Name == name) return static_cast<int>(k);
  return -1;
}

std::vector<std::string> NetModel::PlacesIn(const std::string& code) const {
  std::vector<std::string> out;
  for (const std::string& id : Identifiers(code))
    if (FindPlace(id) != nullptr && std::find(out.begin(), out.end(), id) == out.end()) out.push_back(id);
  return out;
}

}  // namespace sangen

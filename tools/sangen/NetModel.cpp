#include "NetModel.h"

namespace sangen {

const NetPlace* NetModel::FindPlace(const std::string& name) const {
  for (const NetPlace& p : Places)
    if (p.Def->Name == name) return &p;
  return nullptr;
}

}  // namespace sangen

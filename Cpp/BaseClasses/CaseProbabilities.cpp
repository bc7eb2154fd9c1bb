#include "BaseClasses/CaseProbabilities.h"

#include <set>

namespace {

std::set<const BaseGroupClass*>& Register() {
  static std::set<const BaseGroupClass*> groups;
  return groups;
}

}  // namespace

void CaseProbabilities::Declare(BaseGroupClass* group) { Register().insert(group); }

void CaseProbabilities::Withdraw(BaseGroupClass* group) { Register().erase(group); }

bool CaseProbabilities::Declared(const BaseGroupClass* group) { return Register().count(group) > 0; }

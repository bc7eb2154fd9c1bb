#include "Performance_Variables/ActionModelPairClass.h"

#include <cstdlib>
#include <cstring>

namespace {
char* CopyOf(const char* s) { return s != nullptr ? strdup(s) : nullptr; }
}  // namespace

ActionModelPairClass::ActionModelPairClass() : ModelName(nullptr), ActionName(nullptr) {}

ActionModelPairClass::~ActionModelPairClass() {
  std::free(ModelName);
  std::free(ActionName);
}

void ActionModelPairClass::SetPair(const char* TheActionName, const char* TheModelName) {
  std::free(ModelName);
  std::free(ActionName);
  ActionName = CopyOf(TheActionName);
  ModelName = CopyOf(TheModelName);
}

#include "Performance_Variables/VarModelPairClass.h"

#include <cstdlib>
#include <cstring>

namespace {
char* CopyOf(const char* s) { return s != nullptr ? strdup(s) : nullptr; }
}  // namespace

VarModelPairClass::VarModelPairClass() : ModelName(nullptr), VarName(nullptr) {}

VarModelPairClass::~VarModelPairClass() {
  std::free(ModelName);
  std::free(VarName);
}

void VarModelPairClass::SetPair(const char* TheVarName, const char* TheModelName) {
  std::free(ModelName);
  std::free(VarName);
  VarName = CopyOf(TheVarName);
  ModelName = CopyOf(TheModelName);
}

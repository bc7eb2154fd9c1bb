#include "Performance_Variables/NamePair.h"

#include "BaseClasses/KavrinName.h"

NamePair::~NamePair() {
  delete[] Name;
  delete[] ModelName;
}

void NamePair::Set(const char* name, const char* modelName) {
  KavrinReplaceName(Name, name);
  KavrinReplaceName(ModelName, modelName);
}

#include "Performance_Variables/PerformanceVariableWorker.h"

#include <iostream>

#include "BaseClasses/KavrinName.h"

PerformanceVariableWorker::PerformanceVariableWorker()
    : TheModelPtr(nullptr),
      NumModels(0),
      lastQualification(0),
      Name(nullptr),
      Trace(0),
      Number(-1),
      id(-1),
      Reward(0.0),
      RewardSqr(0.0),
      RewardFraction(0.0),
      Start(0.0),
      Stop(0.0) {}

// The worker alone frees its name; whoever deletes the worker must not free it as well.
PerformanceVariableWorker::~PerformanceVariableWorker() { delete[] Name; }

void PerformanceVariableWorker::CurrentReward() {
  std::cerr << "!! Calling PerformanceVariableWorker::CurrentReward()" << std::endl;
}

void PerformanceVariableWorker::Reset() {
  Reward = 0.0;
  RewardSqr = 0.0;
}

void PerformanceVariableWorker::SetModelPointer(int k, BaseModelClass* model) {
  if (TheModelPtr != nullptr && k >= 0 && k < NumModels && TheModelPtr[k] != nullptr) *TheModelPtr[k] = model;
}

void PerformanceVariableWorker::DefineName(const char* name, int number) {
  KavrinReplaceName(Name, name);
  Number = number;
}

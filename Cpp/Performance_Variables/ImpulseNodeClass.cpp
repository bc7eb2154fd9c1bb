#include "Performance_Variables/ImpulseNodeClass.h"

#include "BaseClasses/KavrinName.h"

ImpulseNodeClass::ImpulseNodeClass()
    : TheModelPtr(nullptr),
      ContainingModel(nullptr),
      Name(nullptr),
      Trace(0),
      WorkerNumber(-1),
      ImpulseNumber(-1),
      NumberOfModelDependencies(0),
      id(-1),
      Impulse(0.0),
      ImpulseSqr(0.0),
      ImpulseFraction(0.0),
      Start(0.0),
      Stop(0.0) {}

ImpulseNodeClass::~ImpulseNodeClass() { delete[] Name; }

void ImpulseNodeClass::Reset() {
  Impulse = 0.0;
  ImpulseSqr = 0.0;
}

void ImpulseNodeClass::SetModelPointer(int k, BaseModelClass* model) {
  if (TheModelPtr != nullptr && k >= 0 && k < NumberOfModelDependencies && TheModelPtr[k] != nullptr)
    *TheModelPtr[k] = model;
}

void ImpulseNodeClass::DefineName(const char* name, int impulseNumber, int workerNumber) {
  KavrinReplaceName(Name, name);
  ImpulseNumber = impulseNumber;
  WorkerNumber = workerNumber;
}

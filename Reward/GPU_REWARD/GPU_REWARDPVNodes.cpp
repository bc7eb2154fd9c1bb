#include "Reward/GPU_REWARD/GPU_REWARDPVNodes.h"

#include "Atomic/GPU_MODEL_ATOMIC_COMPOSITION/GPU_MODEL_ATOMIC_COMPOSITIONSAN.h"

// The typed model pointer is bound through SetModelPointer.

GPU_REWARDPV0Impulse0::GPU_REWARDPV0Impulse0()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse0::~GPU_REWARDPV0Impulse0() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse0::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse0::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse0;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse0::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse1::GPU_REWARDPV0Impulse1()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse1::~GPU_REWARDPV0Impulse1() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse1::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse1::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse1;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse1::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse2::GPU_REWARDPV0Impulse2()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse2::~GPU_REWARDPV0Impulse2() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse2::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse2::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse2;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse2::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse3::GPU_REWARDPV0Impulse3()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse3::~GPU_REWARDPV0Impulse3() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse3::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse3::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse3;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse3::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse4::GPU_REWARDPV0Impulse4()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse4::~GPU_REWARDPV0Impulse4() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse4::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse4::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse4;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse4::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse5::GPU_REWARDPV0Impulse5()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse5::~GPU_REWARDPV0Impulse5() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse5::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse5::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse5;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse5::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0Impulse6::GPU_REWARDPV0Impulse6()
    : IntervalOfTimeImpulse(),
      GPU_MODEL_ATOMIC_COMPOSITION(nullptr),
      ImpulseWorkerList(nullptr),
      ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}
GPU_REWARDPV0Impulse6::~GPU_REWARDPV0Impulse6() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}
double GPU_REWARDPV0Impulse6::Impulse_Function(double /*t*/) { return 1.0; }
ImpulseNodeClass** GPU_REWARDPV0Impulse6::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new GPU_REWARDPV0Impulse6;
  return ImpulseWorkerList;
}
void GPU_REWARDPV0Impulse6::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) GPU_MODEL_ATOMIC_COMPOSITION = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

GPU_REWARDPV0::GPU_REWARDPV0(int timeindex)
    : PerformanceVariableNode(), TheGPU_MODEL_ATOMIC_COMPOSITIONSAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {0.0};
  double stoppts[1] = {1.0};
  Initialize("token_game", INTERVAL_OF_TIME, 1, startpts, stoppts, timeindex, 7, 0, 0);
  AddImpulse("DISPATCHER", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse0);
  AddImpulse("READ_FROM_case1", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse1);
  AddImpulse("READ_FROM_case2", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse2);
  AddImpulse("WRITE_TO_case1", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse3);
  AddImpulse("WRITE_TO_case2", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse4);
  AddImpulse("COMPUTE_case1", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse5);
  AddImpulse("COMPUTE_case2", "GPU_MODEL_ATOMIC_COMPOSITION", &Impulse6);
}

// No rate workers were created; the impulse members release their own workers.
GPU_REWARDPV0::~GPU_REWARDPV0() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void GPU_REWARDPV0::CreateWorkerList() {}

void GPU_REWARDPV0::SetModelPointer(BaseModelClass* model) {
  TheGPU_MODEL_ATOMIC_COMPOSITIONSAN = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(model);
}

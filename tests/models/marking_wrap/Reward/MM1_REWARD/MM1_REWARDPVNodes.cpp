// Written by hand.
#include "Reward/MM1_REWARD/MM1_REWARDPVNodes.h"

#include <algorithm>

#include "Atomic/MM1/MM1SAN.h"

// ----- mean_in_system

MM1_REWARDPV0Worker::MM1_REWARDPV0Worker() : MM1(nullptr) { NumModels = 1; }

double MM1_REWARDPV0Worker::Reward_Function() {
  Place* Queue = MM1->Queue;
  (void)Queue;
  return (Queue->Mark());
}

void MM1_REWARDPV0Worker::Accumulate(double next_time, double last_event_time) {
  double from = std::max(last_event_time, Start);
  double to = std::min(next_time, Stop);
  Reward = to > from ? Reward_Function() * (to - from) : 0.0;
  RewardFraction = 1.0 / (Stop - Start);
}

void MM1_REWARDPV0Worker::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) MM1 = static_cast<MM1SAN*>(model);
}

MM1_REWARDPV0::MM1_REWARDPV0(int timeindex) : PerformanceVariableNode(), TheMM1SAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {1000.0};
  double stoppts[1] = {2000.0};
  Initialize("mean_in_system", STEADY_STATE, 1, startpts, stoppts, timeindex, 0, 1, 1);
  Type = steady_state;
  AddVariableDependency("Queue", "MM1");
}

MM1_REWARDPV0::~MM1_REWARDPV0() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void MM1_REWARDPV0::CreateWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w] = new MM1_REWARDPV0Worker;
}

void MM1_REWARDPV0::SetModelPointer(BaseModelClass* model) { TheMM1SAN = static_cast<MM1SAN*>(model); }

// ----- arrivals

MM1_REWARDPV1Impulse0::MM1_REWARDPV1Impulse0()
    : IntervalOfTimeImpulse(), MM1(nullptr), ImpulseWorkerList(nullptr), ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}

MM1_REWARDPV1Impulse0::~MM1_REWARDPV1Impulse0() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}

double MM1_REWARDPV1Impulse0::Impulse_Function(double t) {
  (void)t;
  return (1.0);
}

ImpulseNodeClass** MM1_REWARDPV1Impulse0::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new MM1_REWARDPV1Impulse0;
  return ImpulseWorkerList;
}

void MM1_REWARDPV1Impulse0::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) MM1 = static_cast<MM1SAN*>(model);
}

MM1_REWARDPV1::MM1_REWARDPV1(int timeindex) : PerformanceVariableNode(), TheMM1SAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {0.0};
  double stoppts[1] = {10.0};
  Initialize("arrivals", INTERVAL_OF_TIME, 1, startpts, stoppts, timeindex, 1, 0, 0);
  AddImpulse("Arrival", "MM1", &Impulse0);
}

MM1_REWARDPV1::~MM1_REWARDPV1() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void MM1_REWARDPV1::CreateWorkerList() {}

void MM1_REWARDPV1::SetModelPointer(BaseModelClass* model) { TheMM1SAN = static_cast<MM1SAN*>(model); }

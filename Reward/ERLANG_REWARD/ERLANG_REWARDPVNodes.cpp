#include "Reward/ERLANG_REWARD/ERLANG_REWARDPVNodes.h"

#include <algorithm>

#include "Atomic/ErlangLoss/ErlangLossSAN.h"

// ----- all_busy

ERLANG_REWARDPV0Worker::ERLANG_REWARDPV0Worker() : ErlangLoss(nullptr) { NumModels = 1; }

double ERLANG_REWARDPV0Worker::Reward_Function() { return ErlangLoss->Busy->Mark() == ErlangLoss->NumServers ? 1.0 : 0.0; }

// The reward earned over the part of [last_event_time, next_time] inside the window, in the
// marking held during it; the node weights it by 1 / batch length to form the time average.
void ERLANG_REWARDPV0Worker::Accumulate(double next_time, double last_event_time) {
  double from = std::max(last_event_time, Start);
  double to = std::min(next_time, Stop);
  Reward = to > from ? Reward_Function() * (to - from) : 0.0;
  RewardFraction = 1.0 / (Stop - Start);
}

void ERLANG_REWARDPV0Worker::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) ErlangLoss = static_cast<ErlangLossSAN*>(model);
}

ERLANG_REWARDPV0::ERLANG_REWARDPV0(int timeindex) : PerformanceVariableNode(), TheErlangLossSAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {1000.0};
  double stoppts[1] = {2000.0};
  Initialize("all_busy", STEADY_STATE, 1, startpts, stoppts, timeindex, 0, 1, 1);
  Type = steady_state;
  AddVariableDependency("Busy", "ErlangLoss");
}

ERLANG_REWARDPV0::~ERLANG_REWARDPV0() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void ERLANG_REWARDPV0::CreateWorkerList() {
  for (int w = 0; w < NumberOfWorkers; w++) WorkerList[w] = new ERLANG_REWARDPV0Worker;
}

void ERLANG_REWARDPV0::SetModelPointer(BaseModelClass* model) {
  TheErlangLossSAN = static_cast<ErlangLossSAN*>(model);
}

// ----- blocked

ERLANG_REWARDPV1Impulse0::ERLANG_REWARDPV1Impulse0()
    : IntervalOfTimeImpulse(), ErlangLoss(nullptr), ImpulseWorkerList(nullptr), ImpulseWorkerListLength(0) {
  NumberOfModelDependencies = 1;
  TheModelPtr = new BaseModelClass**[NumberOfModelDependencies];
  TheModelPtr[0] = nullptr;
}

ERLANG_REWARDPV1Impulse0::~ERLANG_REWARDPV1Impulse0() {
  delete[] TheModelPtr;
  if (ImpulseWorkerList != nullptr) {
    for (int i = 0; i < ImpulseWorkerListLength; i++) delete ImpulseWorkerList[i];
    delete[] ImpulseWorkerList;
  }
}

double ERLANG_REWARDPV1Impulse0::Impulse_Function(double /*t*/) { return 1.0; }

ImpulseNodeClass** ERLANG_REWARDPV1Impulse0::CreateImpulseWorkerList(int n) {
  ImpulseWorkerListLength = n;
  ImpulseWorkerList = new ImpulseNodeClass*[n];
  for (int i = 0; i < n; i++) ImpulseWorkerList[i] = new ERLANG_REWARDPV1Impulse0;
  return ImpulseWorkerList;
}

void ERLANG_REWARDPV1Impulse0::SetModelPointer(int k, BaseModelClass* model) {
  if (k == 0) ErlangLoss = static_cast<ErlangLossSAN*>(model);
}

ERLANG_REWARDPV1::ERLANG_REWARDPV1(int timeindex) : PerformanceVariableNode(), TheErlangLossSAN(nullptr) {
  TheModelPtr = nullptr;  // bound through SetModelPointer
  double startpts[1] = {1000.0};
  double stoppts[1] = {2000.0};
  Initialize("blocked", STEADY_STATE, 1, startpts, stoppts, timeindex, 1, 0, 0);
  Type = steady_state;
  AddImpulse("Arrival_case2", "ErlangLoss", &Impulse0);
}

// No rate workers were created; the impulse member releases its own workers.
ERLANG_REWARDPV1::~ERLANG_REWARDPV1() {
  for (int w = 0; w < NumberOfWorkers; w++) delete WorkerList[w];
}

void ERLANG_REWARDPV1::CreateWorkerList() {}

void ERLANG_REWARDPV1::SetModelPointer(BaseModelClass* model) {
  TheErlangLossSAN = static_cast<ErlangLossSAN*>(model);
}

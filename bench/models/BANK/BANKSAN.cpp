#include "bench/models/BANK/BANKSAN.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "BaseClasses/DistributionDefinition.h"

BANKSAN::BANKSAN() : NumQueues(queues) {
  if (NumQueues < 1) {
    std::cerr << "BANK: queues must be at least 1 (got " << NumQueues << ")" << std::endl;
    std::exit(1);
  }
  const int n = NumQueues;
  Q = new Place*[n];
  Arrival = new ArrivalActivity[n];
  Service = new ServiceActivity[n];
  std::vector<BaseStateVariableClass*> places(n);
  std::vector<Activity*> actions(2 * n);
  std::vector<BaseGroupClass*> groups(2 * n);
  char name[32];
  for (int k = 0; k < n; k++) {
    std::snprintf(name, sizeof name, "Q%d", k);
    Q[k] = new Place(name, 0);
    places[k] = Q[k];
    std::snprintf(name, sizeof name, "Arrival%d", k);
    Arrival[k].ActivityInitialize(name, 2 * k, Exponential, RaceEnabled, 1, 0, false);
    std::snprintf(name, sizeof name, "Service%d", k);
    Service[k].ActivityInitialize(name, 2 * k + 1, Exponential, RaceEnabled, 1, 1, false);
    actions[2 * k] = &Arrival[k];
    groups[2 * k] = &Arrival[k];
    actions[2 * k + 1] = &Service[k];
    groups[2 * k + 1] = &Service[k];
  }
  initializeSANModelNow("BANK", n, places.data(), 0, nullptr, 2 * n, actions.data(), 2 * n, groups.data());
  for (int k = 0; k < n; k++) {
    Arrival[k].Queue = Q[k];
    Service[k].Queue = Q[k];
    AddAffectArc(Q[k], &Arrival[k]);
    AddAffectArc(Q[k], &Service[k]);
    AddEnableArc(Q[k], &Service[k]);
  }
  for (int a = 0; a < 2 * n; a++) actions[a]->LinkVariables();
}

BANKSAN::~BANKSAN() {
  for (int k = 0; k < NumQueues; k++) delete Q[k];
  delete[] Q;
  delete[] Arrival;
  delete[] Service;
}

// ----- Arrival<k>

BANKSAN::ArrivalActivity::ArrivalActivity() : Queue(nullptr), Queue_Kavrin_Mark(nullptr), Parameters{0.0} {}

bool BANKSAN::ArrivalActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true;
  return NewEnabled;
}

double BANKSAN::ArrivalActivity::Weight() { return 1.0; }
double BANKSAN::ArrivalActivity::Rate() { return lambda; }
bool BANKSAN::ArrivalActivity::ReactivationPredicate() { return false; }
bool BANKSAN::ArrivalActivity::ReactivationFunction() { return false; }
double BANKSAN::ArrivalActivity::SampleDistribution() { return TheDistribution->Exponential(lambda); }

double* BANKSAN::ArrivalActivity::ReturnDistributionParameters() {
  Parameters[0] = lambda;
  return Parameters;
}

int BANKSAN::ArrivalActivity::Rank() { return 1; }

BaseActionClass* BANKSAN::ArrivalActivity::Fire() {
  (*Queue_Kavrin_Mark)++;
  return this;
}

void BANKSAN::ArrivalActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

// ----- Service<k>

BANKSAN::ServiceActivity::ServiceActivity() : Queue(nullptr), Queue_Kavrin_Mark(nullptr), Parameters{0.0} {}

bool BANKSAN::ServiceActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = (*Queue_Kavrin_Mark) > 0;
  return NewEnabled;
}

double BANKSAN::ServiceActivity::Weight() { return 1.0; }
double BANKSAN::ServiceActivity::Rate() { return mu; }
bool BANKSAN::ServiceActivity::ReactivationPredicate() { return false; }
bool BANKSAN::ServiceActivity::ReactivationFunction() { return false; }
double BANKSAN::ServiceActivity::SampleDistribution() { return TheDistribution->Exponential(mu); }

double* BANKSAN::ServiceActivity::ReturnDistributionParameters() {
  Parameters[0] = mu;
  return Parameters;
}

int BANKSAN::ServiceActivity::Rank() { return 1; }

BaseActionClass* BANKSAN::ServiceActivity::Fire() {
  (*Queue_Kavrin_Mark)--;
  return this;
}

void BANKSAN::ServiceActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

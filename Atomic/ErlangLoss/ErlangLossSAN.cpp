#include "Atomic/ErlangLoss/ErlangLossSAN.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <vector>

#include "BaseClasses/DistributionDefinition.h"

namespace {

// A marking is a short; more servers than that cannot be counted in Busy.
const int kMaxServers = 32767;

bool SupportedServiceDistribution(int d) {
  return d == Exponential || d == Deterministic || d == Uniform || d == Gamma || d == Lognormal || d == Erlang;
}

}  // namespace

ErlangLossSAN::ErlangLossSAN() {
  if (c < 1 || c > kMaxServers) {
    std::cerr << "ERROR: model ErlangLoss: the number of servers c must be between 1 and " << kMaxServers
              << ", not " << static_cast<int>(c) << std::endl;
    std::exit(1);
  }
  if (!SupportedServiceDistribution(service_dist)) {
    std::cerr << "ERROR: model ErlangLoss: service_dist " << static_cast<int>(service_dist)
              << " is not one of Exponential (1), Deterministic (2), Lognormal (6), Erlang (7), Gamma (9), "
                 "Uniform (11)"
              << std::endl;
    std::exit(1);
  }
  NumServers = c;

  ArrivalGroup.initialize(2, "ArrivalGroup");
  ArrivalGroup.appendGroup(&Arrival_case1);
  ArrivalGroup.appendGroup(&Arrival_case2);

  Service = new ServiceActivity*[NumServers];
  for (int k = 0; k < NumServers; k++) {
    char name[32];
    std::snprintf(name, sizeof name, "Service%d", k);
    Service[k] = new ServiceActivity(name, 1 + k);
  }

  Busy = new Place("Busy", 0);
  Server = new Place*[NumServers];
  for (int k = 0; k < NumServers; k++) {
    char name[32];
    std::snprintf(name, sizeof name, "Server%d", k);
    Server[k] = new Place(name, 0);
  }

  // State variables: Busy, then Server0 .. Server(c-1). Actions: the two arrival cases, then the
  // service activities. Groups: ArrivalGroup, then each service activity on its own.
  std::vector<BaseStateVariableClass*> InitialPlaces{Busy};
  for (int k = 0; k < NumServers; k++) InitialPlaces.push_back(Server[k]);
  std::vector<Activity*> InitialActionList{&Arrival_case1, &Arrival_case2};
  for (int k = 0; k < NumServers; k++) InitialActionList.push_back(Service[k]);
  std::vector<BaseGroupClass*> InitialGroupList{&ArrivalGroup};
  for (int k = 0; k < NumServers; k++) InitialGroupList.push_back(Service[k]);

  initializeSANModelNow("ErlangLoss", static_cast<int>(InitialPlaces.size()), InitialPlaces.data(), 0, nullptr,
                        static_cast<int>(InitialActionList.size()), InitialActionList.data(),
                        static_cast<int>(InitialGroupList.size()), InitialGroupList.data());

  assignPlacesToActivitiesInst();
  assignPlacesToActivitiesTimed();

  AddAffectArc(Busy, &Arrival_case1);
  for (int k = 0; k < NumServers; k++) AddAffectArc(Server[k], &Arrival_case1);
  for (int k = 0; k < NumServers; k++) {
    AddAffectArc(Server[k], Service[k]);
    AddAffectArc(Busy, Service[k]);
  }
  // The arrival cases read Busy in their weights.
  AddEnableArc(Busy, &Arrival_case1);
  AddEnableArc(Busy, &Arrival_case2);
  for (int k = 0; k < NumServers; k++) AddEnableArc(Server[k], Service[k]);

  for (Activity* a : InitialActionList) a->LinkVariables();
  CustomInitialization();
}

ErlangLossSAN::~ErlangLossSAN() {
  delete Busy;
  for (int k = 0; k < NumServers; k++) delete Server[k];
  delete[] Server;
  for (int k = 0; k < NumServers; k++) delete Service[k];
  delete[] Service;
}

void ErlangLossSAN::CustomInitialization() {}

void ErlangLossSAN::assignPlacesToActivitiesInst() {}

void ErlangLossSAN::assignPlacesToActivitiesTimed() {
  Arrival_case1.Busy = static_cast<Place*>(LocalStateVariables[0]);
  Arrival_case1.NumServers = NumServers;
  Arrival_case1.Server = new Place*[NumServers];
  Arrival_case1.Server_Kavrin_Mark = new short*[NumServers];
  for (int k = 0; k < NumServers; k++) Arrival_case1.Server[k] = static_cast<Place*>(LocalStateVariables[1 + k]);
  Arrival_case2.Busy = static_cast<Place*>(LocalStateVariables[0]);
  for (int k = 0; k < NumServers; k++) {
    Service[k]->Busy = static_cast<Place*>(LocalStateVariables[0]);
    Service[k]->Server = static_cast<Place*>(LocalStateVariables[1 + k]);
  }
}

// ----- Arrival_case1: an idle server takes the customer

ErlangLossSAN::ArrivalActivity_case1::ArrivalActivity_case1()
    : Busy(nullptr), Busy_Kavrin_Mark(nullptr), Server(nullptr), Server_Kavrin_Mark(nullptr), NumServers(0) {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Arrival_case1", 0, Exponential, RaceEnabled, 2, 1, false);
}

ErlangLossSAN::ArrivalActivity_case1::~ArrivalActivity_case1() {
  delete[] TheDistributionParameters;
  delete[] Server;
  delete[] Server_Kavrin_Mark;
}

bool ErlangLossSAN::ArrivalActivity_case1::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true;
  return NewEnabled;
}

double ErlangLossSAN::ArrivalActivity_case1::Weight() { return (*(Busy_Kavrin_Mark)) < NumServers ? 1.0 : 0.0; }

double ErlangLossSAN::ArrivalActivity_case1::Rate() { return lambda; }

bool ErlangLossSAN::ArrivalActivity_case1::ReactivationPredicate() { return false; }

bool ErlangLossSAN::ArrivalActivity_case1::ReactivationFunction() { return false; }

double ErlangLossSAN::ArrivalActivity_case1::SampleDistribution() { return TheDistribution->Exponential(lambda); }

double* ErlangLossSAN::ArrivalActivity_case1::ReturnDistributionParameters() {
  TheDistributionParameters[0] = lambda;
  return TheDistributionParameters;
}

int ErlangLossSAN::ArrivalActivity_case1::Rank() { return 1; }

BaseActionClass* ErlangLossSAN::ArrivalActivity_case1::Fire() {
  for (int k = 0; k < NumServers; k++) {
    if (*(Server_Kavrin_Mark[k]) == 0) {
      *(Server_Kavrin_Mark[k]) = 1;
      (*(Busy_Kavrin_Mark))++;
      break;
    }
  }
  return this;
}

void ErlangLossSAN::ArrivalActivity_case1::LinkVariables() {
  Busy->Register(&Busy_Kavrin_Mark);
  for (int k = 0; k < NumServers; k++) Server[k]->Register(&Server_Kavrin_Mark[k]);
}

// ----- Arrival_case2: every server is busy, the customer is lost

ErlangLossSAN::ArrivalActivity_case2::ArrivalActivity_case2() : Busy(nullptr), Busy_Kavrin_Mark(nullptr) {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Arrival_case2", 0, Exponential, RaceEnabled, 0, 1, false);
}

ErlangLossSAN::ArrivalActivity_case2::~ArrivalActivity_case2() { delete[] TheDistributionParameters; }

bool ErlangLossSAN::ArrivalActivity_case2::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true;
  return NewEnabled;
}

double ErlangLossSAN::ArrivalActivity_case2::Weight() { return (*(Busy_Kavrin_Mark)) >= c ? 1.0 : 0.0; }

double ErlangLossSAN::ArrivalActivity_case2::Rate() { return lambda; }

bool ErlangLossSAN::ArrivalActivity_case2::ReactivationPredicate() { return false; }

bool ErlangLossSAN::ArrivalActivity_case2::ReactivationFunction() { return false; }

double ErlangLossSAN::ArrivalActivity_case2::SampleDistribution() { return TheDistribution->Exponential(lambda); }

double* ErlangLossSAN::ArrivalActivity_case2::ReturnDistributionParameters() {
  TheDistributionParameters[0] = lambda;
  return TheDistributionParameters;
}

int ErlangLossSAN::ArrivalActivity_case2::Rank() { return 1; }

BaseActionClass* ErlangLossSAN::ArrivalActivity_case2::Fire() { return this; }

void ErlangLossSAN::ArrivalActivity_case2::LinkVariables() { Busy->Register(&Busy_Kavrin_Mark); }

// ----- Service0 .. Service(c-1)

ErlangLossSAN::ServiceActivity::ServiceActivity(const char* name, int groupId)
    : Busy(nullptr), Busy_Kavrin_Mark(nullptr), Server(nullptr), Server_Kavrin_Mark(nullptr) {
  TheDistributionParameters = new double[2];
  ActivityInitialize(name, groupId, static_cast<Distribution>(static_cast<int>(service_dist)), RaceEnabled, 2, 1,
                     false);
}

ErlangLossSAN::ServiceActivity::~ServiceActivity() { delete[] TheDistributionParameters; }

bool ErlangLossSAN::ServiceActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = ((*(Server_Kavrin_Mark)) == 1);
  return NewEnabled;
}

double ErlangLossSAN::ServiceActivity::Weight() { return 1.0; }

double ErlangLossSAN::ServiceActivity::Rate() { return DistributionType == Exponential ? 1.0 : 0.0; }

bool ErlangLossSAN::ServiceActivity::ReactivationPredicate() { return false; }

bool ErlangLossSAN::ServiceActivity::ReactivationFunction() { return false; }

// Every choice has mean 1: Uniform on [0, 2]; Gamma of shape 2 and scale 0.5; Lognormal with
// sigma^2 = 0.5 and mu = -sigma^2 / 2; Erlang of 3 phases with mean 1.
double ErlangLossSAN::ServiceActivity::SampleDistribution() {
  switch (DistributionType) {
    case Deterministic:
      return TheDistribution->Deterministic(1.0);
    case Uniform:
      return TheDistribution->Uniform(0.0, 2.0);
    case Gamma:
      return TheDistribution->Gamma(2.0, 0.5);
    case Lognormal:
      return TheDistribution->Lognormal(-0.25, 0.5);
    case Erlang:
      return TheDistribution->Erlang(3.0, 1.0);
    default:
      return TheDistribution->Exponential(1.0);
  }
}

double* ErlangLossSAN::ServiceActivity::ReturnDistributionParameters() {
  switch (DistributionType) {
    case Deterministic:
      TheDistributionParameters[0] = 1.0;
      break;
    case Uniform:
      TheDistributionParameters[0] = 0.0;
      TheDistributionParameters[1] = 2.0;
      break;
    case Gamma:
      TheDistributionParameters[0] = 2.0;
      TheDistributionParameters[1] = 0.5;
      break;
    case Lognormal:
      TheDistributionParameters[0] = -0.25;
      TheDistributionParameters[1] = 0.5;
      break;
    case Erlang:
      TheDistributionParameters[0] = 3.0;
      TheDistributionParameters[1] = 1.0;
      break;
    default:
      TheDistributionParameters[0] = 1.0;
      break;
  }
  return TheDistributionParameters;
}

int ErlangLossSAN::ServiceActivity::Rank() { return 1; }

BaseActionClass* ErlangLossSAN::ServiceActivity::Fire() {
  (*(Server_Kavrin_Mark)) = 0;
  (*(Busy_Kavrin_Mark))--;
  return this;
}

void ErlangLossSAN::ServiceActivity::LinkVariables() {
  Busy->Register(&Busy_Kavrin_Mark);
  Server->Register(&Server_Kavrin_Mark);
}

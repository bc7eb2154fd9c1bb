#include "Atomic/MM1/MM1SAN.h"

#include "BaseClasses/DistributionDefinition.h"

MM1SAN::MM1SAN() {
  Queue = new Place("Queue", 0);

  BaseStateVariableClass* InitialPlaces[1] = {Queue};
  BaseStateVariableClass** InitialROPlaces = nullptr;
  Activity* InitialActionList[2] = {&Arrival, &Service};
  BaseGroupClass* InitialGroupList[2] = {&Arrival, &Service};

  initializeSANModelNow("MM1", 1, InitialPlaces, 0, InitialROPlaces, 2, InitialActionList, 2, InitialGroupList);

  assignPlacesToActivitiesInst();
  assignPlacesToActivitiesTimed();

  static const int AffectArcs[2][2] = {{0, 0}, {0, 1}};
  for (int n = 0; n < 2; n++) AddAffectArc(InitialPlaces[AffectArcs[n][0]], InitialActionList[AffectArcs[n][1]]);
  static const int EnableArcs[1][2] = {{0, 1}};
  for (int n = 0; n < 1; n++) AddEnableArc(InitialPlaces[EnableArcs[n][0]], InitialActionList[EnableArcs[n][1]]);

  for (int n = 0; n < 2; n++) InitialActionList[n]->LinkVariables();
  CustomInitialization();
}

MM1SAN::~MM1SAN() { delete Queue; }

void MM1SAN::CustomInitialization() {}

void MM1SAN::assignPlacesToActivitiesInst() {}

void MM1SAN::assignPlacesToActivitiesTimed() {
  Arrival.Queue = static_cast<Place*>(LocalStateVariables[0]);
  Service.Queue = static_cast<Place*>(LocalStateVariables[0]);
}

// ----- Arrival

MM1SAN::ArrivalActivity::ArrivalActivity() {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Arrival", 0, Exponential, RaceEnabled, 1, 0, false);
}

MM1SAN::ArrivalActivity::~ArrivalActivity() { delete[] TheDistributionParameters; }

bool MM1SAN::ArrivalActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true;
  return NewEnabled;
}

double MM1SAN::ArrivalActivity::Weight() { return 1.0; }

double MM1SAN::ArrivalActivity::Rate() { return lambda; }

bool MM1SAN::ArrivalActivity::ReactivationPredicate() { return false; }

bool MM1SAN::ArrivalActivity::ReactivationFunction() { return false; }

double MM1SAN::ArrivalActivity::SampleDistribution() { return TheDistribution->Exponential(lambda); }

double* MM1SAN::ArrivalActivity::ReturnDistributionParameters() {
  TheDistributionParameters[0] = lambda;
  return TheDistributionParameters;
}

int MM1SAN::ArrivalActivity::Rank() { return 1; }

BaseActionClass* MM1SAN::ArrivalActivity::Fire() {
  (*(Queue_Kavrin_Mark))++;
  return this;
}

void MM1SAN::ArrivalActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

// ----- Service

MM1SAN::ServiceActivity::ServiceActivity() {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Service", 1, Exponential, RaceEnabled, 1, 1, false);
}

MM1SAN::ServiceActivity::~ServiceActivity() { delete[] TheDistributionParameters; }

bool MM1SAN::ServiceActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = ((*(Queue_Kavrin_Mark)) > 0);
  return NewEnabled;
}

double MM1SAN::ServiceActivity::Weight() { return 1.0; }

double MM1SAN::ServiceActivity::Rate() { return mu; }

bool MM1SAN::ServiceActivity::ReactivationPredicate() { return false; }

bool MM1SAN::ServiceActivity::ReactivationFunction() { return false; }

double MM1SAN::ServiceActivity::SampleDistribution() { return TheDistribution->Exponential(mu); }

double* MM1SAN::ServiceActivity::ReturnDistributionParameters() {
  TheDistributionParameters[0] = mu;
  return TheDistributionParameters;
}

int MM1SAN::ServiceActivity::Rank() { return 1; }

BaseActionClass* MM1SAN::ServiceActivity::Fire() {
  (*(Queue_Kavrin_Mark))--;
  return this;
}

void MM1SAN::ServiceActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

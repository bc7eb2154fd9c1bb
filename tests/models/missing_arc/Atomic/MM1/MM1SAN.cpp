// Written by hand. Compiled twice: as it stands, with the enabling arc the model check must find
// missing; and with MARKING_WRAP_TEST defined (tests/models/marking_wrap), with every arc present
// and customers arriving 1000 at a time, so that the 16-bit marking wraps after some 33 arrivals.
#include "Atomic/MM1/MM1SAN.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "BaseClasses/DistributionDefinition.h"

MM1SAN::MM1SAN() {
  Queue = new Place("Queue", static_cast<short>(0));

  BaseStateVariableClass* InitialPlaces[1] = {Queue};
  BaseStateVariableClass** InitialROPlaces = nullptr;
  Activity* InitialActionList[2] = {&Arrival, &Service};
  BaseGroupClass* InitialGroupList[2] = {&Arrival, &Service};

  initializeSANModelNow("MM1", 1, InitialPlaces, 0, InitialROPlaces, 2, InitialActionList, 2,
                        InitialGroupList);

  assignPlacesToActivitiesInst();
  assignPlacesToActivitiesTimed();

  static const int AffectArcs[2][2] = {{0, 0}, {0, 1}};
  for (int n = 0; n < 2; n++) {
    AddAffectArc(InitialPlaces[AffectArcs[n][0]], InitialActionList[AffectArcs[n][1]]);
  }
  // Deliberately wrong unless MARKING_WRAP_TEST: Service reads Queue in its enabling but has no
  // enabling arc on it.
#ifdef MARKING_WRAP_TEST
  AddEnableArc(InitialPlaces[0], InitialActionList[1]);
#endif

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

double MM1SAN::ArrivalActivity::Weight() { return (1.0); }

void MM1SAN::ArrivalActivity::CurrentParameters(double* p) { p[0] = (lambda); }

double MM1SAN::ArrivalActivity::Rate() {
  double p[1];
  CurrentParameters(p);
  return p[0];
}

bool MM1SAN::ArrivalActivity::ReactivationPredicate() { return false; }

bool MM1SAN::ArrivalActivity::ReactivationFunction() { return false; }

double MM1SAN::ArrivalActivity::SampleDistribution() {
  double p[1];
  CurrentParameters(p);
  return TheDistribution->Exponential(p[0]);
}

double* MM1SAN::ArrivalActivity::ReturnDistributionParameters() {
  CurrentParameters(TheDistributionParameters);
  return TheDistributionParameters;
}

int MM1SAN::ArrivalActivity::Rank() { return (1); }

BaseActionClass* MM1SAN::ArrivalActivity::Fire() {
#ifdef MARKING_WRAP_TEST
  (*(Queue_Kavrin_Mark)) += (1000);
#else
  (*(Queue_Kavrin_Mark)) += (1);
#endif
  return this;
}

void MM1SAN::ArrivalActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

// ----- Service

MM1SAN::ServiceActivity::ServiceActivity() {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Service", 1, Exponential, RaceEnabled, 1, 0, false);
}

MM1SAN::ServiceActivity::~ServiceActivity() { delete[] TheDistributionParameters; }

bool MM1SAN::ServiceActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = true && (*(Queue_Kavrin_Mark)) >= (1);
  return NewEnabled;
}

double MM1SAN::ServiceActivity::Weight() { return (1.0); }

void MM1SAN::ServiceActivity::CurrentParameters(double* p) { p[0] = (mu); }

double MM1SAN::ServiceActivity::Rate() {
  double p[1];
  CurrentParameters(p);
  return p[0];
}

bool MM1SAN::ServiceActivity::ReactivationPredicate() { return false; }

bool MM1SAN::ServiceActivity::ReactivationFunction() { return false; }

double MM1SAN::ServiceActivity::SampleDistribution() {
  double p[1];
  CurrentParameters(p);
  return TheDistribution->Exponential(p[0]);
}

double* MM1SAN::ServiceActivity::ReturnDistributionParameters() {
  CurrentParameters(TheDistributionParameters);
  return TheDistributionParameters;
}

int MM1SAN::ServiceActivity::Rank() { return (1); }

BaseActionClass* MM1SAN::ServiceActivity::Fire() {
  (*(Queue_Kavrin_Mark)) -= (1);
  return this;
}

void MM1SAN::ServiceActivity::LinkVariables() { Queue->Register(&Queue_Kavrin_Mark); }

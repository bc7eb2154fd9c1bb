#include "Atomic/Repairman/RepairmanSAN.h"

#include <cstdlib>
#include <iostream>

#include "BaseClasses/DistributionDefinition.h"

RepairmanSAN::RepairmanSAN() : SoftFailure("SoftFailure", 0.7), HardFailure("HardFailure", 0.3) {
  // A marking is a short.
  if (N < 1 || N > 32767) {
    std::cerr << "ERROR: model Repairman: the number of machines N must be between 1 and 32767, not "
              << static_cast<int>(N) << std::endl;
    std::exit(1);
  }

  FailureGroup.initialize(2, "FailureGroup");
  FailureGroup.appendGroup(&SoftFailure);
  FailureGroup.appendGroup(&HardFailure);

  Up = new Place("Up", static_cast<short>(static_cast<int>(N)));
  Down = new Place("Down", 0);

  BaseStateVariableClass* InitialPlaces[2] = {Up, Down};
  BaseStateVariableClass** InitialROPlaces = nullptr;
  Activity* InitialActionList[3] = {&SoftFailure, &HardFailure, &Repair};
  BaseGroupClass* InitialGroupList[2] = {&FailureGroup, &Repair};

  initializeSANModelNow("Repairman", 2, InitialPlaces, 0, InitialROPlaces, 3, InitialActionList, 2,
                        InitialGroupList);

  assignPlacesToActivitiesInst();
  assignPlacesToActivitiesTimed();

  static const int AffectArcs[6][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}, {1, 2}, {0, 2}};
  for (int n = 0; n < 6; n++) AddAffectArc(InitialPlaces[AffectArcs[n][0]], InitialActionList[AffectArcs[n][1]]);
  static const int EnableArcs[3][2] = {{0, 0}, {0, 1}, {1, 2}};
  for (int n = 0; n < 3; n++) AddEnableArc(InitialPlaces[EnableArcs[n][0]], InitialActionList[EnableArcs[n][1]]);

  for (int n = 0; n < 3; n++) InitialActionList[n]->LinkVariables();
  CustomInitialization();
}

RepairmanSAN::~RepairmanSAN() {
  delete Up;
  delete Down;
}

void RepairmanSAN::CustomInitialization() {}

void RepairmanSAN::assignPlacesToActivitiesInst() {}

void RepairmanSAN::assignPlacesToActivitiesTimed() {
  SoftFailure.Up = static_cast<Place*>(LocalStateVariables[0]);
  SoftFailure.Down = static_cast<Place*>(LocalStateVariables[1]);
  HardFailure.Up = static_cast<Place*>(LocalStateVariables[0]);
  HardFailure.Down = static_cast<Place*>(LocalStateVariables[1]);
  Repair.Down = static_cast<Place*>(LocalStateVariables[1]);
  Repair.Up = static_cast<Place*>(LocalStateVariables[0]);
}

// ----- SoftFailure, HardFailure

RepairmanSAN::FailureActivity::FailureActivity(const char* name, double weight)
    : Up(nullptr), Up_Kavrin_Mark(nullptr), Down(nullptr), Down_Kavrin_Mark(nullptr), CaseWeight(weight),
      UpWhenSampled(-1) {
  TheDistributionParameters = new double[1];
  ActivityInitialize(name, 0, Exponential, RaceEnabled, 2, 1, true);
}

RepairmanSAN::FailureActivity::~FailureActivity() { delete[] TheDistributionParameters; }

bool RepairmanSAN::FailureActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = ((*(Up_Kavrin_Mark)) > 0);
  return NewEnabled;
}

double RepairmanSAN::FailureActivity::Weight() { return CaseWeight; }

double RepairmanSAN::FailureActivity::Rate() { return lambda * (*(Up_Kavrin_Mark)); }

bool RepairmanSAN::FailureActivity::ReactivationPredicate() { return true; }

// The scheduled delay was drawn for a failure rate that no longer holds.
bool RepairmanSAN::FailureActivity::ReactivationFunction() { return (*(Up_Kavrin_Mark)) != UpWhenSampled; }

double RepairmanSAN::FailureActivity::SampleDistribution() {
  UpWhenSampled = *(Up_Kavrin_Mark);
  return TheDistribution->Exponential(lambda * UpWhenSampled);
}

double* RepairmanSAN::FailureActivity::ReturnDistributionParameters() {
  TheDistributionParameters[0] = Rate();
  return TheDistributionParameters;
}

int RepairmanSAN::FailureActivity::Rank() { return 1; }

BaseActionClass* RepairmanSAN::FailureActivity::Fire() {
  (*(Up_Kavrin_Mark))--;
  (*(Down_Kavrin_Mark))++;
  return this;
}

void RepairmanSAN::FailureActivity::LinkVariables() {
  Up->Register(&Up_Kavrin_Mark);
  Down->Register(&Down_Kavrin_Mark);
}

// ----- Repair

RepairmanSAN::RepairActivity::RepairActivity()
    : Up(nullptr), Up_Kavrin_Mark(nullptr), Down(nullptr), Down_Kavrin_Mark(nullptr) {
  TheDistributionParameters = new double[1];
  ActivityInitialize("Repair", 1, Exponential, RaceEnabled, 2, 1, false);
}

RepairmanSAN::RepairActivity::~RepairActivity() { delete[] TheDistributionParameters; }

bool RepairmanSAN::RepairActivity::Enabled() {
  OldEnabled = NewEnabled;
  NewEnabled = ((*(Down_Kavrin_Mark)) > 0);
  return NewEnabled;
}

double RepairmanSAN::RepairActivity::Weight() { return 1.0; }

double RepairmanSAN::RepairActivity::Rate() { return mu; }

bool RepairmanSAN::RepairActivity::ReactivationPredicate() { return false; }

bool RepairmanSAN::RepairActivity::ReactivationFunction() { return false; }

double RepairmanSAN::RepairActivity::SampleDistribution() { return TheDistribution->Exponential(mu); }

double* RepairmanSAN::RepairActivity::ReturnDistributionParameters() {
  TheDistributionParameters[0] = mu;
  return TheDistributionParameters;
}

int RepairmanSAN::RepairActivity::Rank() { return 1; }

BaseActionClass* RepairmanSAN::RepairActivity::Fire() {
  (*(Down_Kavrin_Mark))--;
  (*(Up_Kavrin_Mark))++;
  return this;
}

void RepairmanSAN::RepairActivity::LinkVariables() {
  Down->Register(&Down_Kavrin_Mark);
  Up->Register(&Up_Kavrin_Mark);
}

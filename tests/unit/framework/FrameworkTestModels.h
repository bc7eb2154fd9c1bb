// Small hand-written actions and models for the framework tests, written the way generated
// code is: activities with scripted answers, places, and a three-place SAN model.
#ifndef KAVRIN_TESTS_UNIT_FRAMEWORK_FRAMEWORKTESTMODELS_H
#define KAVRIN_TESTS_UNIT_FRAMEWORK_FRAMEWORKTESTMODELS_H

#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"

// An activity whose answers are set by the test; counts its Enabled() and Fire() calls.
class ScriptedActivity : public Activity {
 public:
  bool enabledAnswer = true;
  double weight = 1.0;
  int rank = 0;
  double delay = 0.0;
  int enabledCalls = 0;
  int fireCalls = 0;

  ScriptedActivity(const char* name, bool enabled, double w, int r)
      : enabledAnswer(enabled), weight(w), rank(r) {
    ActivityInitialize(name, 0, Instantaneous, RaceEnabled, 1, 1, false);
  }

  bool Enabled() override {
    enabledCalls++;
    OldEnabled = NewEnabled;
    NewEnabled = enabledAnswer;
    return NewEnabled;
  }
  double Weight() override { return weight; }
  double Rate() override { return 0.0; }
  bool ReactivationPredicate() override { return false; }
  bool ReactivationFunction() override { return false; }
  double SampleDistribution() override { return delay; }
  double* ReturnDistributionParameters() override { return nullptr; }
  BaseActionClass* Fire() override {
    fireCalls++;
    return this;
  }
  int Rank() override { return rank; }
  void LinkVariables() override {}
};

// Three places A, B, C (markings 1, 2, 3) and one activity moving a token from A to B.
class ThreePlacesSAN : public SANModel {
 public:
  class MoveActivity : public Activity {
   public:
    Place* A = nullptr;
    Place* B = nullptr;
    MoveActivity() { ActivityInitialize("Move", 0, Exponential, RaceEnabled, 2, 1, false); }
    bool Enabled() override {
      OldEnabled = NewEnabled;
      NewEnabled = A->Mark() > 0;
      return NewEnabled;
    }
    double Weight() override { return 1.0; }
    double Rate() override { return 1.0; }
    bool ReactivationPredicate() override { return false; }
    bool ReactivationFunction() override { return false; }
    double SampleDistribution() override { return 1.0; }
    double* ReturnDistributionParameters() override { return nullptr; }
    BaseActionClass* Fire() override {
      A->Mark()--;
      B->Mark()++;
      return this;
    }
    int Rank() override { return 1; }
    void LinkVariables() override {}
  };

  MoveActivity Move;
  Place* A;
  Place* B;
  Place* C;

  ThreePlacesSAN() : SANModel() {
    A = new Place("A", 1);
    B = new Place("B", 2);
    C = new Place("C", 3);
    BaseStateVariableClass* places[3] = {A, B, C};
    Activity* actions[1] = {&Move};
    BaseGroupClass* groups[1] = {&Move};
    initializeSANModelNow("ThreePlaces", 3, places, 0, nullptr, 1, actions, 1, groups);
    Move.A = A;
    Move.B = B;
    AddAffectArc(A, &Move);
    AddAffectArc(B, &Move);
    AddEnableArc(A, &Move);
  }
  ~ThreePlacesSAN() override {
    delete A;
    delete B;
    delete C;
  }
};

#endif

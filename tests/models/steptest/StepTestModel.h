// A small SAN model for engine tests, written against the generated-model contract: places and
// activities built by the constructor and handed over with initializeSANModelNow, arcs recorded
// with AddAffectArc/AddEnableArc, each activity its own scheduling unit (group number = its
// index). What an activity reads and does is given by the test as small functions, so each test
// states its own model. The model owns its places and activities; the reward wrapper owns the
// model. Activities count their Enabled() and SampleDistribution() calls.
#ifndef KAVRIN_TESTS_MODELS_STEPTEST_STEPTESTMODEL_H
#define KAVRIN_TESTS_MODELS_STEPTEST_STEPTESTMODEL_H

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "Performance_Variables/PVModel.h"

class StepTestActivity : public Activity {
 public:
  std::function<bool()> enabling = [] { return true; };
  std::function<double()> delay = [] { return 0.0; };
  std::function<void()> effect = [] {};
  std::function<bool()> watch = [] { return false; };       // ReactivationPredicate
  std::function<bool()> reactivate = [] { return false; };  // ReactivationFunction
  int rank = 0;
  double weight = 1.0;
  int enabledCalls = 0;
  int sampleCalls = 0;

  StepTestActivity(const char* name, int group, Distribution dist) {
    ActivityInitialize(name, group, dist, RaceEnabled, 1, 1, false);
  }

  bool Enabled() override {
    enabledCalls++;
    OldEnabled = NewEnabled;
    NewEnabled = enabling();
    return NewEnabled;
  }
  double Weight() override { return weight; }
  double Rate() override { return 0.0; }
  bool ReactivationPredicate() override { return watch(); }
  bool ReactivationFunction() override { return reactivate(); }
  double SampleDistribution() override {
    sampleCalls++;
    return delay();
  }
  double* ReturnDistributionParameters() override { return nullptr; }
  BaseActionClass* Fire() override {
    effect();
    return this;
  }
  int Rank() override { return rank; }
  void LinkVariables() override {}
};

class StepTestSAN : public SANModel {
 public:
  // places: names and initial markings; activities: names and distributions.
  StepTestSAN(const std::vector<std::pair<std::string, short> >& places,
              const std::vector<std::pair<std::string, Distribution> >& activities) {
    for (const auto& p : places) Places.push_back(new Place(p.first.c_str(), p.second));
    for (size_t i = 0; i < activities.size(); i++)
      Activities.push_back(
          new StepTestActivity(activities[i].first.c_str(), static_cast<int>(i), activities[i].second));
    std::vector<BaseStateVariableClass*> svs(Places.begin(), Places.end());
    std::vector<Activity*> acts(Activities.begin(), Activities.end());
    std::vector<BaseGroupClass*> groups(Activities.begin(), Activities.end());
    initializeSANModelNow("StepTestSAN", static_cast<int>(svs.size()), svs.data(), 0, nullptr,
                          static_cast<int>(acts.size()), acts.data(), static_cast<int>(groups.size()),
                          groups.data());
  }
  ~StepTestSAN() override {
    for (Place* p : Places) delete p;
    for (StepTestActivity* a : Activities) delete a;
  }

  Place* place(int i) { return Places[i]; }
  short& mark(int i) { return Places[i]->Mark(); }
  StepTestActivity* activity(int i) { return Activities[i]; }
  // The activity changes the place / the activity's enabling reads the place.
  void affects(int act, int pl) { AddAffectArc(Places[pl], Activities[act]); }
  void reads(int act, int pl) { AddEnableArc(Places[pl], Activities[act]); }

  std::vector<Place*> Places;
  std::vector<StepTestActivity*> Activities;
};

// A reward model without performance variables: the engine's only way into the model.
class StepTestPV : public PVModel {
 public:
  explicit StepTestPV(StepTestSAN* model) {
    TheModel = model;
    DefineName("StepTestPV");
    CreatePVList(0, false);
    Initialize();
  }
  PerformanceVariableNode* createPVNode(int, int) override { return nullptr; }
  StepTestSAN* san() { return static_cast<StepTestSAN*>(TheModel); }
};

#endif

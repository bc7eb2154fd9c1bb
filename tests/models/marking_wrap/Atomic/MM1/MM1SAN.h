// The M/M/1 queue written by hand against the model contract, with arrivals in batches of 1000
// (its marking passes the 16-bit range): the model check must catch the wrap.
#ifndef MM1SAN_H
#define MM1SAN_H

#include <cstdint>

#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/ArrayStateVariable.h"
#include "BaseClasses/state/PrimitiveType.h"

// Global variables of the model, given their values by the study.
extern Double lambda;
extern Double mu;

class MM1SAN : public SANModel {
 public:
  Place* Queue;

  class ArrivalActivity : public Activity {
   public:
    Place* Queue = nullptr;
    short* Queue_Kavrin_Mark = nullptr;
    double* TheDistributionParameters;

    ArrivalActivity();
    ~ArrivalActivity() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
    void CurrentParameters(double* p);
  };

  class ServiceActivity : public Activity {
   public:
    Place* Queue = nullptr;
    short* Queue_Kavrin_Mark = nullptr;
    double* TheDistributionParameters;

    ServiceActivity();
    ~ServiceActivity() override;
    bool Enabled() override;
    double Weight() override;
    double Rate() override;
    bool ReactivationPredicate() override;
    bool ReactivationFunction() override;
    double SampleDistribution() override;
    double* ReturnDistributionParameters() override;
    BaseActionClass* Fire() override;
    int Rank() override;
    void LinkVariables() override;
    void CurrentParameters(double* p);
  };

  ArrivalActivity Arrival;
  ServiceActivity Service;

  PreselectGroup ImmediateGroup;
  PostselectGroup ArrivalGroup;
  PostselectGroup ServiceGroup;

  MM1SAN();
  ~MM1SAN() override;
  MM1SAN(const MM1SAN&) = delete;
  MM1SAN& operator=(const MM1SAN&) = delete;

  void CustomInitialization();
  void assignPlacesToActivitiesInst();
  void assignPlacesToActivitiesTimed();
};

#endif

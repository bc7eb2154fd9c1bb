// The atomic SAN "MM1": a single-server queue with Poisson arrivals and exponential service.
// The place Queue holds the number of customers in the system. Arrival fires at rate lambda;
// Service fires at rate mu while Queue is non-empty. Generated against the model framework; the
// model owns its place, its activities and its groups (members, destroyed with it).
#ifndef MM1SAN_H
#define MM1SAN_H

#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/PrimitiveType.h"

// Global variables of the model, given their values by the study.
extern Double lambda;
extern Double mu;

class MM1SAN : public SANModel {
 public:
  Place* Queue;

  class ArrivalActivity : public Activity {
   public:
    Place* Queue;
    short* Queue_Kavrin_Mark;
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
  };

  class ServiceActivity : public Activity {
   public:
    Place* Queue;
    short* Queue_Kavrin_Mark;
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

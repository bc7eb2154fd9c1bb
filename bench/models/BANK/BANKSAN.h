// The atomic SAN "BANK": a bank of `queues` independent single-server queues, a model whose size
// is set by a global variable so that benchmarks can watch the per-event cost as the number of
// timed activities grows (2 per queue). Queue k has the place Q<k>; Arrival<k> fires at rate
// lambda, always; Service<k> fires at rate mu while Q<k> is non-empty. The model owns its places
// and its activities (the activities are their own groups).
#ifndef BANKSAN_H
#define BANKSAN_H

#include <string>
#include <vector>

#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/PrimitiveType.h"

// Global variables of the model, given their values by the study.
extern Int queues;
extern Double lambda;
extern Double mu;

class BANKSAN : public SANModel {
 public:
  class ArrivalActivity : public Activity {
   public:
    Place* Queue;
    short* Queue_Kavrin_Mark;
    double Parameters[1];

    ArrivalActivity();
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
    double Parameters[1];

    ServiceActivity();
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

  int NumQueues;
  Place** Q;                 // NumQueues places
  ArrivalActivity* Arrival;  // NumQueues activities
  ServiceActivity* Service;  // NumQueues activities

  BANKSAN();
  ~BANKSAN() override;
  BANKSAN(const BANKSAN&) = delete;
  BANKSAN& operator=(const BANKSAN&) = delete;
};

#endif

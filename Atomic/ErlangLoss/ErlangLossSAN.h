// The atomic SAN "ErlangLoss": c servers and no waiting room. Arrival fires at rate lambda; its
// case 1 (an idle server exists) starts service on the lowest-numbered idle server, its case 2
// (all busy) loses the customer. Each server has its own service activity, so service can follow
// any distribution: service_dist holds the Distribution enumerator (Exponential, Deterministic,
// Uniform, Gamma, Lognormal or Erlang), each parameterised for a mean of 1.
// The model owns its places, its activities and its groups.
#ifndef ERLANGLOSSSAN_H
#define ERLANGLOSSSAN_H

#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/PrimitiveType.h"

// Global variables of the model, given their values by the study.
extern Int c;
extern Double lambda;
extern Int service_dist;

class ErlangLossSAN : public SANModel {
 public:
  Place* Busy;     // number of busy servers
  Place** Server;  // c places, 1 while that server is busy
  int NumServers;

  class ArrivalActivity_case1 : public Activity {
   public:
    Place* Busy;
    short* Busy_Kavrin_Mark;
    Place** Server;
    short** Server_Kavrin_Mark;
    int NumServers;
    double* TheDistributionParameters;

    ArrivalActivity_case1();
    ~ArrivalActivity_case1() override;
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

  class ArrivalActivity_case2 : public Activity {
   public:
    Place* Busy;
    short* Busy_Kavrin_Mark;
    double* TheDistributionParameters;

    ArrivalActivity_case2();
    ~ArrivalActivity_case2() override;
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
    Place* Busy;
    short* Busy_Kavrin_Mark;
    Place* Server;
    short* Server_Kavrin_Mark;
    double* TheDistributionParameters;

    ServiceActivity(const char* name, int groupId);
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

  ArrivalActivity_case1 Arrival_case1;
  ArrivalActivity_case2 Arrival_case2;
  ServiceActivity** Service;  // c activities, one per server

  PreselectGroup ImmediateGroup;
  PostselectGroup ArrivalGroup;
  PostselectGroup ServiceGroup;

  ErlangLossSAN();
  ~ErlangLossSAN() override;
  ErlangLossSAN(const ErlangLossSAN&) = delete;
  ErlangLossSAN& operator=(const ErlangLossSAN&) = delete;

  void CustomInitialization();
  void assignPlacesToActivitiesInst();
  void assignPlacesToActivitiesTimed();
};

#endif

// The atomic SAN "Repairman": N machines, each failing at rate lambda while up, and one repair
// facility repairing one machine at a time at rate mu. The failure process is one activity whose
// rate is lambda times the number of machines up, so it must be resampled whenever that number
// changes while it is scheduled: it watches for reactivation and reactivates when Up differs from
// the value it was sampled with. A failure is either soft or hard (weights 0.7 and 0.3), chosen
// when the failure process is scheduled: the two failure activities form the pre-select group
// FailureGroup. Both kinds take a machine down and are repaired alike.
// The model owns its places, its activities and its groups.
#ifndef REPAIRMANSAN_H
#define REPAIRMANSAN_H

#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/PrimitiveType.h"

// Global variables of the model, given their values by the study.
extern Int N;
extern Double lambda;
extern Double mu;

class RepairmanSAN : public SANModel {
 public:
  Place* Up;
  Place* Down;

  // The failure of one of the machines up, of one kind. Both kinds share this class.
  class FailureActivity : public Activity {
   public:
    Place* Up;
    short* Up_Kavrin_Mark;
    Place* Down;
    short* Down_Kavrin_Mark;
    double* TheDistributionParameters;
    double CaseWeight;
    short UpWhenSampled;  // the number of machines up that the scheduled delay was drawn for

    FailureActivity(const char* name, double weight);
    ~FailureActivity() override;
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

  class RepairActivity : public Activity {
   public:
    Place* Up;
    short* Up_Kavrin_Mark;
    Place* Down;
    short* Down_Kavrin_Mark;
    double* TheDistributionParameters;

    RepairActivity();
    ~RepairActivity() override;
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

  FailureActivity SoftFailure;
  FailureActivity HardFailure;
  RepairActivity Repair;

  PreselectGroup ImmediateGroup;
  PreselectGroup FailureGroup;
  PostselectGroup SoftFailureGroup;
  PostselectGroup HardFailureGroup;
  PostselectGroup RepairGroup;

  RepairmanSAN();
  ~RepairmanSAN() override;
  RepairmanSAN(const RepairmanSAN&) = delete;
  RepairmanSAN& operator=(const RepairmanSAN&) = delete;

  void CustomInitialization();
  void assignPlacesToActivitiesInst();
  void assignPlacesToActivitiesTimed();
};

#endif

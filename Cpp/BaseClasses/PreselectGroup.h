// PreselectGroup: a group that chooses its member before it is scheduled, so the group is
// timed, ranked and fired as that member. It reselects whenever the last choice has fired or
// found nothing enabled.
#ifndef KAVRIN_BASECLASSES_PRESELECTGROUP_H
#define KAVRIN_BASECLASSES_PRESELECTGROUP_H

#include "BaseClasses/BaseGroupClass.h"

class PreselectGroup : public BaseGroupClass {
 public:
  bool NeedToReselect;

  PreselectGroup();

  bool Enabled() override;
  bool ReactivationPredicate() override;
  bool ReactivationFunction() override;
  double SampleDistribution() override;
  BaseActionClass* Fire() override;
  int Rank() override;
  bool SelectAction() override;
};

#endif

// Activity: the base of every generated SAN activity. It is a group without members that
// stands for itself, so groups can hold activities and groups alike. A generated activity
// implements the timing slots, Fire and LinkVariables; its Enabled() must shift NewEnabled into
// OldEnabled before storing the new answer, which EnablingChange() relies on.
#ifndef KAVRIN_BASECLASSES_SAN_ACTIVITY_H
#define KAVRIN_BASECLASSES_SAN_ACTIVITY_H

#include "BaseClasses/BaseGroupClass.h"

class Activity : public BaseGroupClass {
 public:
  bool NewEnabled;
  bool OldEnabled;

  Activity();
  Activity(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy, int numAffected,
           int numEnabling, bool reactivation);

  void ActivityInitialize(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                          int numAffected, int numEnabling, bool reactivation);

  BaseActionClass* Fire() override = 0;
  bool SelectAction() override;
  BaseActionClass* getSelectedAction() const override;
  bool EnablingChange() override;
  double Probability(BaseActionClass* a) override;
  void setGroupId(int id) override;
  virtual void LinkVariables() = 0;

  bool IsAnAffectingStateVariable(BaseStateVariableClass* sv);
};

#endif

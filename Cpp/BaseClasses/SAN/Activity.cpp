#include "BaseClasses/SAN/Activity.h"

Activity::Activity() : BaseGroupClass(), NewEnabled(false), OldEnabled(false) {
  Disabled = true;
  Reactivation = false;
}

Activity::Activity(const char* name, int groupId, Distribution dist, ExecutionPolicyType policy,
                   int numAffected, int numEnabling, bool reactivation)
    : Activity() {
  ActivityInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

void Activity::ActivityInitialize(const char* name, int groupId, Distribution dist,
                                  ExecutionPolicyType policy, int numAffected, int numEnabling,
                                  bool reactivation) {
  BaseActionClassInitialize(name, groupId, dist, policy, numAffected, numEnabling, reactivation);
}

bool Activity::SelectAction() { return Enabled(); }

BaseActionClass* Activity::getSelectedAction() const { return const_cast<Activity*>(this); }

bool Activity::EnablingChange() {
  Enabled();
  return NewEnabled != OldEnabled;
}

double Activity::Probability(BaseActionClass* a) { return a == this ? 1.0 : 0.0; }

void Activity::setGroupId(int id) { GroupID = id; }

bool Activity::IsAnAffectingStateVariable(BaseStateVariableClass* sv) {
  return AffectedStateVariables.contains(sv);
}

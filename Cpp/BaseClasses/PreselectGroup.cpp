#include "BaseClasses/PreselectGroup.h"

#include "BaseClasses/debug.h"

PreselectGroup::PreselectGroup() : BaseGroupClass(), NeedToReselect(true) {}

bool PreselectGroup::SelectAction() {
  bool found = BaseGroupClass::SelectAction();
  NeedToReselect = !found;
  return found;
}

bool PreselectGroup::Enabled() {
  if (NeedToReselect) SelectAction();
  return BaseGroupClass::Enabled();
}

bool PreselectGroup::ReactivationPredicate() {
  if (NeedToReselect) SelectAction();
  BaseActionClass* selected = getSelectedAction();
  return selected != nullptr && selected->ReactivationPredicate();
}

bool PreselectGroup::ReactivationFunction() {
  if (NeedToReselect) SelectAction();
  BaseActionClass* selected = getSelectedAction();
  return selected != nullptr && selected->ReactivationFunction();
}

double PreselectGroup::SampleDistribution() {
  if (NeedToReselect) {
    bool found = SelectAction();
    KAVRIN_CHECK(found, "PreselectGroup", 31);
  }
  BaseActionClass* selected = getSelectedAction();
  KAVRIN_CHECK(selected != nullptr, "PreselectGroup", 33);
  return selected->SampleDistribution();
}

int PreselectGroup::Rank() {
  if (NeedToReselect) SelectAction();
  BaseActionClass* selected = getSelectedAction();
  KAVRIN_CHECK(selected != nullptr, "PreselectGroup", 39);
  return selected->Rank();
}

BaseActionClass* PreselectGroup::Fire() {
  BaseActionClass* selected = getSelectedAction();
  KAVRIN_CHECK(selected != nullptr, "PreselectGroup", 44);
  NeedToReselect = true;
  return selected->Fire();
}

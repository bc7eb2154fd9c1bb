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
  return SelectedAction != nullptr && SelectedAction->ReactivationPredicate();
}

bool PreselectGroup::ReactivationFunction() {
  if (NeedToReselect) SelectAction();
  return SelectedAction != nullptr && SelectedAction->ReactivationFunction();
}

double PreselectGroup::SampleDistribution() {
  if (NeedToReselect) {
    bool found = SelectAction();
    KAVRIN_CHECK(found, "PreselectGroup", 31);
  }
  KAVRIN_CHECK(SelectedAction != nullptr, "PreselectGroup", 33);
  return SelectedAction->SampleDistribution();
}

int PreselectGroup::Rank() {
  if (NeedToReselect) SelectAction();
  KAVRIN_CHECK(SelectedAction != nullptr, "PreselectGroup", 39);
  return SelectedAction->Rank();
}

BaseActionClass* PreselectGroup::Fire() {
  KAVRIN_CHECK(SelectedAction != nullptr, "PreselectGroup", 44);
  NeedToReselect = true;
  return SelectedAction->Fire();
}

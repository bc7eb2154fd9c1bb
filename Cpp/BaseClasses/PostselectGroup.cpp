#include "BaseClasses/PostselectGroup.h"

#include "BaseClasses/debug.h"

PostselectGroup::PostselectGroup() : BaseGroupClass() {}

double PostselectGroup::Weight() { return 1.0; }

int PostselectGroup::Rank() { return 1; }

bool PostselectGroup::ReactivationPredicate() { return getMember(0)->ReactivationPredicate(); }

bool PostselectGroup::ReactivationFunction() { return getMember(0)->ReactivationFunction(); }

double PostselectGroup::SampleDistribution() { return getMember(0)->SampleDistribution(); }

BaseActionClass* PostselectGroup::Fire() {
  // Firing a group with nothing enabled would fire a stale or missing member.
  bool found = BaseGroupClass::SelectAction();
  BaseActionClass* member = getSelectedAction();
  KAVRIN_CHECK(found && member != nullptr, "PostselectGroup", 20);
  KAVRIN_DEBUG(1, "Postselect group has selected"
                      << " = " << member->getName());
  KavrinGroupMembers::ClearSelection(this);
  return member->Fire();
}

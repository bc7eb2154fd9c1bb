// KavrinGroupMembers: the members of a group with members, and what choosing among them needs (the
// cumulative weight table, the highest rank seen, the choice made). Kept beside the group: an
// activity is a group without members and carries no such record.
// Owns its member array and its weight table; the members belong to the model.
#ifndef KAVRIN_BASECLASSES_KAVRINGROUPMEMBERS_H
#define KAVRIN_BASECLASSES_KAVRINGROUPMEMBERS_H

class BaseActionClass;
class BaseGroupClass;

// One entry of the cumulative weight table.
struct GroupWeight {
  double Weight;  // cumulative weight up to and including this entry
  BaseGroupClass* AssociatedAction;
};

class KavrinGroupMembers {
 public:
  BaseGroupClass** GroupArray;
  GroupWeight* ActionWeights;
  BaseActionClass* SelectedAction;
  int HighestRank;
  int NumActions;
  int NumSelectableActions;
  int ArraySize;

  KavrinGroupMembers();
  ~KavrinGroupMembers();

  KavrinGroupMembers(const KavrinGroupMembers&) = delete;
  KavrinGroupMembers& operator=(const KavrinGroupMembers&) = delete;

  // Gives both arrays room for exactly n entries (n at least NumActions), keeping the members;
  // the weights are recomputed at every selection and start at zero.
  void resizeArrays(int n);
  // As resizeArrays, for an n above ArraySize.
  void enlargeArrays(int n);

  // The group's record, null for a group that never had a member.
  static KavrinGroupMembers* Of(const BaseGroupClass* group);
  // The group's record, made empty when it has none.
  static KavrinGroupMembers& Make(BaseGroupClass* group);
  // Forgets the group's last selection.
  static void ClearSelection(BaseGroupClass* group);
};

#endif

// One cell of an action's connectivity list: a group whose enabling may change when the action
// fires. A list is a run of cells side by side that ends in a cell without a group, so a cell is
// one pointer and the next cell is the one after it; an empty list is no run at all (a null
// head). The list owns its run, or the simulator's block holds it; the groups are borrowed.
#ifndef KAVRIN_SIMULATOR_ACTIONAFFECTSELEMENT_H
#define KAVRIN_SIMULATOR_ACTIONAFFECTSELEMENT_H

class BaseActionClass;

class ActionAffectsElement {
 public:
  BaseActionClass* Action;

  ActionAffectsElement() : Action(nullptr) {}
  explicit ActionAffectsElement(BaseActionClass* action) : Action(action) {}

  // The next cell of the list, or null after the last.
  ActionAffectsElement* next() { return this[1].Action == nullptr ? nullptr : this + 1; }
  const ActionAffectsElement* next() const { return this[1].Action == nullptr ? nullptr : this + 1; }
  // The number of cells of the list that starts here (0 for a null head).
  static int Length(const ActionAffectsElement* head) {
    int n = 0;
    if (head != nullptr)
      while (head[n].Action != nullptr) n++;
    return n;
  }
};

#endif

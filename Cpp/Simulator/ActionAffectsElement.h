// One cell of an action's connectivity list: a group whose enabling may change when the action
// fires. The list owns its cells; the group is borrowed.
#ifndef KAVRIN_SIMULATOR_ACTIONAFFECTSELEMENT_H
#define KAVRIN_SIMULATOR_ACTIONAFFECTSELEMENT_H

class BaseActionClass;

class ActionAffectsElement {
 public:
  BaseActionClass* Action;
  ActionAffectsElement* next;

  ActionAffectsElement() : Action(nullptr), next(nullptr) {}
  ActionAffectsElement(BaseActionClass* action, ActionAffectsElement* nextCell)
      : Action(action), next(nextCell) {}
};

#endif

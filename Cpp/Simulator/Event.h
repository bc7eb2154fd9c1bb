// One scheduled firing: when the group completes, when it was scheduled, and which group, with the
// group's connectivity list beside it so that the step can start loading that list as soon as it
// knows the next event, before it reads the group. A plain copyable record; both are borrowed.
#ifndef KAVRIN_SIMULATOR_EVENT_H
#define KAVRIN_SIMULATOR_EVENT_H

class ActionAffectsElement;
class BaseActionClass;

class Event {
 public:
  double exec_time;
  double start_time;
  BaseActionClass* action_ptr;
  const ActionAffectsElement* affects;

  Event();
  Event(double exec, double start, BaseActionClass* action);
  Event(const Event&) = default;
  Event& operator=(const Event&) = default;
};

#endif

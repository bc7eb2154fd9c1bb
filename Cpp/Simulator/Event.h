// One scheduled firing: when the group completes, when it was scheduled, and which group.
// A plain copyable record; the group is borrowed.
#ifndef KAVRIN_EVENT_H
#define KAVRIN_EVENT_H

class BaseActionClass;

class Event {
 public:
  double exec_time;
  double start_time;
  BaseActionClass* action_ptr;

  Event();
  Event(double exec, double start, BaseActionClass* action);
  Event(const Event&) = default;
  Event& operator=(const Event&) = default;
};

#endif

// Where a group currently sits in the simulator's bookkeeping: its slot in the future event
// list's heap and its entry on the reactivation list. One per group; the simulator owns the
// array of them and each group's EventPointer borrows its element. Neither the slot nor the
// list entry is owned here.
#ifndef KAVRIN_PADDRESS_H
#define KAVRIN_PADDRESS_H

#include <list>

class BaseActionClass;
class Event;

class PAddress {
 public:
  typedef std::list<BaseActionClass*>::iterator ReactIterator;

  // `event` must stay the first field: EventList::Remove(void*) reads a slot address from the
  // start of a PAddress.
  Event** event;
  bool reactIsNull;
  ReactIterator react;

  PAddress() { clear(); }

  void clear() {
    event = nullptr;
    reactIsNull = true;
  }
  bool isReactNull() const { return reactIsNull; }
  void setReactNull() { reactIsNull = true; }
  ReactIterator getReact() const { return react; }
  void setReact(ReactIterator it) {
    react = it;
    reactIsNull = false;
  }
};

#endif

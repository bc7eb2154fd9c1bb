// A group's entry on the simulator's reactivation list. One per group; the simulator owns the
// array of them and each group's EventPointer borrows its element. A group's position in that
// array is also its index in the future event list, which keeps the group's event itself. The
// list entry is not owned here.
#ifndef KAVRIN_SIMULATOR_PADDRESS_H
#define KAVRIN_SIMULATOR_PADDRESS_H

#include <list>

class BaseActionClass;

class PAddress {
 public:
  typedef std::list<BaseActionClass*>::iterator ReactIterator;

  bool reactIsNull;
  ReactIterator react;

  PAddress() : reactIsNull(true) {}

  bool isReactNull() const { return reactIsNull; }
  void setReactNull() { reactIsNull = true; }
  ReactIterator getReact() const { return react; }
  void setReact(ReactIterator it) {
    react = it;
    reactIsNull = false;
  }
};

#endif

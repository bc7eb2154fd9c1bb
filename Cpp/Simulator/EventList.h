// The future event list: a binary min-heap of events, at most one per group, keyed on completion
// time, then on the group's rank (higher first); exact ties are broken by a weighted draw from the
// process-wide generator.
// The groups' PAddresses form one array, and a group's position in it is its index here: the
// list keeps each group's one event in an array by that index and the heap position of its event
// in another (-1 while unscheduled), so any group's event is found, removed or re-keyed in log
// time without touching the group's PAddress. A heap position is a 16-byte record (time and
// group index), laid out so that the two children of a position share one cache line: a sift
// step on a large list touches one line of the heap and one entry of the position array. Nothing
// is allocated after construction.
#ifndef KAVRIN_SIMULATOR_EVENTLIST_H
#define KAVRIN_SIMULATOR_EVENTLIST_H

#include <cstdint>
#include <ostream>

#include "BaseClasses/BaseActionClass.h"
#include "Simulator/Event.h"
#include "Simulator/PAddress.h"

class EventEqual {
 public:
  bool operator()(const Event* e1, const Event* e2) const;
};

class EventList {
 public:
  // `addresses` is the array of `capacity` PAddresses that the groups' EventPointers point into.
  EventList(int capacity, const PAddress* addresses);
  ~EventList();
  EventList(const EventList&) = delete;
  EventList& operator=(const EventList&) = delete;

  // Schedules ev->action_ptr (a group that has no event) with a copy of *ev; the caller keeps its
  // own record.
  void Insert(const Event* ev);
  // `ev` is a scheduled event, as Earliest() and Scheduled() return. It stays readable (and is
  // reused by the group's next Insert) but is no longer scheduled.
  void Remove(Event* ev);
  // To be called after the caller has changed the exec_time of the scheduled event `ev`.
  void ModifyKey(Event* ev);
  // The next event to fire, or null when the list is empty.
  Event* Earliest();
  // The group's scheduled event, or null.
  Event* Scheduled(const BaseActionClass* group) const {
    const int32_t g = IndexOf(group);
    return Position[g] < 0 ? nullptr : &Events[g];
  }
  void ClearEventList();
  void PrintList(std::ostream& out) const;
  int IsValid() const;

  int getSize() const { return size; }
  int getCapacity() const { return capacity; }

 private:
  // A group's index: where its PAddress sits in the array of them.
  int32_t IndexOf(const BaseActionClass* group) const;
  int32_t IndexOf(const Event* ev) const { return static_cast<int32_t>(ev - Events); }
  void BubbleUp(int i);
  void BubbleDown(int i);
  void FindEquals(int i);
  // Restores the heap at i after its event changed or was replaced.
  void Restore(int i);
  bool Earlier(double t, int32_t g, int j) const;
  int Rank(int32_t g) const;
  void Place(int i, double t, int32_t g) {
    S[i].key = t;
    S[i].group = g;
    Position[g] = i;
  }
  // The step reads the earliest event's time and group only after the firing; on a large list
  // that event was scheduled long ago and has left the cache. Loading it as soon as it may have
  // changed overlaps the miss with the firing.
  void PrefetchEarliest() const {
    if (size > 0) __builtin_prefetch(&Events[S[0].group]);
  }

  // A heap position: the event's completion time (== Events[group].exec_time) and its group.
  struct alignas(16) Slot {
    double key;
    int32_t group;
  };

  EventEqual EvEqual;
  int capacity;
  const PAddress* Addresses;
  Event* Events;      // by group index
  int32_t* Position;  // by group index: heap position of its event, or -1
  Slot* Block;        // 64-byte aligned; position i is Block[i + 1], so 2i+1 and 2i+2 share a line
  Slot* S;            // == Block + 1
  int size;
  int* Equalities;
  int EqSize;
};

inline int32_t EventList::IndexOf(const BaseActionClass* group) const {
  return static_cast<int32_t>(static_cast<const PAddress*>(group->EventPointer) - Addresses);
}

#endif

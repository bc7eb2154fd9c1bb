// The future event list: a binary min-heap of events, at most one per group, keyed on completion
// time, then on the group's rank (higher first); exact ties are broken by a weighted draw from the
// process-wide generator. Each group's PAddress (borrowed through its EventPointer) points back at
// the heap slot holding its event, so any group's event can be removed or re-keyed in log time.
// The list owns every Event object. All of them are made in the constructor, in one block, and
// recycled through the free list, so scheduling and cancelling never allocate. Each heap position
// keeps its event's time and its group's PAddress beside the slot in one 32-byte record, and the
// records are laid out so that the two children of a position share one cache line: a sift step
// on a large list touches one line of the heap instead of three.
#ifndef KAVRIN_EVENTLIST_H
#define KAVRIN_EVENTLIST_H

#include <ostream>
#include <vector>

#include "Simulator/Event.h"

class PAddress;

class EventEarlier {
 public:
  bool operator()(const Event* e1, const Event* e2) const;
};

class EventEqual {
 public:
  bool operator()(const Event* e1, const Event* e2) const;
};

class EventList {
 public:
  explicit EventList(int capacity);
  ~EventList();
  EventList(const EventList&) = delete;
  EventList& operator=(const EventList&) = delete;

  // Copies *ev into a recycled event; the caller keeps its own record.
  void Insert(Event* ev);
  void Remove(Event** slot);
  // `where` holds a slot address, as the front of a group's PAddress does.
  void Remove(void* where);
  // To be called after the caller has changed the exec_time of the event in `slot`.
  void ModifyKey(Event** slot);
  // The slot of the next event to fire, or null when the list is empty.
  Event** Earliest();
  void ClearEventList();
  void PrintList(std::ostream& out) const;
  int IsValid() const;

  int getSize() const { return size; }
  int getCapacity() const { return capacity; }
  int getNumFree() const { return static_cast<int>(FreeList.size()); }

 private:
  void BubbleUp(int i);
  void BubbleDown(int i);
  void FindEquals(int i);
  // Restores the heap at i after its event changed or was replaced.
  void Restore(int i);
  bool IsOnFreeList(const Event* ev) const;
  bool Earlier(double t, const Event* e, int j) const;
  void Place(int i, Event* ev, double t, PAddress* addr);
  int IndexOf(Event** slot) const;
  // The step reads the earliest event's time and group only after the firing; on a large list
  // that event was inserted long ago and its record has left the cache. Loading it as soon as
  // it may have changed overlaps the miss with the firing.
  void PrefetchEarliest() const {
    if (size > 0) __builtin_prefetch(S[0].ev);
  }

  // A heap position. `ev` stays the first field: a PAddress holds &Slot::ev as an Event**.
  struct alignas(32) Slot {
    Event* ev;
    double key;      // == ev->exec_time
    PAddress* addr;  // the PAddress of ev's group
  };

  EventEarlier EvEarlier;
  EventEqual EvEqual;
  // Pre-allocated events not in the heap; the back of the vector is the front of the list.
  // Reserved to `capacity`, so pushing never allocates.
  std::vector<Event*> FreeList;
  int capacity;
  Event* Pool;
  Slot* Block;  // 64-byte aligned; position i is Block[i + 1], so positions 2i+1 and 2i+2 share a line
  Slot* S;      // == Block + 1
  int size;
  int* Equalities;
  int EqSize;
};

#endif

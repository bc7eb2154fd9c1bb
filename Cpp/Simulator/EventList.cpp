#include "Simulator/EventList.h"

#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/debug.h"
#include "Simulator/PAddress.h"

namespace {

PAddress* AddressOf(const Event* ev) { return static_cast<PAddress*>(ev->action_ptr->EventPointer); }

}  // namespace

bool EventEarlier::operator()(const Event* e1, const Event* e2) const {
  if (e1->exec_time < e2->exec_time) return true;
  return e1->exec_time == e2->exec_time && e1->action_ptr->Rank() > e2->action_ptr->Rank();
}

bool EventEqual::operator()(const Event* e1, const Event* e2) const {
  return e1->exec_time == e2->exec_time && e1->action_ptr->Rank() == e2->action_ptr->Rank();
}

EventList::EventList(int cap)
    : capacity(cap < 0 ? 0 : cap),
      Pool(nullptr),
      Block(nullptr),
      S(nullptr),
      size(0),
      Equalities(nullptr),
      EqSize(0) {
  Pool = new Event[capacity];
  FreeList.reserve(capacity);
  for (int i = capacity - 1; i >= 0; i--) FreeList.push_back(&Pool[i]);
  Block = static_cast<Slot*>(
      ::operator new(sizeof(Slot) * (static_cast<size_t>(capacity) + 1), std::align_val_t(64)));
  for (int i = 0; i <= capacity; i++) Block[i] = Slot{nullptr, 0.0, nullptr};
  S = Block + 1;
  Equalities = new int[capacity]();
}

EventList::~EventList() {
  ClearEventList();
  delete[] Pool;
  ::operator delete(Block, std::align_val_t(64));
  delete[] Equalities;
}

void EventList::Insert(Event* ev) {
  // One event per group and one slot per group: a full list means a group was scheduled twice.
  KAVRIN_CHECK(size < capacity && !FreeList.empty(), "EventList", __LINE__);
  Event* mine = FreeList.back();
  FreeList.pop_back();
  *mine = *ev;
  Place(size, mine, mine->exec_time, AddressOf(mine));
  size++;
  BubbleUp(size - 1);
  PrefetchEarliest();
}

int EventList::IndexOf(Event** slot) const {
  // ev is the first field of a standard-layout Slot, so the slot address is the record's address.
  const Slot* record = reinterpret_cast<const Slot*>(slot);
  KAVRIN_CHECK(slot != nullptr && record >= S && record < S + size, "EventList", __LINE__);
  return static_cast<int>(record - S);
}

void EventList::Remove(Event** slot) {
  int i = IndexOf(slot);
  Event* ev = S[i].ev;
  FreeList.push_back(ev);
  S[i].addr->event = nullptr;
  size--;
  if (i != size) {
    Place(i, S[size].ev, S[size].key, S[size].addr);
    S[size].ev = nullptr;
    Restore(i);
  } else {
    S[i].ev = nullptr;
  }
  PrefetchEarliest();
}

void EventList::Remove(void* where) { Remove(*static_cast<Event***>(where)); }

void EventList::ModifyKey(Event** slot) {
  int i = IndexOf(slot);
  S[i].key = S[i].ev->exec_time;
  Restore(i);
}

Event** EventList::Earliest() {
  if (size == 0) return nullptr;
  FindEquals(0);
  if (EqSize == 1) {
    EqSize = 0;
    return &S[0].ev;
  }
  double weightsum = 0.0;
  for (int k = 0; k < EqSize; k++) weightsum += S[Equalities[k]].ev->action_ptr->Weight();
  double threshold = TheDistribution->RNG->rnd() * weightsum;
  int chosen = Equalities[EqSize - 1];
  double running = 0.0;
  for (int k = 0; k < EqSize; k++) {
    running += S[Equalities[k]].ev->action_ptr->Weight();
    if (running > threshold) {
      chosen = Equalities[k];
      break;
    }
  }
  EqSize = 0;
  return &S[chosen].ev;
}

void EventList::ClearEventList() {
  for (int i = 0; i < size; i++) {
    FreeList.push_back(S[i].ev);
    AddressOf(S[i].ev)->clear();
    S[i].ev = nullptr;
  }
  size = 0;
}

void EventList::PrintList(std::ostream& out) const {
  out << "------------------Event List-----------------" << std::endl;
  for (int i = 0; i < size; i++) {
    out << "(" << S[i].ev->action_ptr->ActionName << ") " << S[i].ev->start_time << " --> "
        << S[i].ev->exec_time << std::endl;
  }
  out << "---------------------------------------------" << std::endl << std::endl;
}

int EventList::IsValid() const {
  for (int i = 0; i < size; i++) {
    int left = 2 * i + 1;
    int right = left + 1;
    if (left < size && S[left].ev->exec_time < S[i].ev->exec_time) return left;
    if (right < size && S[right].ev->exec_time < S[i].ev->exec_time) return right;
  }
  for (int j = 0; j < size; j++) {
    if (S[j].ev == nullptr || S[j].ev->action_ptr == nullptr || AddressOf(S[j].ev)->event != &S[j].ev)
      return j + 100000;
  }
  for (int j = size; j < capacity; j++) {
    if (S[j].ev != nullptr) return j;
  }
  for (int j = 0; j < size; j++) {
    if (IsOnFreeList(S[j].ev)) return -j;
  }
  return 0;
}

bool EventList::IsOnFreeList(const Event* ev) const {
  for (const Event* f : FreeList) {
    if (f == ev) return true;
  }
  return false;
}

// The same order as EventEarlier, with the times read from the slots: (t, e) against position j.
bool EventList::Earlier(double t, const Event* e, int j) const {
  if (t < S[j].key) return true;
  return t == S[j].key && e->action_ptr->Rank() > S[j].ev->action_ptr->Rank();
}

void EventList::Place(int i, Event* ev, double t, PAddress* addr) {
  S[i].ev = ev;
  S[i].key = t;
  S[i].addr = addr;
  addr->event = &S[i].ev;
}

// Both sifts carry the moving event in a hole and compare it with the same entries a chain of
// swaps would, so the resulting order is the same.
void EventList::BubbleUp(int i) {
  Event* ev = S[i].ev;
  double t = S[i].key;
  PAddress* addr = S[i].addr;
  int start = i;
  while (i > 0) {
    int parent = (i - 1) / 2;
    if (!Earlier(t, ev, parent)) break;
    Place(i, S[parent].ev, S[parent].key, S[parent].addr);
    i = parent;
  }
  if (i != start) Place(i, ev, t, addr);
}

void EventList::BubbleDown(int i) {
  Event* ev = S[i].ev;
  double t = S[i].key;
  PAddress* addr = S[i].addr;
  int start = i;
  for (;;) {
    int child = 2 * i + 1;
    if (child >= size) break;
    if (child + 1 < size && Earlier(S[child + 1].key, S[child + 1].ev, child)) child++;
    if (!(S[child].key < t ||
          (S[child].key == t && S[child].ev->action_ptr->Rank() > ev->action_ptr->Rank())))
      break;
    Place(i, S[child].ev, S[child].key, S[child].addr);
    i = child;
  }
  if (i != start) Place(i, ev, t, addr);
}

void EventList::Restore(int i) {
  Event* moved = S[i].ev;
  BubbleUp(i);
  if (S[i].ev == moved) BubbleDown(i);
}

// Ties satisfy the heap order, so every event tied with position i lies in a tied path below it:
// only the tied part of the heap is visited.
void EventList::FindEquals(int i) {
  Equalities[EqSize++] = i;
  int left = 2 * i + 1;
  int right = left + 1;
  if (left < size && S[left].key == S[i].key && EvEqual(S[i].ev, S[left].ev)) FindEquals(left);
  if (right < size && S[right].key == S[i].key && EvEqual(S[i].ev, S[right].ev)) FindEquals(right);
}

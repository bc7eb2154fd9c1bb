#include "Simulator/EventList.h"

#include <new>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/DistributionDefinition.h"
#include "BaseClasses/debug.h"
#include "Simulator/PAddress.h"

bool EventEqual::operator()(const Event* e1, const Event* e2) const {
  return e1->exec_time == e2->exec_time && e1->action_ptr->Rank() == e2->action_ptr->Rank();
}

EventList::EventList(int cap, const PAddress* addresses)
    : capacity(cap < 0 ? 0 : cap),
      Addresses(addresses),
      Events(nullptr),
      Position(nullptr),
      Block(nullptr),
      S(nullptr),
      size(0),
      Equalities(nullptr),
      EqSize(0) {
  Events = new Event[capacity];
  Position = new int32_t[capacity];
  for (int g = 0; g < capacity; g++) Position[g] = -1;
  Block = static_cast<Slot*>(
      ::operator new(sizeof(Slot) * (static_cast<size_t>(capacity) + 1), std::align_val_t(64)));
  for (int i = 0; i <= capacity; i++) Block[i] = Slot{0.0, -1};
  S = Block + 1;
  Equalities = new int[capacity]();
}

EventList::~EventList() {
  delete[] Events;
  delete[] Position;
  ::operator delete(Block, std::align_val_t(64));
  delete[] Equalities;
}

void EventList::Insert(const Event* ev) {
  const int32_t g = IndexOf(ev->action_ptr);
  // One event per group: a group scheduled twice, or one that is not among the addresses, is a
  // fault of the caller.
  KAVRIN_CHECK(g >= 0 && g < capacity && Position[g] < 0, "EventList", 45);
  Events[g] = *ev;
  const double t = ev->exec_time;
  const int i = size++;
  Place(i, t, g);
  // Most new events are due after their parent's: one comparison, no sift.
  if (i > 0 && Earlier(t, g, (i - 1) / 2)) BubbleUp(i);
  PrefetchEarliest();
}

void EventList::Remove(Event* ev) {
  const int32_t g = IndexOf(ev);
  const int i = Position[g];
  Position[g] = -1;
  size--;
  if (i != size) {
    Place(i, S[size].key, S[size].group);
    Restore(i);
  }
  S[size].group = -1;
  PrefetchEarliest();
}

void EventList::ModifyKey(Event* ev) {
  const int32_t g = IndexOf(ev);
  const int i = Position[g];
  S[i].key = ev->exec_time;
  Restore(i);
}

Event* EventList::Earliest() {
  if (size == 0) return nullptr;
  // Usually neither child is due at the same instant, so there is no tie to collect.
  const double first = S[0].key;
  if ((size < 2 || S[1].key != first) && (size < 3 || S[2].key != first)) return &Events[S[0].group];
  FindEquals(0);
  if (EqSize == 1) {
    EqSize = 0;
    return &Events[S[0].group];
  }
  double weightsum = 0.0;
  for (int k = 0; k < EqSize; k++) weightsum += Events[S[Equalities[k]].group].action_ptr->Weight();
  double threshold = TheDistribution->RNG->rnd() * weightsum;
  int chosen = Equalities[EqSize - 1];
  double running = 0.0;
  for (int k = 0; k < EqSize; k++) {
    running += Events[S[Equalities[k]].group].action_ptr->Weight();
    if (running > threshold) {
      chosen = Equalities[k];
      break;
    }
  }
  EqSize = 0;
  return &Events[S[chosen].group];
}

void EventList::ClearEventList() {
  for (int i = 0; i < size; i++) {
    Position[S[i].group] = -1;
    S[i].group = -1;
  }
  size = 0;
}

void EventList::PrintList(std::ostream& out) const {
  out << "------------------Event List-----------------" << std::endl;
  for (int i = 0; i < size; i++) {
    const Event& ev = Events[S[i].group];
    out << "(" << ev.action_ptr->ActionName << ") " << ev.start_time << " --> " << ev.exec_time << std::endl;
  }
  out << "---------------------------------------------" << std::endl << std::endl;
}

// 0 when the heap is ordered and the two index tables agree; otherwise a code naming the place.
int EventList::IsValid() const {
  for (int i = 0; i < size; i++) {
    int left = 2 * i + 1;
    int right = left + 1;
    if (left < size && S[left].key < S[i].key) return left;
    if (right < size && S[right].key < S[i].key) return right;
  }
  for (int j = 0; j < size; j++) {
    const int32_t g = S[j].group;
    if (g < 0 || g >= capacity || Position[g] != j || Events[g].exec_time != S[j].key ||
        Events[g].action_ptr == nullptr || IndexOf(Events[g].action_ptr) != g)
      return j + 100000;
  }
  for (int j = size; j < capacity; j++) {
    if (S[j].group != -1) return j;
  }
  int scheduled = 0;
  for (int g = 0; g < capacity; g++) scheduled += Position[g] >= 0;
  if (scheduled != size) return -1;
  return 0;
}

int EventList::Rank(int32_t g) const { return Events[g].action_ptr->Rank(); }

// The heap order, with the times read from the heap: (t, g) goes before position j when it is due
// earlier, or at the same instant with a higher group rank.
bool EventList::Earlier(double t, int32_t g, int j) const {
  if (t < S[j].key) return true;
  return t == S[j].key && Rank(g) > Rank(S[j].group);
}

// Both sifts carry the moving event in a hole and compare it with the same entries a chain of
// swaps would, so the resulting order is the same.
void EventList::BubbleUp(int i) {
  const double t = S[i].key;
  const int32_t g = S[i].group;
  int start = i;
  while (i > 0) {
    int parent = (i - 1) / 2;
    if (!Earlier(t, g, parent)) break;
    Place(i, S[parent].key, S[parent].group);
    i = parent;
  }
  if (i != start) Place(i, t, g);
}

void EventList::BubbleDown(int i) {
  const double t = S[i].key;
  const int32_t g = S[i].group;
  int start = i;
  for (;;) {
    int child = 2 * i + 1;
    if (child >= size) break;
    if (child + 1 < size && Earlier(S[child + 1].key, S[child + 1].group, child)) child++;
    if (!(S[child].key < t || (S[child].key == t && Rank(S[child].group) > Rank(g)))) break;
    Place(i, S[child].key, S[child].group);
    i = child;
  }
  if (i != start) Place(i, t, g);
}

// The event at i moves up when it is earlier than its parent, and otherwise down as far as needed.
void EventList::Restore(int i) {
  if (i > 0 && Earlier(S[i].key, S[i].group, (i - 1) / 2))
    BubbleUp(i);
  else
    BubbleDown(i);
}

// Ties satisfy the heap order, so every event tied with position i lies in a tied path below it:
// only the tied part of the heap is visited.
void EventList::FindEquals(int i) {
  Equalities[EqSize++] = i;
  int left = 2 * i + 1;
  int right = left + 1;
  const Event* here = &Events[S[i].group];
  if (left < size && S[left].key == S[i].key && EvEqual(here, &Events[S[left].group])) FindEquals(left);
  if (right < size && S[right].key == S[i].key && EvEqual(here, &Events[S[right].group])) FindEquals(right);
}

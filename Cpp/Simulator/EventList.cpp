#include "Simulator/EventList.h"

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
      A(nullptr),
      Keys(nullptr),
      Addr(nullptr),
      size(0),
      Equalities(nullptr),
      EqSize(0) {
  Pool = new Event[capacity];
  FreeList.reserve(capacity);
  for (int i = capacity - 1; i >= 0; i--) FreeList.push_back(&Pool[i]);
  A = new Event*[capacity]();
  Keys = new double[capacity]();
  Addr = new PAddress*[capacity]();
  Equalities = new int[capacity]();
}

EventList::~EventList() {
  ClearEventList();
  delete[] Pool;
  delete[] A;
  delete[] Keys;
  delete[] Addr;
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
}

void EventList::Remove(Event** slot) {
  KAVRIN_CHECK(slot != nullptr && slot >= A && slot < A + size, "EventList", __LINE__);
  int i = static_cast<int>(slot - A);
  Event* ev = A[i];
  FreeList.push_back(ev);
  Addr[i]->event = nullptr;
  size--;
  if (i != size) {
    Place(i, A[size], Keys[size], Addr[size]);
    A[size] = nullptr;
    Restore(i);
  } else {
    A[i] = nullptr;
  }
}

void EventList::Remove(void* where) { Remove(*static_cast<Event***>(where)); }

void EventList::ModifyKey(Event** slot) {
  KAVRIN_CHECK(slot != nullptr && slot >= A && slot < A + size, "EventList", __LINE__);
  int i = static_cast<int>(slot - A);
  Keys[i] = A[i]->exec_time;
  Restore(i);
}

Event** EventList::Earliest() {
  if (size == 0) return nullptr;
  FindEquals(0);
  if (EqSize == 1) {
    EqSize = 0;
    return &A[0];
  }
  double weightsum = 0.0;
  for (int k = 0; k < EqSize; k++) weightsum += A[Equalities[k]]->action_ptr->Weight();
  double threshold = TheDistribution->RNG->rnd() * weightsum;
  int chosen = Equalities[EqSize - 1];
  double running = 0.0;
  for (int k = 0; k < EqSize; k++) {
    running += A[Equalities[k]]->action_ptr->Weight();
    if (running > threshold) {
      chosen = Equalities[k];
      break;
    }
  }
  EqSize = 0;
  return &A[chosen];
}

void EventList::ClearEventList() {
  for (int i = 0; i < size; i++) {
    FreeList.push_back(A[i]);
    AddressOf(A[i])->clear();
    A[i] = nullptr;
  }
  size = 0;
}

void EventList::PrintList(std::ostream& out) const {
  out << "------------------Event List-----------------" << std::endl;
  for (int i = 0; i < size; i++) {
    out << "(" << A[i]->action_ptr->ActionName << ") " << A[i]->start_time << " --> " << A[i]->exec_time
        << std::endl;
  }
  out << "---------------------------------------------" << std::endl << std::endl;
}

int EventList::IsValid() const {
  for (int i = 0; i < size; i++) {
    int left = 2 * i + 1;
    int right = left + 1;
    if (left < size && A[left]->exec_time < A[i]->exec_time) return left;
    if (right < size && A[right]->exec_time < A[i]->exec_time) return right;
  }
  for (int j = 0; j < size; j++) {
    if (A[j] == nullptr || A[j]->action_ptr == nullptr || AddressOf(A[j])->event != &A[j]) return j + 100000;
  }
  for (int j = size; j < capacity; j++) {
    if (A[j] != nullptr) return j;
  }
  for (int j = 0; j < size; j++) {
    if (IsOnFreeList(A[j])) return -j;
  }
  return 0;
}

bool EventList::IsOnFreeList(const Event* ev) const {
  for (const Event* f : FreeList) {
    if (f == ev) return true;
  }
  return false;
}

// The same order as EventEarlier, with the times read from Keys: (t, e) against position j.
bool EventList::Earlier(double t, const Event* e, int j) const {
  if (t < Keys[j]) return true;
  return t == Keys[j] && e->action_ptr->Rank() > A[j]->action_ptr->Rank();
}

void EventList::Place(int i, Event* ev, double t, PAddress* addr) {
  A[i] = ev;
  Keys[i] = t;
  Addr[i] = addr;
  addr->event = &A[i];
}

// Both sifts carry the moving event in a hole and compare it with the same entries a chain of
// swaps would, so the resulting order is the same.
void EventList::BubbleUp(int i) {
  Event* ev = A[i];
  double t = Keys[i];
  PAddress* addr = Addr[i];
  int start = i;
  while (i > 0) {
    int parent = (i - 1) / 2;
    if (!Earlier(t, ev, parent)) break;
    Place(i, A[parent], Keys[parent], Addr[parent]);
    i = parent;
  }
  if (i != start) Place(i, ev, t, addr);
}

void EventList::BubbleDown(int i) {
  Event* ev = A[i];
  double t = Keys[i];
  PAddress* addr = Addr[i];
  int start = i;
  for (;;) {
    int child = 2 * i + 1;
    if (child >= size) break;
    if (child + 1 < size && Earlier(Keys[child + 1], A[child + 1], child)) child++;
    if (!(Keys[child] < t || (Keys[child] == t && A[child]->action_ptr->Rank() > ev->action_ptr->Rank()))) break;
    Place(i, A[child], Keys[child], Addr[child]);
    i = child;
  }
  if (i != start) Place(i, ev, t, addr);
}

void EventList::Restore(int i) {
  Event* moved = A[i];
  BubbleUp(i);
  if (A[i] == moved) BubbleDown(i);
}

// Ties satisfy the heap order, so every event tied with A[i] lies in a tied path below it:
// only the tied part of the heap is visited.
void EventList::FindEquals(int i) {
  Equalities[EqSize++] = i;
  int left = 2 * i + 1;
  int right = left + 1;
  if (left < size && Keys[left] == Keys[i] && EvEqual(A[i], A[left])) FindEquals(left);
  if (right < size && Keys[right] == Keys[i] && EvEqual(A[i], A[right])) FindEquals(right);
}


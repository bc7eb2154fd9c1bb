#include "BaseClasses/FastSet.h"

#include "BaseClasses/debug.h"

int FastSet::SetsConstructed = 0;
int FastSet::SetsFrozen = 0;

// The building set is made on the first insert: most actions' sets stay empty, and an empty
// std::set per set was a large share of each action's memory.
FastSet::FastSet() : count(0), is_vec_rep(false) {
  rep.building = nullptr;
  ++SetsConstructed;
}

FastSet::~FastSet() {
  if (is_vec_rep)
    delete[] rep.values;
  else
    delete rep.building;
}

bool FastSet::insert(const int& value) {
  KAVRIN_ASSERT(!is_vec_rep, "FastSet", 23);
  if (rep.building == nullptr) rep.building = new std::set<int>();
  return rep.building->insert(value).second;
}

bool FastSet::find(const int& value) const {
  KAVRIN_ASSERT(!is_vec_rep, "FastSet", 29);
  return rep.building != nullptr && rep.building->count(value) != 0;
}

bool FastSet::empty() const {
  KAVRIN_ASSERT(!is_vec_rep, "FastSet", 34);
  return rep.building == nullptr || rep.building->empty();
}

void FastSet::NoMoreModifications() {
  KAVRIN_ASSERT(!is_vec_rep, "FastSet", 39);
  std::set<int>* building = rep.building;
  const int n = building == nullptr ? 0 : static_cast<int>(building->size());
  int* values = nullptr;
  if (n > 0) {
    values = new int[n];
    int i = 0;
    for (int v : *building) values[i++] = v;
  }
  delete building;
  rep.values = values;
  count = n;
  is_vec_rep = true;
  ++SetsFrozen;
}

int FastSet::size() const {
  KAVRIN_ASSERT(is_vec_rep, "FastSet", 56);
  return count;
}

int& FastSet::operator[](int i) {
  KAVRIN_ASSERT(is_vec_rep, "FastSet", 61);
  KAVRIN_CHECK(i >= 0 && i < count, "FastSet", 62);
  return rep.values[i];
}

const int& FastSet::operator[](int i) const {
  KAVRIN_ASSERT(is_vec_rep, "FastSet", 67);
  KAVRIN_CHECK(i >= 0 && i < count, "FastSet", 68);
  return rep.values[i];
}

void FastSet::clear() {
  if (is_vec_rep) {
    delete[] rep.values;
    rep.values = nullptr;
    count = 0;
  } else if (rep.building != nullptr) {
    rep.building->clear();
  }
}

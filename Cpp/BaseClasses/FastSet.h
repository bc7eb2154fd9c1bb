// A set of integers built by insertion, then frozen into a sorted array for cheap reading.
//
// While building, the set owns an ordered set and answers insert/find/empty; after
// NoMoreModifications() it owns a plain ascending array answering only size() and operator[].
// Using an operation of the other phase is a failed internal check. The reward structures build
// their sets once at model construction and read only the frozen form on every firing.
#ifndef KAVRIN_BASECLASSES_FASTSET_H
#define KAVRIN_BASECLASSES_FASTSET_H

#include <set>

class FastSet {
 public:
  FastSet();
  ~FastSet();

  // Owns raw memory in either phase: copying would free it twice.
  FastSet(const FastSet&) = delete;
  FastSet& operator=(const FastSet&) = delete;

  // Building phase.
  bool insert(const int& value);  // true when the value was not present
  bool find(const int& value) const;
  bool empty() const;
  void NoMoreModifications();

  // Frozen phase.
  int size() const;
  int& operator[](int i);
  const int& operator[](int i) const;

  // Either phase: empties the set; a frozen set stays frozen with no elements.
  void clear();

  bool isFrozen() const { return is_vec_rep; }

  // Process-wide statistics, read by nothing but a curious reader.
  static int SetsConstructed;
  static int SetsFrozen;

 private:
  // 16 bytes: every action holds three sets.
  union Rep {
    std::set<int>* building;
    int* values;  // frozen
  } rep;
  int count;  // frozen
  bool is_vec_rep;
};

#endif

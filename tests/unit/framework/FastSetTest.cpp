#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <set>
#include <vector>

#include "BaseClasses/FastSet.h"

TEST(FastSet, InsertReportsNewValuesThenFreezesSorted) {
  FastSet s;
  EXPECT_TRUE(s.empty());
  EXPECT_TRUE(s.insert(5));
  EXPECT_TRUE(s.insert(2));
  EXPECT_FALSE(s.insert(5));
  EXPECT_TRUE(s.insert(9));
  EXPECT_TRUE(s.find(2));
  EXPECT_FALSE(s.find(3));
  EXPECT_FALSE(s.empty());
  s.NoMoreModifications();
  ASSERT_EQ(s.size(), 3);
  EXPECT_EQ(s[0], 2);
  EXPECT_EQ(s[1], 5);
  EXPECT_EQ(s[2], 9);
}

TEST(FastSet, EmptyAndClearedSets) {
  FastSet empty;
  EXPECT_FALSE(empty.find(0));
  empty.clear();
  EXPECT_TRUE(empty.empty());
  empty.NoMoreModifications();
  EXPECT_EQ(empty.size(), 0);

  FastSet building;
  building.insert(1);
  building.clear();
  EXPECT_TRUE(building.empty());
  EXPECT_TRUE(building.insert(1));

  FastSet frozen;
  frozen.insert(4);
  frozen.insert(-4);
  frozen.NoMoreModifications();
  frozen.clear();
  EXPECT_TRUE(frozen.isFrozen());
  EXPECT_EQ(frozen.size(), 0);
}

// Values at the ends of int's range, where a comparison written as a subtraction would overflow,
// freeze into the same order std::sort gives.
TEST(FastSet, ExtremeValuesFreezeInAscendingOrder) {
  const std::vector<int> values{INT_MAX, 0, INT_MIN, -1, 1, INT_MIN + 1, INT_MAX - 1};
  FastSet s;
  for (int v : values) EXPECT_TRUE(s.insert(v));
  for (int v : values) EXPECT_FALSE(s.insert(v));
  s.NoMoreModifications();
  std::vector<int> expected(values);
  std::sort(expected.begin(), expected.end());
  ASSERT_EQ(s.size(), static_cast<int>(expected.size()));
  for (int i = 0; i < s.size(); i++) EXPECT_EQ(s[i], expected[i]) << "position " << i;
}

// GoogleTest's own regular expressions (Windows) have no bracket expressions.
#ifdef _WIN32
#define KAVRIN_DIGITS "\\d+"
#else
#define KAVRIN_DIGITS "[0-9]+"
#endif

TEST(FastSetDeathTest, OperationsOfTheWrongPhaseAbort) {
  EXPECT_DEATH(
      {
        FastSet s;
        s.NoMoreModifications();
        s.insert(1);
      },
      "!! Assertion failed in file FastSet, line " KAVRIN_DIGITS "\nExpression: !is_vec_rep");
  EXPECT_DEATH(
      {
        FastSet s;
        s.NoMoreModifications();
        s.find(1);
      },
      "Expression: !is_vec_rep");
  EXPECT_DEATH(
      {
        FastSet s;
        s.NoMoreModifications();
        s.NoMoreModifications();
      },
      "Expression: !is_vec_rep");
  EXPECT_DEATH(
      {
        FastSet s;
        (void)s.size();
      },
      "!! Assertion failed in file FastSet, line " KAVRIN_DIGITS "\nExpression: is_vec_rep");
  EXPECT_DEATH(
      {
        FastSet s;
        s.insert(3);
        (void)s[0];
      },
      "Expression: is_vec_rep");
  EXPECT_DEATH(
      {
        FastSet s;
        s.insert(3);
        s.NoMoreModifications();
        (void)s[1];
      },
      "Assertion failed in file FastSet");
}

// Seeded random sets against std::set: membership and insert results while building, then the
// frozen array against the set's ascending order.
TEST(FastSet, AgreesWithStdSet) {
  std::mt19937 rng(1234);
  for (int round = 0; round < 50; round++) {
    FastSet s;
    std::set<int> shadow;
    std::uniform_int_distribution<int> count(0, 300);
    std::uniform_int_distribution<int> value(-100, 100);
    const int n = count(rng);
    for (int i = 0; i < n; i++) {
      int v = value(rng);
      ASSERT_EQ(s.find(v), shadow.count(v) != 0);
      ASSERT_EQ(s.insert(v), shadow.insert(v).second);
    }
    ASSERT_EQ(s.empty(), shadow.empty());
    s.NoMoreModifications();
    ASSERT_EQ(s.size(), static_cast<int>(shadow.size()));
    std::vector<int> expected(shadow.begin(), shadow.end());
    for (int i = 0; i < s.size(); i++) ASSERT_EQ(s[i], expected[i]);
  }
}

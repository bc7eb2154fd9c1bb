#include <gtest/gtest.h>

#include "BaseClasses/debug.h"

TEST(InternalCheck, PrintsPinnedFileAndLineThenAborts) {
  EXPECT_DEATH(KAVRIN_CHECK(1 == 2, "Heap", 171), "!! Assertion failed in file Heap, line 171");
}

TEST(InternalCheck, StandardAssertionNamesTheExpression) {
  bool is_vec_rep = false;
  EXPECT_DEATH(KAVRIN_ASSERT(is_vec_rep, "FastSet", 32),
               "!! Assertion failed in file FastSet, line 32\nExpression: is_vec_rep");
}

TEST(InternalCheck, PassingCheckDoesNothing) {
  KAVRIN_CHECK(true, "Heap", 1);
  EXPECT_EQ(GlobalDebugLevel, 0);
}

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

TEST(InternalCheck, PassingChecksSayNothingAndTheCodeGoesOn) {
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  int reached = 0;
  KAVRIN_CHECK(1 + 1 == 2, "Heap", 1);
  reached++;
  const bool holds = true;
  KAVRIN_ASSERT(holds, "FastSet", 2);
  reached++;
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(reached, 2);
}

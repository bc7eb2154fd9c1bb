#include <gtest/gtest.h>

#include <string>

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

// A diagnostic of threshold n prints when the level exceeds n, and only then.
TEST(Diagnostics, ThresholdIsExceededNotReached) {
  const int saved = GlobalDebugLevel;
  GlobalDebugLevel = 2;
  testing::internal::CaptureStdout();
  KAVRIN_DEBUG(1, "shown " << 7);
  KAVRIN_DEBUG(2, "hidden");
  const bool on1 = KAVRIN_DEBUG_ON(1), on2 = KAVRIN_DEBUG_ON(2);
  const std::string printed = testing::internal::GetCapturedStdout();
  GlobalDebugLevel = saved;
  EXPECT_EQ(printed, "** shown 7\n");
  EXPECT_TRUE(on1);
  EXPECT_FALSE(on2);
}

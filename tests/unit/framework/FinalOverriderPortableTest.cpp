// The final-overrider test with the portable answer every other compiler gets.
#define KAVRIN_PORTABLE_OVERRIDER
#include "FinalOverriderCases.h"

TEST(FinalOverrider, PortableAnswerTakesOnlyTheExactClass) {
  EXPECT_EQ(KAVRIN_NAMES_FINAL_OVERRIDER, 0);
  overrider_cases::CheckAnswers();
}

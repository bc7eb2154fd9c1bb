// The final-overrider test as the framework is compiled (GCC's extension where it has it).
#include "FinalOverriderCases.h"

TEST(FinalOverrider, AnswersAsTheFrameworkIsCompiled) {
#if defined(__GNUC__) && !defined(__clang__)
  EXPECT_EQ(KAVRIN_NAMES_FINAL_OVERRIDER, 1);
#endif
  overrider_cases::CheckAnswers();
}

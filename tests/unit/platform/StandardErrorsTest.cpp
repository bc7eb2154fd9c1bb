#include <gtest/gtest.h>

#include "BaseClasses/StandardErrors.h"

namespace {

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(StandardErrors, ReportsThatReturnWriteTheirExactText) {
  CaptureStderr();
  MemoryError();
  ErrorEmptyParameter("Place");
  SyncError::WrongDistributionType();
  SyncError::NoAction();
  InconsistantState();
  UserError();
  InvalidArrayType();
  InvalidUnorderedType();
  ArrayOutOfBoundsError("group member 7");
  EXPECT_EQ(GetCapturedStderr(),
            "Memory Error\n"
            "Place: Parameter was an empty reference\n"
            "You can only synchronize actions from one type,either exponential or instantenous\n"
            " no Action found in model\n"
            "This program has entered into an inconsistant state. Please report this bug.\n"
            "A user error has been detected\n"
            "ArrayType is not valid\n"
            "ArrayType is invalid for unordered element\n"
            "Array out of bounds error at group member 7\n");
}

TEST(StandardErrors, MismatchReportsNameBothVariablesOnLinesOfTheirOwn) {
  CaptureStderr();
  ArrayTypeMismatchError("A", "B");
  StructTypeMismatchError("S1", nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "Array types for equivalence sharing do not match for state variables: \n  A\n  B\n"
            "Struct types for equivalence sharing do not match for state variables: \n  S1\n  \n");
}

TEST(StandardErrorsDeathTest, FatalReportsExitWithCodeOne) {
  EXPECT_EXIT(
      MemoryAllocationError(), testing::ExitedWithCode(1),
      "Insufficient Memory to allocate dynamic data structures from heap memory\nExiting program...\n");
  EXPECT_EXIT(InvalidStructType(), testing::ExitedWithCode(1), "ArrayType is invalid for struct element\n");
}

}  // namespace

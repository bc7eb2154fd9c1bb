// The carried set study: no global variables, one experiment, builds the carried reward model.
#include <gtest/gtest.h>

#include <string>

#include "Performance_Variables/PVModel.h"
#include "Study/GPUS_STUDY/GPUS_STUDYSetStudy.h"

TEST(CarriedStudy, GenerateOnceAndDestruct) {
  BaseStudyClass* study = GenerateStudy();
  EXPECT_EQ(study, GlobalStudyPtr);
  EXPECT_EQ(GenerateStudy(), study);
  EXPECT_EQ(study->GetNumGVs(), 0u);
  EXPECT_EQ(study->GetNumExps(), 1u);
  DestructStudy();
  EXPECT_EQ(GlobalStudyPtr, nullptr);
  DestructStudy();  // nothing left to delete
}

TEST(CarriedStudy, MessagesForGlobalVariables) {
  GPUS_STUDYSetStudy study;
  testing::internal::CaptureStdout();
  study.PrintGlobalValues(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "There are no global variables.\n");
  testing::internal::CaptureStderr();
  study.overrideGVs("d:Rate:2.5");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "!! GPUS_STUDYSetStudy::OverrideGVValue: Global Variable Rate does not exist.\n");
  testing::internal::CaptureStderr();
  char name[] = "Servers";
  EXPECT_EQ(study.GetGVValue(name), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "!! GPUS_STUDYSetStudy::GetGVValue: Global Variable Servers does not exist.\n");
}

TEST(CarriedStudy, GetPVModelBuildsTheRewardModel) {
  GPUS_STUDYSetStudy study;
  testing::internal::CaptureStderr();
  PVModel* pv = study.GetPVModel(true);
  testing::internal::GetCapturedStderr();
  ASSERT_NE(pv, nullptr);
  EXPECT_EQ(study.ThePVModel, pv);
  EXPECT_STREQ(pv->getPV(0)->GetName(), "token_game");
}

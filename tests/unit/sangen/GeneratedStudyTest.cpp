// The study generated from counter.yaml: the names its sweep gives the experiments, the digest of
// its description, and the global values it prints for a run (the -O overrides of the experiment
// in force included).
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "Simulator/ModelProvenance.h"
#include "Study/BaseStudyClass.h"
#include "Study/ExperimentNames.h"

namespace {

std::string Printed(BaseStudyClass& study, int experiment) {
  testing::internal::CaptureStdout();
  study.PrintGlobalValues(experiment);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(GeneratedStudy, SweepPointsAreNamedAfterTheirValuesInTheShortestText) {
  BaseStudyClass* study = GenerateStudy();
  ASSERT_EQ(study->GetNumExps(), 3u);
  ASSERT_NE(KavrinExperimentNames, nullptr);
  // range [0.5, 1.5, 0.5]: 0.5, 1.0 and 1.5, the second written as 1.
  EXPECT_STREQ(KavrinExperimentNames[0], "step=0.5");
  EXPECT_STREQ(KavrinExperimentNames[1], "step=1");
  EXPECT_STREQ(KavrinExperimentNames[2], "step=1.5");
  DestructStudy();
}

TEST(GeneratedStudy, CarriesTheDigestOfItsDescription) {
  const std::string hex = KavrinModelDescriptionSha256;
  ASSERT_EQ(hex.size(), 64u);
  for (char c : hex)
    EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'a' && c <= 'f')) << hex;
}

TEST(GeneratedStudy, PrintsTheValuesInForceForItsExperimentAndAppliesAnothers) {
  BaseStudyClass* study = GenerateStudy();
  // As a run starts: the experiment, then the overrides.
  study->SetGVs(1);
  char overrides[] = "i:limit:40000:d:step:0.30000000000000004";
  study->overrideGVs(overrides);
  EXPECT_EQ(Printed(*study, 1),
            "The Global Variable values for experiment step=1 are:\n"
            "  start = 32760\n"
            "  limit = 40000\n"
            "  step = 0.30000000000000004\n");
  // Another experiment's values replace the overrides.
  EXPECT_EQ(Printed(*study, 2),
            "The Global Variable values for experiment step=1.5 are:\n"
            "  start = 32760\n"
            "  limit = 32767\n"
            "  step = 1.5\n");
  EXPECT_EQ(*static_cast<double*>(study->GetGVValue(const_cast<char*>("step"))), 1.5);
  DestructStudy();
}

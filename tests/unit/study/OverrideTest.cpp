// Overrides of global variables from the -O text, through a small study with one global per type letter.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "Study/BaseStudyClass.h"

namespace {

Short GVs;
Int GVi;
Long GVl;
Float GVf;
Double GVd;
Bool GVb;
Char GVc;

class EveryTypeStudy : public BaseStudyClass {
 public:
  EveryTypeStudy() {
    NumExps = 2;
    GVs.Set(0);
    GVi.Set(0);
    GVl.Set(0);
    GVf.Set(0.0f);
    GVd.Set(0.0);
    GVb.Set(false);
    GVc.Set('-');
  }
  void* GetGVValue(char* name) override {
    if (std::strcmp(name, "S") == 0) return &GVs;
    if (std::strcmp(name, "I") == 0) return &GVi;
    if (std::strcmp(name, "L") == 0) return &GVl;
    if (std::strcmp(name, "F") == 0) return &GVf;
    if (std::strcmp(name, "Rate") == 0) return &GVd;
    if (std::strcmp(name, "B") == 0) return &GVb;
    if (std::strcmp(name, "C") == 0) return &GVc;
    return nullptr;
  }
  void OverrideGVValue(char* name, void* value) override {
    if (std::strcmp(name, "S") == 0)
      SetGvValue(GVs, *static_cast<short*>(value));
    else if (std::strcmp(name, "I") == 0)
      SetGvValue(GVi, *static_cast<int*>(value));
    else if (std::strcmp(name, "L") == 0)
      SetGvValue(GVl, *static_cast<int32_t*>(value));
    else if (std::strcmp(name, "F") == 0)
      SetGvValue(GVf, *static_cast<float*>(value));
    else if (std::strcmp(name, "Rate") == 0)
      SetGvValue(GVd, *static_cast<double*>(value));
    else if (std::strcmp(name, "B") == 0)
      SetGvValue(GVb, *static_cast<bool*>(value));
    else if (std::strcmp(name, "C") == 0)
      SetGvValue(GVc, *static_cast<char*>(value));
    else
      std::cerr << "!! EveryTypeStudy::OverrideGVValue: Global Variable " << name << " does not exist."
                << std::endl;
  }
};

struct Captured {
  std::string out, err;
};

Captured Override(BaseStudyClass& study, const char* text) {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  study.overrideGVs(text);
  Captured c;
  c.out = testing::internal::GetCapturedStdout();
  c.err = testing::internal::GetCapturedStderr();
  return c;
}

}  // namespace

TEST(Override, EveryTypeLetterLandsInItsVariable) {
  EveryTypeStudy study;
  Captured c = Override(study, "s:S:-7:i:I:0x1F:l:L:-2147483648:f:F:0.5:d:Rate:2.5:b:B:3:c:C:xyz");
  EXPECT_EQ(c.out, "");
  EXPECT_EQ(c.err, "");
  EXPECT_EQ(static_cast<short>(GVs), -7);
  EXPECT_EQ(static_cast<int>(GVi), 31);
  EXPECT_EQ(static_cast<int32_t>(GVl), INT32_MIN);
  EXPECT_EQ(static_cast<float>(GVf), 0.5f);
  EXPECT_EQ(static_cast<double>(GVd), 2.5);
  EXPECT_TRUE(static_cast<bool>(GVb));
  EXPECT_EQ(static_cast<char>(GVc), 'x');
  Override(study, "i:I:010:b:B:0");
  EXPECT_EQ(static_cast<int>(GVi), 8);  // octal, as "%i" reads it
  EXPECT_FALSE(static_cast<bool>(GVb));
}

// A study that declares its variables' types: a letter of another type never reaches the study.
TEST(Override, ALetterOfAnotherTypeThanDeclaredIsSkipped) {
  EveryTypeStudy study;
  study.NumGVs = 2;
  study.GVNames = new char* [2] { strdup("Rate"), strdup("I") };
  study.GVTypes = new char* [2] { strdup("double"), strdup("int") };
  Captured c = Override(study, "i:Rate:7:d:I:2.5:d:Rate:1.5:i:I:4");
  EXPECT_EQ(
      c.err,
      "Global variable Rate has type double, but the override gives type i (int); the override is ignored.\n"
      "Global variable I has type int, but the override gives type d (double); the override is ignored.\n");
  EXPECT_EQ(static_cast<double>(GVd), 1.5);
  EXPECT_EQ(static_cast<int>(GVi), 4);
  EXPECT_EQ(study.DeclaredType("Rate"), std::string("double"));
  EXPECT_EQ(study.DeclaredType("Nope"), nullptr);
}

TEST(Override, DoubledAndLeadingColonsCollapse) {
  EveryTypeStudy study;
  Override(study, "::d::Rate::4.25:");
  EXPECT_EQ(static_cast<double>(GVd), 4.25);
}

TEST(Override, UnknownTypeLetterIsReportedAndTheNextTripleApplies) {
  EveryTypeStudy study;
  Captured c = Override(study, "x:Foo:1:i:I:2");
  EXPECT_EQ(c.out, "Type x not recognized\n");
  EXPECT_EQ(static_cast<int>(GVi), 2);
}

TEST(Override, TooFewTokensStopsAndKeepsEarlierTriples) {
  EveryTypeStudy study;
  Captured c = Override(study, "i:I:5:d:Rate");
  EXPECT_EQ(c.out, "Not enough double override tokens");
  EXPECT_EQ(static_cast<int>(GVi), 5);
  EXPECT_EQ(static_cast<double>(GVd), 0.0);
  c = Override(study, "x:Foo");
  EXPECT_EQ(c.out, "Not enough double override tokens");
}

TEST(Override, UnknownVariableIsTheStudysMessage) {
  EveryTypeStudy study;
  Captured c = Override(study, "d:Nope:1.0");
  EXPECT_EQ(c.err, "!! EveryTypeStudy::OverrideGVValue: Global Variable Nope does not exist.\n");
}

// A value that does not parse must not reach the variable.
TEST(Override, UnreadableValueIsReportedAndSkipped) {
  EveryTypeStudy study;
  Captured c = Override(study, "i:I:abc:d:Rate:zz:s:S:9");
  EXPECT_NE(c.err.find("\"abc\""), std::string::npos) << c.err;
  EXPECT_NE(c.err.find("\"zz\""), std::string::npos) << c.err;
  EXPECT_EQ(static_cast<int>(GVi), 0);
  EXPECT_EQ(static_cast<double>(GVd), 0.0);
  EXPECT_EQ(static_cast<short>(GVs), 9);
}

TEST(Override, OutOfRangeIntegersAreClampedToTheWrappersWidth) {
  EveryTypeStudy study;
  Override(study, "s:S:70000:l:L:99999999999");
  EXPECT_EQ(static_cast<short>(GVs), 32767);
  EXPECT_EQ(static_cast<int32_t>(GVl), INT32_MAX);
}

TEST(Override, NullTextDoesNothing) {
  EveryTypeStudy study;
  Captured c = Override(study, nullptr);
  EXPECT_EQ(c.out + c.err, "");
}

TEST(StudyBase, ExperimentNamesAndDefaults) {
  EveryTypeStudy study;
  EXPECT_STREQ(study.GetExpName(0), "Experiment 1");
  EXPECT_STREQ(study.GetExpName(41), "Experiment 42");
  EXPECT_EQ(study.GetPVModel(true), nullptr);
  testing::internal::CaptureStdout();
  study.SetGVs(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "basestudyclass::SetGVs\n");
}

#include <gtest/gtest.h>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/SAN/Place.h"

namespace {

TEST(ActionIdentity, IdsFollowCreationOrder) {
  int first = BaseActionClass::getMaxID();
  BaseActionClass a, b, c;
  EXPECT_EQ(a.getID(), first);
  EXPECT_EQ(b.getID(), first + 1);
  EXPECT_EQ(c.getID(), first + 2);
  EXPECT_EQ(BaseActionClass::MaxID, first + 3);
}

TEST(ActionIdentity, DefaultsAndErlangPhases) {
  BaseActionClass a;
  EXPECT_STREQ(a.getName(), "default");
  EXPECT_EQ(a.DistributionType, Exponential);
  EXPECT_EQ(a.ExecutionPolicy, RaceEnabled);
  EXPECT_TRUE(a.Disabled);
  EXPECT_FALSE(a.Reactivation);
  EXPECT_EQ(a.phase, 1);
  EXPECT_EQ(a.EventPointer, nullptr);
  EXPECT_TRUE(a.ReadyToFire());
  a.Age();
  EXPECT_FALSE(a.ReadyToFire());
  a.ResetPhase();
  EXPECT_TRUE(a.ReadyToFire());

  BaseActionClass b;
  EXPECT_DOUBLE_EQ(a.Probability(&b), 1.0);
  EXPECT_TRUE(a.IsAMember(&a));
  EXPECT_FALSE(a.IsAMember(&b));
  EXPECT_EQ(a.Fire(), nullptr);
  EXPECT_EQ(a.getPrintedAction(), &a);

  BaseActionClass c("Named", 4, Deterministic, RaceAge, 3, 2, true);
  EXPECT_STREQ(c.getName(), "Named");
  EXPECT_EQ(c.getGroupId(), 4);
  EXPECT_EQ(c.DistributionType, Deterministic);
  EXPECT_EQ(c.ExecutionPolicy, RaceAge);
  EXPECT_TRUE(c.Reactivation);
}

TEST(ActionArcs, VariableListsHoldEachLeafOnce) {
  Place p("p", 0), q("q", 0);
  BaseActionClass a;
  a.addEnablingSV(&p);
  a.addEnablingSV(&p);
  EXPECT_EQ(a.getNumEnablingSVs(), 1);
  a.addAffectedSV(&p);
  a.addAffectedSV(&q);
  a.replaceAffectedSV(&p, &q);  // q already listed: p goes, one q stays
  ASSERT_EQ(a.getNumAffectedSVs(), 1);
  EXPECT_EQ(a.getAffectedSV(0), &q);
  a.removeEnablingSV(&p);
  EXPECT_EQ(a.getNumEnablingSVs(), 0);
}

TEST(ActionArcs, PrintInfoOfAnActionWithoutVariables) {
  BaseActionClass a("Lonely", 2, Instantaneous, RaceEnabled, 0, 0, false);
  testing::internal::CaptureStdout();
  a.PrintInfo();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "********* Lonely**********\n"
            "\n"
            "Enabled by:\n"
            "Affects:\n"
            "Group ID = 2\n"
            "Execution Policy = 1\n"
            "Disabled = 1\n"
            "Reactivation = 0\n"
            "DistributionType = 18\n");
}

TEST(ActionArcs, PrintInfoListsVariables) {
  Place p("p", 0);
  BaseActionClass a("A", 0, Exponential, RaceEnabled, 1, 1, false);
  a.addEnablingSV(&p);
  a.addAffectedSV(&p);
  testing::internal::CaptureStdout();
  a.PrintInfo();
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("Enabled by:\n           p\nAffects:\n           p\n"), std::string::npos);
}

TEST(ActionRewardStructures, AllocateAndRelease) {
  BaseActionClass a;
  EXPECT_FALSE(a.IsPVRateDSAllocated());
  a.DeallocatePVRateDS();  // nothing allocated: nothing happens
  a.DeallocatePVImpulseDS();
  a.AllocatePVRateDS(3);
  a.AllocatePVImpulseDS(3);
  EXPECT_TRUE(a.IsPVRateDSAllocated());
  EXPECT_TRUE(a.IsPVImpulseDSAllocated());
  EXPECT_TRUE(a.AffectedRateWorkers[2].empty());
  EXPECT_EQ(a.AffectedImpulseWorkers[2], nullptr);
  EXPECT_EQ(a.NumAffectedImpulseWorkers[0], nullptr);
  a.DeallocatePVRateDS();
  a.DeallocatePVImpulseDS();
  EXPECT_FALSE(a.IsPVRateDSAllocated());
  EXPECT_FALSE(a.IsPVImpulseDSAllocated());
}

}  // namespace

#include <gtest/gtest.h>

#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/PostselectGroup.h"
#include "BaseClasses/PreselectGroup.h"
#include "FrameworkTestModels.h"
#include "support/ScriptedGenerator.h"

namespace {

template <class G>
void fill(G& g, std::initializer_list<ScriptedActivity*> members) {
  g.initialize(2, "G");
  for (ScriptedActivity* m : members) g.appendGroup(m);
}

TEST(GroupSelection, CumulativeWeightsAndStrictComparison) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 3.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b});
  // Table (1, a), (4, b). u = 0.2: x = 0.8 < 1, so a. u = 0.25: x = 1.0, not above 1, so b.
  ScriptedGenerator gen({0.2, 0.25});
  ScopedGenerator install(&gen);
  ASSERT_TRUE(g.SelectAction());
  EXPECT_EQ(g.getSelectedAction(), &a);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->NumSelectableActions, 2);
  EXPECT_DOUBLE_EQ(KavrinGroupMembers::Of(&g)->ActionWeights[0].Weight, 1.0);
  EXPECT_DOUBLE_EQ(KavrinGroupMembers::Of(&g)->ActionWeights[1].Weight, 4.0);
  ASSERT_TRUE(g.SelectAction());
  EXPECT_EQ(g.getSelectedAction(), &b);
  EXPECT_EQ(gen.draws(), 2u);
}

TEST(GroupSelection, EachMemberAskedOnceThenTheChosenSelects) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 3.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b});
  ScriptedGenerator gen({0.9});
  ScopedGenerator install(&gen);
  ASSERT_TRUE(g.SelectAction());
  EXPECT_EQ(a.enabledCalls, 1);
  EXPECT_EQ(b.enabledCalls, 2);  // weight table, then its own SelectAction
}

TEST(GroupSelection, ZeroWeightsChooseTheLastEntry) {
  ScriptedActivity a("a", true, 0.0, 1), b("b", true, 0.0, 1);
  BaseGroupClass g;
  fill(g, {&a, &b});
  // Total 0, so x = 0 for any u; no cumulative weight exceeds it and the search ends on b.
  ScriptedGenerator gen({0.0, 0.5, 0.999});
  ScopedGenerator install(&gen);
  for (int i = 0; i < 3; i++) {
    ASSERT_TRUE(g.SelectAction());
    EXPECT_EQ(g.getSelectedAction(), &b);
  }
}

TEST(GroupSelection, HighestRankWins) {
  ScriptedActivity low("low", true, 5.0, 0), x("x", true, 1.0, 2), y("y", true, 1.0, 2);
  BaseGroupClass g;
  fill(g, {&low, &x, &y});
  ScriptedGenerator gen({0.49, 0.5});
  ScopedGenerator install(&gen);
  // Ranks 0, 2, 2: the table restarts at x: (1, x), (2, y); total 2.
  EXPECT_DOUBLE_EQ(g.CalculateWeightDistribution(), 2.0);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->NumSelectableActions, 2);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->ActionWeights[0].AssociatedAction, &x);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->ActionWeights[1].AssociatedAction, &y);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->HighestRank, 2);
  EXPECT_FALSE(low.Disabled);  // entered before the higher rank appeared
  EXPECT_DOUBLE_EQ(g.Probability(&x), 0.5);
  EXPECT_DOUBLE_EQ(g.Probability(&low), 0.0);
  ASSERT_TRUE(g.SelectAction());  // x = 0.98 < 1
  EXPECT_EQ(g.getSelectedAction(), &x);
  ASSERT_TRUE(g.SelectAction());  // x = 1.0
  EXPECT_EQ(g.getSelectedAction(), &y);
}

TEST(GroupSelection, LowerRankAfterAHigherOneIsDisabled) {
  ScriptedActivity high("high", true, 1.0, 2), low("low", true, 100.0, 0);
  BaseGroupClass g;
  fill(g, {&high, &low});
  ScriptedGenerator gen({0.999});
  ScopedGenerator install(&gen);
  ASSERT_TRUE(g.SelectAction());
  EXPECT_EQ(g.getSelectedAction(), &high);
  EXPECT_TRUE(low.Disabled);
  EXPECT_FALSE(high.Disabled);
}

TEST(GroupSelection, DrawIsMadeEvenWhenNothingIsEnabled) {
  ScriptedActivity a("a", false, 1.0, 0), b("b", false, 1.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b});
  // A draw of exactly 0 must not turn the "nothing enabled" total into a selection.
  ScriptedGenerator gen({0.0, 0.7});
  ScopedGenerator install(&gen);
  EXPECT_FALSE(g.SelectAction());
  EXPECT_FALSE(g.SelectAction());
  EXPECT_EQ(gen.draws(), 2u);
  EXPECT_EQ(g.getSelectedAction(), nullptr);
  EXPECT_TRUE(a.Disabled);
  EXPECT_TRUE(b.Disabled);
  EXPECT_FALSE(g.Enabled());
  BaseGroupClass empty;
  EXPECT_FALSE(empty.Enabled());
}

TEST(GroupSelection, NestedGroupHandsOnItsOwnChoice) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 1.0, 0), c("c", true, 1.0, 0);
  PreselectGroup inner;
  fill(inner, {&b, &c});
  BaseGroupClass outer;
  outer.initialize(2, "outer");
  outer.appendGroup(&a);
  outer.appendGroup(&inner);
  // outer draws 0.75 first; asking inner whether it is enabled makes it preselect (0.1: b, weight
  // 1), so the table is (1, a), (2, inner) and x = 1.5 picks inner; inner then selects again
  // (0.9: c) and outer takes inner's choice.
  ScriptedGenerator gen({0.75, 0.1, 0.9});
  ScopedGenerator install(&gen);
  ASSERT_TRUE(outer.SelectAction());
  EXPECT_EQ(gen.draws(), 3u);
  EXPECT_EQ(outer.getSelectedAction(), &c);
  EXPECT_TRUE(outer.IsAMember(&inner));
  EXPECT_FALSE(outer.IsAMember(&c));
  EXPECT_EQ(outer.Fire(), &c);
  EXPECT_EQ(c.fireCalls, 1);
  EXPECT_EQ(outer.getSelectedAction(), nullptr);
}

TEST(GroupDeath, ForwardingWithoutASelectionAborts) {
  BaseGroupClass g;
  EXPECT_DEATH(g.Weight(), "!! Assertion failed in file BaseGroupClass, line ");
}

TEST(GroupForwarding, EnabledAsksEveryMember) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", false, 1.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b});
  EXPECT_TRUE(g.Enabled());
  EXPECT_EQ(a.enabledCalls, 1);
  EXPECT_EQ(b.enabledCalls, 1);
  b.enabledAnswer = true;
  EXPECT_TRUE(g.EnablingChange());  // b changed from false to true
  EXPECT_FALSE(g.EnablingChange());
  EXPECT_EQ(g.getPrintedAction(), &a);
}

TEST(ActivityBehaviour, StandsForItselfAndNoticesEnablingChanges) {
  ScriptedActivity a("a", false, 2.0, 3);
  EXPECT_EQ(a.getSelectedAction(), &a);
  EXPECT_FALSE(a.EnablingChange());
  a.enabledAnswer = true;
  EXPECT_TRUE(a.EnablingChange());
  EXPECT_FALSE(a.EnablingChange());
  EXPECT_TRUE(a.SelectAction());
  EXPECT_DOUBLE_EQ(a.Probability(&a), 1.0);
  ScriptedActivity other("o", true, 1.0, 0);
  EXPECT_DOUBLE_EQ(a.Probability(&other), 0.0);
  a.setGroupId(7);
  EXPECT_EQ(a.getGroupId(), 7);
  EXPECT_EQ(a.getPrintedAction(), &a);
}

// Only a group given members makes the record of members; an activity never does, and neither
// copying an empty group's members nor printing makes one.
TEST(GroupMembership, TheRecordOfMembersComesWithTheFirstMember) {
  ScriptedActivity a("a", true, 1.0, 0);
  EXPECT_EQ(KavrinGroupMembers::Of(&a), nullptr);
  EXPECT_EQ(a.getNumMembers(), 0);
  BaseGroupClass g, empty;
  EXPECT_EQ(KavrinGroupMembers::Of(&g), nullptr);
  EXPECT_EQ(g.getSelectedAction(), nullptr);
  g.appendMembers(&empty);
  g.replaceMember(&a, &a);
  EXPECT_EQ(KavrinGroupMembers::Of(&g), nullptr);
  EXPECT_EQ(g.getPrintedAction(), &g);
  g.appendGroup(&a);
  ASSERT_NE(KavrinGroupMembers::Of(&g), nullptr);
  EXPECT_EQ(g.getNumMembers(), 1);
  EXPECT_EQ(KavrinGroupMembers::Of(&g)->ArraySize, 1);
  EXPECT_EQ(KavrinGroupMembers::Of(&a), nullptr);
  // A group sized at construction has room and no members yet.
  BaseGroupClass sized("S", 0, Instantaneous, RaceEnabled, 0, 0, false, 3);
  ASSERT_NE(KavrinGroupMembers::Of(&sized), nullptr);
  EXPECT_EQ(KavrinGroupMembers::Of(&sized)->ArraySize, 3);
  EXPECT_EQ(sized.getNumMembers(), 0);
  EXPECT_FALSE(sized.Enabled());
}

TEST(PreselectGroupBehaviour, ReselectsOnlyWhenNeeded) {
  ScriptedActivity a("a", true, 1.0, 4), b("b", true, 1.0, 4);
  b.delay = 2.5;
  PreselectGroup g;
  fill(g, {&a, &b});
  ScriptedGenerator gen({0.9, 0.1});
  ScopedGenerator install(&gen);
  EXPECT_TRUE(g.NeedToReselect);
  EXPECT_TRUE(g.Enabled());  // reselects: u = 0.9 picks b
  EXPECT_EQ(gen.draws(), 1u);
  EXPECT_FALSE(g.NeedToReselect);
  EXPECT_EQ(g.Rank(), 4);
  EXPECT_DOUBLE_EQ(g.SampleDistribution(), 2.5);
  EXPECT_EQ(gen.draws(), 1u);
  EXPECT_EQ(g.Fire(), &b);
  EXPECT_TRUE(g.NeedToReselect);
  EXPECT_EQ(g.getSelectedAction(), &b);  // kept until the next reselection
  EXPECT_EQ(g.Rank(), 4);                // reselects: u = 0.1 picks a
  EXPECT_EQ(g.getSelectedAction(), &a);
  EXPECT_EQ(gen.draws(), 2u);
}

TEST(PreselectGroupBehaviour, NothingEnabledKeepsAskingForReselection) {
  ScriptedActivity a("a", false, 1.0, 0);
  PreselectGroup g;
  fill(g, {&a});
  ScriptedGenerator gen({0.3, 0.3});
  ScopedGenerator install(&gen);
  EXPECT_FALSE(g.Enabled());
  EXPECT_TRUE(g.NeedToReselect);
  EXPECT_FALSE(g.Enabled());
  EXPECT_EQ(gen.draws(), 2u);
}

TEST(PreselectGroupDeath, FiringWithoutASelectionAborts) {
  PreselectGroup g;
  EXPECT_DEATH(g.Fire(), "!! Assertion failed in file PreselectGroup, line ");
}

TEST(PostselectGroupBehaviour, TimedByTheFirstMemberChosenAtFiring) {
  ScriptedActivity a("a", true, 1.0, 9), b("b", true, 1.0, 9);
  a.delay = 3.0;
  PostselectGroup g;
  fill(g, {&a, &b});
  EXPECT_EQ(g.Rank(), 1);
  EXPECT_DOUBLE_EQ(g.Weight(), 1.0);
  EXPECT_DOUBLE_EQ(g.SampleDistribution(), 3.0);
  EXPECT_FALSE(g.ReactivationPredicate());
  ScriptedGenerator gen({0.6});
  ScopedGenerator install(&gen);
  EXPECT_EQ(g.Fire(), &b);
  EXPECT_EQ(b.fireCalls, 1);
  EXPECT_EQ(g.getSelectedAction(), nullptr);
  EXPECT_EQ(gen.draws(), 1u);
}

TEST(GroupMembership, SetMemberIsBoundedAndMembersCopyAcross) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 1.0, 0), c("c", true, 1.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b, &c});
  EXPECT_EQ(g.getNumMembers(), 3);

  testing::internal::CaptureStderr();
  g.setMember(&a, 3);
  g.setMember(&a, -1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("Array out of bounds (BaseGroupClass::setMember()"), std::string::npos);
  EXPECT_EQ(g.getMember(2), &c);
  g.setMember(&a, 2);
  EXPECT_EQ(g.getMember(2), &a);

  BaseGroupClass h;
  h.initialize(1, "H");
  h.appendMembers(&g);
  EXPECT_EQ(h.getNumMembers(), 3);
  h.replaceMember(&a, &b);
  EXPECT_EQ(h.getMember(0), &b);
  EXPECT_EQ(h.getMember(2), &b);
}

TEST(GroupMembership, SetGroupIdReachesTheActivities) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 1.0, 0);
  PostselectGroup g;
  fill(g, {&a, &b});
  g.setGroupId(6);
  EXPECT_EQ(a.getGroupId(), 6);
  EXPECT_EQ(b.getGroupId(), 6);
  // Through the base, as the engine holds its groups, the call still reaches the members.
  BaseActionClass* asAction = &g;
  asAction->setGroupId(9);
  EXPECT_EQ(a.getGroupId(), 9);
  EXPECT_EQ(b.getGroupId(), 9);
}

TEST(GroupDeath, EmptyGroupsAreRefused) {
  BaseGroupClass g;
  EXPECT_DEATH(g.Probability(&g), "!! Assertion failed in file BaseGroupClass, line ");
  EXPECT_DEATH(g.Check(), "!! Assertion failed in file BaseGroupClass, line ");
  EXPECT_DEATH(g.getMember(0), "!! Assertion failed in file BaseGroupClass, line ");
}

TEST(GroupPrinting, InfoAndMemberTree) {
  ScriptedActivity a("a", true, 1.0, 0), b("b", true, 1.0, 0), c("c", true, 1.0, 0);
  BaseGroupClass inner;
  fill(inner, {&b, &c});
  inner.defineName("inner");
  BaseGroupClass outer;
  outer.initialize(2, "outer");
  outer.appendGroup(&a);
  outer.appendGroup(&inner);
  testing::internal::CaptureStdout();
  outer.PrintInfo();
  outer.printGroup();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "************ Group: outer ****************\n"
            "Contains the following actions:\n"
            "  a\n"
            "  inner\n"
            "Selected Action = \n"
            "** Members of Group outer\n"
            "  [0] a\n"
            "  [1] inner\n"
            "    [1.0] b\n"
            "    [1.1] c\n");
}

TEST(GroupProbability, ZeroTotalWeightIsReported) {
  ScriptedActivity a("a", true, 0.0, 0), b("b", true, 0.0, 0);
  BaseGroupClass g;
  fill(g, {&a, &b});
  testing::internal::CaptureStdout();
  g.Probability(&a);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "BaseGroupClass::Probability() TotalWeight is zero.\n");
}

}  // namespace

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

// An Erlang delay of M phases is M exponential stages: the action may fire only in its M-th.
class ErlangAction : public BaseActionClass {
 public:
  explicit ErlangAction(int m) : m_(m) {}
  double ErlangParamM() override { return m_; }

 private:
  int m_;
};

TEST(ActionPhases, AnErlangActionIsReadyOnlyInItsLastPhase) {
  for (const int m : {1, 2, 5}) {
    SCOPED_TRACE(m);
    ErlangAction a(m);
    for (int stage = 1; stage <= m; stage++) {
      EXPECT_EQ(a.ReadyToFire(), stage == m) << "stage " << stage;
      if (stage < m) a.Age();
    }
    a.ResetPhase();
    EXPECT_EQ(a.ReadyToFire(), m == 1);
  }
}

// An action on its own is a group of one: it is its only member, chosen with certainty, and
// shows itself in traces.
TEST(ActionPhases, ALoneActionIsAGroupOfOne) {
  BaseActionClass a, b;
  EXPECT_TRUE(a.IsAMember(&a));
  EXPECT_FALSE(a.IsAMember(&b));
  EXPECT_DOUBLE_EQ(a.Probability(&a), 1.0);
  EXPECT_EQ(a.getPrintedAction(), &a);
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
  EXPECT_TRUE(KavrinActionRewards::Of(&a)->AffectedRateWorkers[2].empty());
  EXPECT_EQ(KavrinActionRewards::Of(&a)->AffectedImpulseWorkers[2], nullptr);
  EXPECT_EQ(KavrinActionRewards::Of(&a)->NumAffectedImpulseWorkers[0], nullptr);
  a.DeallocatePVRateDS();
  a.DeallocatePVImpulseDS();
  EXPECT_FALSE(a.IsPVRateDSAllocated());
  EXPECT_FALSE(a.IsPVImpulseDSAllocated());
}

// A new action shares the process-wide empty record: frozen empty sets, no arrays.
TEST(ActionRewardStructures, ANewActionSharesTheEmptyRecord) {
  BaseActionClass a, b;
  EXPECT_FALSE(KavrinActionRewards::Owned(&a));
  EXPECT_EQ(KavrinActionRewards::Of(&a), KavrinActionRewards::Empty());
  EXPECT_EQ(KavrinActionRewards::Of(&b), KavrinActionRewards::Of(&a));
  const KavrinActionRewards& none = *KavrinActionRewards::Of(&a);
  EXPECT_TRUE(none.AffectedNodes.isFrozen());
  EXPECT_EQ(none.AffectedNodes.size(), 0);
  EXPECT_EQ(none.AffectedNodesByRateReward.size(), 0);
  EXPECT_EQ(none.AffectedNodesByImpulseReward.size(), 0);
  EXPECT_EQ(none.TotalNumCollected, 0);
  // Allocating gives the action a record of its own and leaves the shared one as it was.
  a.AllocatePVRateDS(2);
  EXPECT_TRUE(KavrinActionRewards::Owned(&a));
  EXPECT_NE(KavrinActionRewards::Of(&a), KavrinActionRewards::Empty());
  EXPECT_FALSE(KavrinActionRewards::Of(&a)->AffectedNodes.isFrozen());
  EXPECT_FALSE(b.IsPVRateDSAllocated());
  EXPECT_EQ(KavrinActionRewards::Empty()->AffectedRateWorkers, nullptr);
}

// An action reading another's record neither releases nor frees it, whichever of the two is
// destroyed first; the owner frees its impulse worker tables with its record. A double free, a
// leak or a read of the freed record would show under the sanitizers.
TEST(ActionRewardStructures, ASharedRecordIsFreedOnceByItsOwner) {
  auto* owner = new BaseActionClass;
  owner->AllocatePVRateDS(2);
  owner->AllocatePVImpulseDS(2);
  KavrinActionRewards* record = KavrinActionRewards::Of(owner);
  record->AllocateImpulseWorkerTables(1, 3);
  record->AffectedImpulseWorkers[1][2] = new int[4];
  record->NumAffectedImpulseWorkers[1][2] = 4;
  {
    BaseActionClass reader;
    KavrinActionRewards::Share(&reader, record);
    EXPECT_FALSE(KavrinActionRewards::Owned(&reader));
    EXPECT_TRUE(reader.IsPVRateDSAllocated());
    EXPECT_TRUE(reader.IsPVImpulseDSAllocated());
    reader.DeallocatePVRateDS();
    reader.DeallocatePVImpulseDS();
    EXPECT_TRUE(reader.IsPVRateDSAllocated());  // not its own: left alone
  }
  EXPECT_TRUE(owner->IsPVRateDSAllocated());
  EXPECT_EQ(record->NumAffectedImpulseWorkers[1][2], 4);

  BaseActionClass late;
  KavrinActionRewards::Share(&late, record);
  delete owner;  // the reader outlives the record: its destructor must not look at it
  KavrinActionRewards::Share(&late, nullptr);
  EXPECT_EQ(KavrinActionRewards::Of(&late), KavrinActionRewards::Empty());
}

// A record with one structure of its own reads the other from a second record: releasing it
// frees only its own arrays, and sharing over arrays of its own is refused.
TEST(ActionRewardStructures, ArraysReadFromAnotherRecordAreNotFreed) {
  KavrinActionRewards none;
  none.AllocateRate(2);
  none.AllocateImpulse(2);
  {
    KavrinActionRewards rateOnly;
    rateOnly.AllocateRate(2);
    rateOnly.ShareImpulseFrom(none);
    EXPECT_EQ(rateOnly.AffectedImpulseRewards, none.AffectedImpulseRewards);
    EXPECT_EQ(rateOnly.NumAffectedImpulseWorkers, none.NumAffectedImpulseWorkers);
    rateOnly.DeallocateImpulse();
    EXPECT_FALSE(rateOnly.IsImpulseAllocated());
    rateOnly.ShareImpulseFrom(none);
  }  // destroyed while still reading none's impulse arrays
  EXPECT_TRUE(none.AffectedImpulseRewards[1].empty());
  KavrinActionRewards own;
  own.AllocateRate(1);
  EXPECT_DEATH(own.ShareRateFrom(none), "!! Assertion failed in file KavrinActionRewards, line ");
}

}  // namespace

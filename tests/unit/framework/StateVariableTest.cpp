#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"

namespace {

std::set<BaseActionClass*> asSet(List<BaseActionClass>* l) {
  std::set<BaseActionClass*> s;
  for (int i = 0; i < l->getNumItems(); i++) s.insert((*l)[i]);
  return s;
}

// A marking travels as the native bytes of a short: one place's image restores another's marking.
TEST(PlaceBasics, RawStateCarriesTheMarkingFromOnePlaceToAnother) {
  Place p("P", 3);
  ASSERT_EQ(p.StateSize(), static_cast<int>(sizeof(short)));
  unsigned char buf[sizeof(short)];
  std::memset(buf, 0xAA, sizeof buf);
  p.CurrentState(buf);
  short v;
  std::memcpy(&v, buf, sizeof v);
  EXPECT_EQ(v, 3);

  Place q("Q", -12);
  q.SetState(buf);
  EXPECT_EQ(q.Mark(), 3);
  short big = 32767;
  q.SetState(&big);
  EXPECT_EQ(q.Mark(), big);
  EXPECT_EQ(p.Mark(), 3);  // the image was copied, not shared

  std::ostringstream out;
  q.printState(&out);
  q.printStateVal(&out);
  EXPECT_EQ(out.str(), "Q = 32767\n32767");
}

TEST(PlaceBasics, ExtendedPlaceHoldsAnIntMarking) {
  ExtendedPlace<int> e("3", "SCHEDULER", 70000);
  EXPECT_EQ(e.StateSize(), 4);
  EXPECT_EQ(e.getSharingCount(), 2);
  EXPECT_EQ(e.Mark(), 70000);
  int buf = 0;
  e.CurrentState(&buf);
  EXPECT_EQ(buf, 70000);
  EXPECT_STREQ(e.getFullyQualifiedName(), "SCHEDULER.3");
}

TEST(PlaceBasics, FullyQualifiedNameFollowsNameAndPrefix) {
  Place x("x", 0);
  EXPECT_STREQ(x.getFullyQualifiedName(), "x");
  x.SetPrefix("Sub");
  EXPECT_STREQ(x.getFullyQualifiedName(), "Sub.x");
  x.SetName("y");
  EXPECT_STREQ(x.getFullyQualifiedName(), "Sub.y");
}

TEST(PlaceBasics, LeafListHoldsOnlyTheVariable) {
  Place x("x", 0);
  EXPECT_TRUE(x.isLeafNode());
  EXPECT_EQ(x.getNumLeafNodes(), 1);
  List<BaseStateVariableClass>* leaves = x.getLeafNodes();
  ASSERT_EQ(leaves->getNumItems(), 1);
  EXPECT_EQ((*leaves)[0], &x);
  delete leaves;
}

struct SharedPair : testing::Test {
  Place A{"A", 2};
  Place B{"B", 5};
  BaseActionClass a1, a2, a3;

  void SetUp() override {
    A.appendAffectingAction(&a1);
    A.appendAffectingAction(&a2);
    B.appendAffectingAction(&a2);
    B.appendAffectingAction(&a3);
    B.appendEnabledAction(&a3);
    a2.addAffectedSV(&B);
    a3.addAffectedSV(&B);
    a3.addEnablingSV(&B);
    A.ShareWith(&B);
  }
};

TEST_F(SharedPair, BothReadAndWriteOneCell) {
  EXPECT_EQ(A.Mark(), 5);
  EXPECT_EQ(B.Mark(), 5);
  A.setMark(9);
  EXPECT_EQ(B.Mark(), 9);
  B.Mark() = 4;
  EXPECT_EQ(A.getState(), 4);
  EXPECT_EQ(A.getSharingCount(), 4);
  EXPECT_FALSE(B.getStored());
  EXPECT_TRUE(B.getShared());
  EXPECT_TRUE(A.getShared());
  EXPECT_EQ(B.getHead(), nullptr);
  EXPECT_EQ(B.getLeader(), &A);
}

TEST_F(SharedPair, ActionListsAreUnitedAndActionsNameTheLeader) {
  EXPECT_EQ(A.getAffectingActions(), B.getAffectingActions());
  EXPECT_EQ(A.getEnabledActions(), B.getEnabledActions());
  EXPECT_EQ(A.getNumAffectingActions(), 3);
  EXPECT_EQ(asSet(A.getAffectingActions()), (std::set<BaseActionClass*>{&a1, &a2, &a3}));
  ASSERT_EQ(a3.getNumAffectedSVs(), 1);
  EXPECT_EQ(a3.getAffectedSV(0), &A);
  EXPECT_EQ(a3.getEnablingSV(0), &A);

  BaseActionClass a4;
  B.appendAffectingAction(&a4);  // absorbed: the leader keeps the list
  EXPECT_EQ(A.getNumAffectingActions(), 3);
  A.appendAffectingAction(&a4);
  EXPECT_EQ(B.getNumAffectingActions(), 4);
}

TEST_F(SharedPair, SharingAgainChangesNothing) {
  A.ShareWith(&B);
  B.ShareWith(&A);
  A.ShareWith(&A);
  EXPECT_EQ(A.getSharingCount(), 4);
  A.setMark(1);
  EXPECT_EQ(B.Mark(), 1);
  EXPECT_EQ(A.getNumAffectingActions(), 3);
}

TEST(Sharing, ChainOfThreeKeepsEveryPointerOnTheLeadersCell) {
  Place A("A", 1), B("B", 2), C("C", 3), D("D", 4);
  A.ShareWith(&B);  // A leads A, B
  C.ShareWith(&D);  // C leads C, D
  B.ShareWith(&D);  // both absorbed: the larger chain's leader absorbs the other leader
  Place* leaders[] = {&A, &C};
  int leaderCount = 0;
  for (Place* p : leaders)
    if (p->getStored()) leaderCount++;
  EXPECT_EQ(leaderCount, 1);
  A.setMark(11);
  EXPECT_EQ(B.Mark(), 11);
  EXPECT_EQ(C.Mark(), 11);
  EXPECT_EQ(D.Mark(), 11);
  Place* lead = A.getStored() ? &A : &C;
  for (Place* p : {&A, &B, &C, &D}) EXPECT_EQ(p->findLeader(), lead);
  EXPECT_EQ(lead->getSharingCount(), 8);
  // Sharing through a variable absorbed in an earlier round still reaches the same cell.
  Place E("E", 0);
  D.ShareWith(&E);
  E.Mark() = 12;
  EXPECT_EQ(B.Mark(), 12);
}

TEST(Sharing, RegisteredPointerFollowsTheCell) {
  Place A("A", 1), B("B", 2);
  short* view = nullptr;
  B.Register(&view);
  EXPECT_EQ(*view, 2);
  A.ShareWith(&B);
  *view = 8;
  EXPECT_EQ(A.Mark(), 8);
  short* late = nullptr;
  B.Register(&late);  // absorbed: the leader takes the record
  EXPECT_EQ(late, A.getPointer());
}

TEST(SharingDeath, SharingWithAnotherKindIsRefused) {
  Place p("p", 0);
  ExtendedPlace<int> e("e", 0);
  EXPECT_DEATH(p.share(&e), "!! Assertion failed in file SharableSV, line ");
}

TEST(RawState, HelpersCopyNativeBytes) {
  unsigned char buf[16];
  writeMemory<double>(2.5, buf + 1);  // unaligned on purpose
  double d = 0;
  readMemory2<double>(buf + 1, &d);
  EXPECT_EQ(d, 2.5);
  short values[3] = {1, -2, 3};
  writeArray<short>(values, buf + 3, 3);
  short back[3] = {};
  readArray<short>(back, buf + 3, 3);
  EXPECT_EQ(back[1], -2);
  bool flag = false;
  writeMemory<bool>(true, buf);
  readMemory2<bool>(buf, &flag);
  EXPECT_TRUE(flag);
}

}  // namespace

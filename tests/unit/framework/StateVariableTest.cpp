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
  // Back to no prefix, then renamed: the qualified name follows each change.
  x.SetPrefix("");
  EXPECT_STREQ(x.getFullyQualifiedName(), "y");
  x.SetName("default");
  EXPECT_STREQ(x.getFullyQualifiedName(), "default");
  x.SetName("z");
  EXPECT_STREQ(x.getName(), "z");
  EXPECT_STREQ(x.getFullyQualifiedName(), "z");
  EXPECT_STREQ(x.getPrefix(), "");
  Place unnamed;
  EXPECT_STREQ(unnamed.getFullyQualifiedName(), "default");
  unnamed.SetPrefix("P");
  EXPECT_STREQ(unnamed.getFullyQualifiedName(), "P.default");
}

// Markings live side by side in shared blocks; each place still has a cell of its own, and a
// cell given back by a destroyed place serves the next one without disturbing the others.
TEST(PlaceBasics, MarkingsStayApartWhenCellsAreReused) {
  std::vector<Place*> places;
  for (int i = 0; i < 3000; i++) places.push_back(new Place("p", static_cast<short>(i)));
  ExtendedPlace<int> wide("w", 70000);
  for (int i = 0; i < 3000; i++) EXPECT_EQ(places[i]->getMark(), static_cast<short>(i));
  delete places[10];
  places[10] = new Place("again", -5);
  for (int i = 0; i < 3000; i++) places[i]->Mark()++;
  EXPECT_EQ(places[10]->getMark(), -4);
  EXPECT_EQ(places[11]->getMark(), 12);
  EXPECT_EQ(places[2999]->getMark(), 3000);
  EXPECT_EQ(wide.getMark(), 70000);
  for (Place* p : places) delete p;
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

// Joining two chains that each had absorbed a variable: all four variables answer one affecting
// and one enabling list (the leader's own, the others borrow it) holding every action any of them
// listed, and a pointer registered on any of them before the join follows the one cell.
TEST(Sharing, JoinedChainsReadOneListAndOneCell) {
  Place A("A", 1), B("B", 2), C("C", 3), D("D", 4);
  BaseActionClass x[4], e;
  Place* all[] = {&A, &B, &C, &D};
  short* marks[4] = {nullptr, nullptr, nullptr, nullptr};
  for (int i = 0; i < 4; i++) {
    all[i]->appendAffectingAction(&x[i]);
    all[i]->Register(&marks[i]);
  }
  D.appendEnabledAction(&e);
  A.ShareWith(&B);
  C.ShareWith(&D);
  B.ShareWith(&D);
  Place* lead = A.getStored() ? &A : &C;
  int borrowers = 0;
  for (Place* p : all) {
    EXPECT_EQ(p->getAffectingActions(), lead->getAffectingActions()) << p->getName();
    EXPECT_EQ(p->getEnabledActions(), lead->getEnabledActions()) << p->getName();
    if (p->borrowsLists()) borrowers++;
  }
  EXPECT_EQ(borrowers, 3);
  EXPECT_FALSE(lead->borrowsLists());
  EXPECT_EQ(asSet(lead->getAffectingActions()), (std::set<BaseActionClass*>{&x[0], &x[1], &x[2], &x[3]}));
  EXPECT_EQ(asSet(B.getEnabledActions()), (std::set<BaseActionClass*>{&e}));
  *marks[3] = 17;
  for (short* m : marks) EXPECT_EQ(*m, 17);
  // The leader's chain: the three places it absorbed, and one record per pointer registered here;
  // each place's own marking view is counted but follows through the chain of places.
  std::set<BaseStateVariableClass*> members;
  for (SharableSV<short>* m = lead->getNextMember(); m != nullptr; m = m->getNextMember()) members.insert(m);
  int records = 0;
  for (SharedPointer<short>* r = lead->getHead(); r != nullptr; r = r->getNeighbor(), records++)
    EXPECT_EQ(*r->getPointer(), lead->getPointer());
  EXPECT_EQ(records, 4);
  EXPECT_EQ(lead->getSharingCount(), 12);
  std::set<BaseStateVariableClass*> others{&A, &B, &C, &D};
  others.erase(lead);
  EXPECT_EQ(members, others);
  for (Place* p : all) EXPECT_EQ(&p->Mark(), lead->getPointer());
  BaseActionClass late;
  D.appendEnabledAction(&late);  // through a borrower: the one list grows
  EXPECT_EQ(A.getNumEnabledActions(), 2);
}

// Joined variables free only what they own: deleting them leader first or absorbed first leaves
// nothing behind and reads nothing freed (the sanitizer build checks both).
TEST(Sharing, JoinedVariablesAreDestroyedInAnyOrder) {
  for (int order = 0; order < 3; order++) {
    Place* p[3];
    for (int i = 0; i < 3; i++) p[i] = new Place("P", static_cast<short>(i));
    BaseActionClass a;
    p[2]->appendAffectingAction(&a);
    p[0]->ShareWith(p[1]);
    p[1]->ShareWith(p[2]);
    ASSERT_EQ(p[2]->getNumAffectingActions(), 1);
    ASSERT_TRUE(p[0]->getStored());
    const int sequence[3][3] = {{0, 1, 2}, {2, 1, 0}, {1, 0, 2}};
    for (int k = 0; k < 3; k++) delete p[sequence[order][k]];
  }
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

// A composite that forgets to hand out its leaves would bounce between the action and the base
// for ever; the base stops it with an internal check instead.
TEST(CompositeDeath, CompositeWithoutItsOwnSplittingIsRefused) {
  struct Unsplit : BaseStateVariableClass {
    int StateSize() override { return 0; }
    void SetState(void*) override {}
    void CurrentState(void*) override {}
    void share(BaseStateVariableClass*) override {}
    bool isLeafNode() override { return false; }
  } composite;
  BaseActionClass action;
  EXPECT_DEATH(action.addEnablingSV(&composite), "!! Assertion failed in file BaseStateVariableClass, line ");
  EXPECT_DEATH(action.addAffectedSV(&composite), "!! Assertion failed in file BaseStateVariableClass, line ");
  EXPECT_DEATH(action.removeEnablingSV(&composite),
               "!! Assertion failed in file BaseStateVariableClass, line ");
  EXPECT_DEATH(action.removeAffectedSV(&composite),
               "!! Assertion failed in file BaseStateVariableClass, line ");
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

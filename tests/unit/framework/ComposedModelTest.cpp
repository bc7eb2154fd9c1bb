// Composed models built by hand from the three-place test model: copies joined by sharing, a join
// over a replicate, and what the simulator reads from them (actions, groups and their numbers, the
// state image, listing by model name and by instance path). Expected sizes and layouts are counted
// by hand from the models: each copy has places A, B, C of two bytes; only A is shared.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "BaseClasses/Composed/JoinModelClass.h"
#include "BaseClasses/Composed/RepModelClass.h"
#include "BaseClasses/List.h"
#include "FrameworkTestModels.h"

namespace {

// Three copies sharing A, as a generated replicate builds them.
class ThreeCopies : public RepModelClass {
 public:
  std::vector<ThreePlacesSAN*> Copies;
  explicit ThreeCopies(const std::string& path) : RepModelClass(path.c_str()) {
    std::vector<BaseStateVariableClass*> shared;
    for (int k = 0; k < 3; k++) {
      Copies.push_back(new ThreePlacesSAN());
      Adopt(Copies.back(), path + "[" + std::to_string(k) + "]");
      shared.push_back(Copies.back()->A);
    }
    Share(shared);
    Export("A", Copies[0]->A);
    Finish();
  }
};

TEST(ComposedModel, ReplicateSharesOnePlaceAndKeepsTheOthers) {
  ThreeCopies rep("Farm.Server");
  EXPECT_EQ(rep.GetModelType(), RepModel);
  EXPECT_EQ(rep.GetNumberOfChildren(), 3);
  ASSERT_EQ(rep.getNumActions(), 3);
  ASSERT_EQ(rep.getNumGroups(), 3);
  for (int k = 0; k < 3; k++) {
    EXPECT_EQ(rep.getActionList()[k], &rep.Copies[k]->Move);
    EXPECT_EQ(rep.getGroupList()[k], &rep.Copies[k]->Move);
    // Each copy numbered its Move 0; in the replicate it is the unit at index k.
    EXPECT_EQ(rep.getActionList()[k]->getGroupId(), k);
    EXPECT_EQ(rep.Copies[k]->getParentId(), rep.getId());
  }
  // One cell: a token taken in one copy is gone in all, and the cell's enabled list holds every
  // copy's Move, so the firing of one reschedules the others.
  rep.Copies[0]->A->Mark() = 5;
  EXPECT_EQ(rep.Copies[2]->A->Mark(), 5);
  EXPECT_EQ(rep.Copies[1]->A->getNumEnabledActions(), 3);
  // B and C of three copies, then the shared A once: 7 places of 2 bytes.
  ASSERT_EQ(rep.StateSize(), 14);
  rep.Copies[1]->B->Mark() = 9;
  short image[7];
  rep.CurrentState(image);
  const short expected[7] = {2, 3, 9, 3, 2, 3, 5};
  EXPECT_EQ(std::memcmp(image, expected, sizeof image), 0);
  short changed[7];
  rep.Copies[2]->C->Mark() = -4;
  rep.Copies[0]->A->Mark() = 1;
  rep.CurrentState(changed);
  EXPECT_FALSE(rep.CompareState(image, changed));
  rep.SetState(image);
  EXPECT_EQ(rep.Copies[2]->C->Mark(), 3);
  EXPECT_EQ(rep.Copies[1]->A->Mark(), 5);
  EXPECT_TRUE(rep.CompareState(image, image));
}

// Five copies with different markings joined (in pairs, then pairs of pairs): one cell, holding the
// first copy's marking, read and watched by every copy.
TEST(ComposedModel, SharingKeepsTheFirstMarking) {
  RepModelClass rep("Five");
  std::vector<ThreePlacesSAN*> copies;
  std::vector<BaseStateVariableClass*> places;
  for (int k = 0; k < 5; k++) {
    copies.push_back(new ThreePlacesSAN());
    copies.back()->A->Mark() = static_cast<short>(10 + k);
    rep.Adopt(copies.back(), "Five[" + std::to_string(k) + "]");
    places.push_back(copies.back()->A);
  }
  rep.Share(places);
  rep.Finish();
  for (ThreePlacesSAN* c : copies) EXPECT_EQ(c->A->Mark(), 10);
  copies[3]->A->Mark() = 2;
  EXPECT_EQ(copies[0]->A->Mark(), 2);
  EXPECT_EQ(copies[4]->A->getNumEnabledActions(), 5);
  EXPECT_EQ(rep.StateSize(), 5 * 4 + 2);
}

TEST(ComposedModel, ModelsAreFoundByNameOrByPath) {
  ThreeCopies rep("Farm.Server");
  List<BaseModelClass> all;
  rep.listModels("ThreePlaces", &all);
  EXPECT_EQ(all.getNumItems(), 3);
  List<BaseModelClass> one;
  rep.listModels("Farm.Server[1]", &one);
  ASSERT_EQ(one.getNumItems(), 1);
  EXPECT_EQ(one.getItem(0), rep.Copies[1]);
  List<BaseStateVariableClass> vars;
  List<BaseModelClass> holders;
  rep.listSVs("Farm.Server[2]", "B", &vars, &holders);
  ASSERT_EQ(vars.getNumItems(), 1);
  EXPECT_EQ(vars.getItem(0), rep.Copies[2]->B);
  EXPECT_EQ(holders.getItem(0), rep.Copies[2]);
  List<BaseStateVariableClass> every;
  List<BaseModelClass> owners;
  rep.listSVs("ThreePlaces", "C", &every, &owners);
  EXPECT_EQ(every.getNumItems(), 3);
  List<BaseActionClass> moves;
  rep.listActions("Move", &moves);
  EXPECT_EQ(moves.getNumItems(), 3);
}

// A join of the replicate and one more copy sharing A with the replicate's shared A.
class Station : public JoinModelClass {
 public:
  ThreeCopies* Servers;
  ThreePlacesSAN* Extra;
  Station() : JoinModelClass("Station") {
    Servers = new ThreeCopies("Station.Server");
    Adopt(Servers, "Station.Server");
    Extra = new ThreePlacesSAN();
    Adopt(Extra, "Station.Extra");
    Share({Servers->Exported("A"), Extra->A});
    Finish();
  }
};

TEST(ComposedModel, JoinOverAReplicateNumbersEveryUnitOnce) {
  Station top;
  EXPECT_EQ(top.GetModelType(), JoinModel);
  ASSERT_EQ(top.getNumGroups(), 4);
  for (int k = 0; k < 4; k++) EXPECT_EQ(top.getActionList()[k]->getGroupId(), k);
  EXPECT_EQ(top.getActionList()[3], &top.Extra->Move);
  top.Extra->A->Mark() = 8;
  EXPECT_EQ(top.Servers->Copies[1]->A->Mark(), 8);
  EXPECT_EQ(top.Extra->A->getNumEnabledActions(), 4);
  // B and C of four copies and A once.
  EXPECT_EQ(top.StateSize(), 18);
  List<BaseModelClass> one;
  top.listModels("Station.Server[0]", &one);
  ASSERT_EQ(one.getNumItems(), 1);
  EXPECT_EQ(one.getItem(0), top.Servers->Copies[0]);
}

// What the description tool reads of a composed model's rewards: a submodel's name counts every
// instance of it however deep, a path one instance; only paths of nodes are instance paths.
TEST(ComposedModel, RewardScopesCountTheInstancesTheyName) {
  Station top;
  top.DescribeReward("up", "ThreePlaces", true);
  top.DescribeReward("first", "Station.Server[0]", false);
  ASSERT_EQ(top.RewardScopes().size(), 2u);
  EXPECT_EQ(top.RewardScopes()[0].Over, "ThreePlaces");
  EXPECT_TRUE(top.RewardScopes()[0].Average);
  EXPECT_FALSE(top.RewardScopes()[1].Average);
  EXPECT_EQ(top.CountInstances("ThreePlaces"), 4);  // three copies and the extra one
  EXPECT_EQ(top.CountInstances("Station.Server[2]"), 1);
  EXPECT_EQ(top.CountInstances("Station.Server[3]"), 0);
  EXPECT_TRUE(top.IsInstancePath("Station.Server[1]"));
  EXPECT_TRUE(top.IsInstancePath("Station.Extra"));
  EXPECT_TRUE(top.IsInstancePath("Station.Server"));
  EXPECT_FALSE(top.IsInstancePath("ThreePlaces"));
  EXPECT_FALSE(top.IsInstancePath("Station"));
}

}  // namespace

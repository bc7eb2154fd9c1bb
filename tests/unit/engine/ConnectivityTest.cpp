#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "Atomic/GPU_MODEL_ATOMIC_COMPOSITION/GPU_MODEL_ATOMIC_COMPOSITIONSAN.h"
#include "BaseClasses/BaseGroupClass.h"
#include "BaseClasses/SAN/Activity.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "Performance_Variables/PVModel.h"
#include "Simulator/ActionAffectsElement.h"
#include "Simulator/SimulatorClass.h"
#include "support/TestProcess.h"

// Lets a test make the next nothrow allocations fail, to see the builders report it: after
// g_failNothrowAfter successes every one fails, except that with g_failOneOnly set only that one
// fails and the count starts again from g_failNothrowAgain.
static int g_failNothrowAfter = -1;  // -1: never fail
static bool g_failOneOnly = false;
static int g_failNothrowAgain = -1;
static bool NothrowShouldFail() {
  if (g_failNothrowAfter < 0) return false;
  if (g_failNothrowAfter == 0) {
    if (g_failOneOnly) {
      g_failNothrowAfter = g_failNothrowAgain;
      g_failOneOnly = false;
    }
    return true;
  }
  g_failNothrowAfter--;
  return false;
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (NothrowShouldFail()) return nullptr;
  try {
    return ::operator new(n);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
  if (NothrowShouldFail()) return nullptr;
  try {
    return ::operator new[](n);
  } catch (...) {
    return nullptr;
  }
}

namespace {

// A reward model with no variables, just to hold an atomic model the way the simulator sees it.
class HoldingModel : public PVModel {
 public:
  explicit HoldingModel(BaseModelClass* atomic) {
    TheModel = atomic;
    GroupList = atomic->getGroupList();
    ActionList = atomic->getActionList();
    PVListOfActions = ActionList;
    NumActions = atomic->getNumActions();
    NumGroups = atomic->getNumGroups();
  }
  PerformanceVariableNode* createPVNode(int, int) override { return nullptr; }
};

// SIMTEST set to the value (unset for nullptr) for one scope.
class ScopedSimtest : public testproc::ScopedEnv {
 public:
  explicit ScopedSimtest(const char* value)
      : ScopedEnv("SIMTEST", value ? std::optional<std::string>(value) : std::nullopt) {}
};

std::vector<std::string> ListOf(BaseActionClass* a) {
  std::vector<std::string> names;
  for (ActionAffectsElement* c = a->Affects; c != nullptr; c = c->next())
    names.push_back(c->Action->getName());
  return names;
}

const char* G[8] = {"T_READ_TOTALGroup",   "T_WRITE_RESULTGroup", "COMPUTEGroup",    "T_READGroup",
                    "T_WRITE_OUTPUTGroup", "DISPATCHER",          "READ_TOTALGroup", "WRITE_TOGroup"};
using L = std::vector<std::string>;

// The lists of the carried model, action by action, for each builder (derived by hand from the
// arcs: the default builder prepends in discovery order from the firing action; the old builder
// discovers while walking the enabled actions, and prepends with SIMTEST 1 or appends with 0).
const std::vector<L> kDefault = {{G[0]},
                                 {G[0]},
                                 {G[3], G[1]},
                                 {G[3], G[1]},
                                 {G[2]},
                                 {G[2]},
                                 {G[1], G[3]},
                                 {G[1], G[3]},
                                 {G[4]},
                                 {G[4]},
                                 {G[2], G[7], G[6], G[5]},
                                 {G[0], G[6]},
                                 {G[6]},
                                 {G[3], G[1], G[7]},
                                 {G[4], G[7]}};
const std::vector<L> kOldMatrix = {{G[0]},
                                   {G[0]},
                                   {G[3], G[1]},
                                   {G[3], G[1]},
                                   {G[2]},
                                   {G[2]},
                                   {G[3], G[1]},
                                   {G[3], G[1]},
                                   {G[4]},
                                   {G[4]},
                                   {G[7], G[6], G[5], G[2]},
                                   {G[6], G[0]},
                                   {G[6]},
                                   {G[7], G[3], G[1]},
                                   {G[7], G[4]}};
const std::vector<L> kOldAppend = {{G[0]},
                                   {G[0]},
                                   {G[1], G[3]},
                                   {G[1], G[3]},
                                   {G[2]},
                                   {G[2]},
                                   {G[1], G[3]},
                                   {G[1], G[3]},
                                   {G[4]},
                                   {G[4]},
                                   {G[2], G[5], G[6], G[7]},
                                   {G[0], G[6]},
                                   {G[6]},
                                   {G[1], G[3], G[7]},
                                   {G[4], G[7]}};

class CarriedModelConnectivity : public ::testing::Test {
 protected:
  HoldingModel holder{new GPU_MODEL_ATOMIC_COMPOSITIONSAN()};
  SimulatorClass sim{SimulatorClass::BareTag{}};

  void SetUp() override {
    sim.TheModel = &holder;
    sim.GroupList = holder.getGroupList();
  }
  void TearDown() override {
    sim.DestructConnectivityList();
    for (int i = 0; i < holder.getNumActions(); i++) EXPECT_EQ(holder.getActionList()[i]->Affects, nullptr);
    sim.TheModel = nullptr;
    sim.GroupList = nullptr;
  }
  void ExpectLists(const std::vector<L>& expected) {
    for (int i = 0; i < 15; i++) {
      BaseActionClass* a = holder.getActionList()[i];
      EXPECT_EQ(ListOf(a), expected[i]) << a->getName();
    }
  }
};

TEST_F(CarriedModelConnectivity, DefaultBuilderWhateverSimtestSays) {
  ScopedSimtest env("0");
  EXPECT_EQ(sim.GenerateConnectivityList(), 0);
  ExpectLists(kDefault);
}

TEST_F(CarriedModelConnectivity, OldBuilderWithTheMatrixPrepends) {
  ScopedSimtest env("1");
  EXPECT_EQ(sim.GenerateConnectivityListOld(), 0);
  ExpectLists(kOldMatrix);
}

TEST_F(CarriedModelConnectivity, OldBuilderTreatsUnsetSimtestAsOne) {
  ScopedSimtest env(nullptr);
  EXPECT_EQ(sim.GenerateConnectivityListOld(), 0);
  ExpectLists(kOldMatrix);
}

TEST_F(CarriedModelConnectivity, OldBuilderWithoutTheMatrixAppendsInDiscoveryOrder) {
  ScopedSimtest env("0");
  EXPECT_EQ(sim.GenerateConnectivityListOld(), 0);
  ExpectLists(kOldAppend);
}

// The Windows C runtime keeps no variable with an empty value (setting one removes it).
#ifdef _WIN32
constexpr bool kNoEmptyVariables = true;
#else
constexpr bool kNoEmptyVariables = false;
#endif

TEST_F(CarriedModelConnectivity, StartupChoiceFollowsSimtest) {
  struct Choice {
    const char* simtest;
    const char* printed;
    const std::vector<L>* lists;
  };
  const Choice choices[] = {{nullptr, "GenerateConnectivityList()\n", &kDefault},
                            {"2", "GenerateConnectivityList()\n", &kDefault},
                            {"1", "GenerateConnectivityListOld()\n", &kOldMatrix},
                            {"0", "GenerateConnectivityListOld()\n", &kOldAppend},
                            // Set but empty reads as 0.
                            {"", "GenerateConnectivityListOld()\n", &kOldAppend}};
  for (const Choice& c : choices) {
    if (kNoEmptyVariables && c.simtest && !*c.simtest) continue;
    ScopedSimtest env(c.simtest);
    testing::internal::CaptureStdout();
    EXPECT_EQ(sim.BuildConnectivityLists(), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.printed);
    ExpectLists(*c.lists);
    sim.DestructConnectivityList();
  }
}

// A value that is not a number still reads as atoi reads it (0 for "" and "abc", 1 for " 1x"),
// builds what that number builds, and says so on standard error; numbers say nothing.
TEST_F(CarriedModelConnectivity, SimtestThatIsNotANumberIsWarnedAboutAndKeepsItsReading) {
  struct Case {
    const char* simtest;
    const char* warning;  // empty: none
    const std::vector<L>* lists;
  };
  const Case cases[] = {{"", "Warning: SIMTEST=\"\" is not a number; it counts as 0\n", &kOldAppend},
                        {"abc", "Warning: SIMTEST=\"abc\" is not a number; it counts as 0\n", &kOldAppend},
                        {" 1x", "Warning: SIMTEST=\" 1x\" is not a number; it counts as 1\n", &kOldMatrix},
                        {" +2", "", &kDefault},
                        {"0", "", &kOldAppend}};
  for (const Case& c : cases) {
    if (kNoEmptyVariables && c.simtest && !*c.simtest) continue;
    ScopedSimtest env(c.simtest);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(sim.BuildConnectivityLists(), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.warning) << "SIMTEST '" << c.simtest << "'";
    ExpectLists(*c.lists);
    sim.DestructConnectivityList();
  }
}

// The start-up's builder leaves each list in consecutive cells of one block, in action order,
// with the same order and the same printout as the cells pushed one by one (the way the builder
// goes when it finds no room for the block).
TEST_F(CarriedModelConnectivity, StartUpListsAreCompactedWithoutChangingThem) {
  g_failNothrowAfter = 1;  // the builder's block
  g_failOneOnly = true;
  ASSERT_EQ(sim.GenerateConnectivityList(), 0);
  ASSERT_EQ(sim.AffectsBlock, nullptr);
  std::ostringstream linked;
  sim.PrintConnectivityList(&linked);
  sim.DestructConnectivityList();

  ScopedSimtest env(nullptr);
  testing::internal::CaptureStdout();
  ASSERT_EQ(sim.BuildConnectivityLists(), 0);
  testing::internal::GetCapturedStdout();
  ExpectLists(kDefault);
  std::ostringstream compacted;
  sim.PrintConnectivityList(&compacted);
  EXPECT_EQ(compacted.str(), linked.str());
  const ActionAffectsElement* expectedStart = holder.getActionList()[0]->Affects;
  for (int i = 0; i < 15; i++) {
    const ActionAffectsElement* cell = holder.getActionList()[i]->Affects;
    EXPECT_EQ(cell, expectedStart) << i;
    for (; cell->next() != nullptr; cell = cell->next()) EXPECT_EQ(cell->next(), cell + 1);
    EXPECT_EQ(cell[1].Action, nullptr) << i;  // the end cell
    expectedStart = cell + 2;
  }
  // One list cleared early, and a cell pushed later on another: teardown frees each exactly once.
  sim.ClearActionAffectsList(holder.getActionList()[3]);
  EXPECT_EQ(holder.getActionList()[3]->Affects, nullptr);
  EXPECT_EQ(sim.AddActionAffects(holder.getGroupList()[0], holder.getActionList()[4]), 0);
}

// Without room for the block the linked cells stay in use.
// Without room for one block the builder pushes a cell per entry, and when compaction finds no
// room either, those cells stay in use.
TEST_F(CarriedModelConnectivity, CompactionWithoutMemoryKeepsTheLinkedLists) {
  ScopedSimtest env(nullptr);
  g_failNothrowAfter = 1;  // the stamp array succeeds, the builder's block fails,
  g_failOneOnly = true;
  g_failNothrowAgain = 26;  // then 26 cells succeed and the compaction's block fails
  testing::internal::CaptureStdout();
  EXPECT_EQ(sim.BuildConnectivityLists(), 0);
  testing::internal::GetCapturedStdout();
  g_failNothrowAfter = -1;
  EXPECT_EQ(sim.AffectsBlock, nullptr);
  ExpectLists(kDefault);
}

TEST_F(CarriedModelConnectivity, OtherSimtestValuesBuildNothingAndWarn) {
  ScopedSimtest env("5");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(sim.BuildConnectivityLists(), 0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("SIMTEST=5"), std::string::npos);
  EXPECT_NE(err.find("results will be wrong"), std::string::npos);
  for (int i = 0; i < 15; i++) EXPECT_EQ(holder.getActionList()[i]->Affects, nullptr);
}

TEST_F(CarriedModelConnectivity, BuildersReportAFailedAllocation) {
  {
    g_failNothrowAfter = 0;  // the stamp array
    EXPECT_EQ(sim.GenerateConnectivityList(), 1);
    g_failNothrowAfter = 1;  // the block, then a list cell part-way through
    g_failOneOnly = true;
    g_failNothrowAgain = 5;
    EXPECT_EQ(sim.GenerateConnectivityList(), 1);
    g_failNothrowAfter = -1;
  }
  sim.DestructConnectivityList();
  for (const char* v : {"0", "1"}) {
    ScopedSimtest env(v);
    g_failNothrowAfter = 3;
    EXPECT_EQ(sim.GenerateConnectivityListOld(), 1) << "SIMTEST " << v;
    g_failNothrowAfter = -1;
    sim.DestructConnectivityList();
  }
  ScopedSimtest env("1");
  g_failNothrowAfter = 0;  // the matrix
  EXPECT_EQ(sim.GenerateConnectivityListOld(), 1);
  g_failNothrowAfter = -1;
}

TEST_F(CarriedModelConnectivity, PrintShowsModelActionAndGroupNumbers) {
  ASSERT_EQ(sim.GenerateConnectivityList(), 0);
  BaseActionClass* dispatcher = holder.getActionList()[10];
  BaseModelClass* atomic = holder.getTheModel();
  std::ostringstream out;
  sim.PrintConnectivityList(&out);
  auto describe = [&](BaseActionClass* a) {
    return std::string(atomic->getName()) + "(" + std::to_string(atomic->getId()) + ")->" + a->getName() +
           " (" + std::to_string(a->getID()) + ")";
  };
  auto* san = static_cast<GPU_MODEL_ATOMIC_COMPOSITIONSAN*>(atomic);
  std::string expected = "Action: " + describe(dispatcher) + "\nChecking my Affects\n" + "    " +
                         describe(&san->COMPUTEGroup) + "\n" + "    " + describe(&san->WRITE_TOGroup) + "\n" +
                         "    " + describe(&san->READ_TOTALGroup) + "\n" + "    " + describe(dispatcher) +
                         "\n";
  EXPECT_NE(out.str().find(expected), std::string::npos) << out.str();
  EXPECT_EQ(out.str().rfind("Action: ", 0), 0u);
}

// A model of two lone activities: A is enabled by P and changes nothing; B changes P.
class TinyActivity : public Activity {
 public:
  explicit TinyActivity(const char* name, int gid) {
    ActivityInitialize(name, gid, Instantaneous, RaceEnabled, 0, 0, false);
  }
  bool Enabled() override { return false; }
  BaseActionClass* Fire() override { return this; }
  void LinkVariables() override {}
};

class TinyModel : public SANModel {
 public:
  TinyActivity A{"A", 0};
  TinyActivity B{"B", 1};
  Place* P;
  TinyModel() {
    P = new Place("P", 0);
    BaseStateVariableClass* places[1] = {P};
    Activity* actions[2] = {&A, &B};
    BaseGroupClass* groups[2] = {&A, &B};
    initializeSANModelNow("Tiny", 1, places, 0, nullptr, 2, actions, 2, groups);
    AddAffectArc(P, &B);
    AddEnableArc(P, &A);
  }
  ~TinyModel() override { delete P; }
};

TEST(TinyModelConnectivity, AnActionThatChangesNothingListsOnlyItsOwnGroup) {
  auto* tiny = new TinyModel();
  HoldingModel holder(tiny);
  SimulatorClass sim{SimulatorClass::BareTag{}};
  sim.TheModel = &holder;
  sim.GroupList = holder.getGroupList();
  struct Variant {
    const char* simtest;
    bool old;
    L listOfB;
  };
  const Variant variants[] = {{"2", false, {"A", "B"}}, {"1", true, {"B", "A"}}, {"0", true, {"A", "B"}}};
  for (const Variant& v : variants) {
    ScopedSimtest env(v.simtest);
    EXPECT_EQ(v.old ? sim.GenerateConnectivityListOld() : sim.GenerateConnectivityList(), 0);
    EXPECT_EQ(ListOf(&tiny->A), L{"A"}) << v.simtest;
    EXPECT_EQ(ListOf(&tiny->B), v.listOfB) << v.simtest;
    sim.DestructConnectivityList();
  }
  sim.TheModel = nullptr;
  sim.GroupList = nullptr;
}

TEST(AddActionAffectsTest, PrependsFreelyAndAppendsWithoutDuplicates) {
  TinyActivity owner("owner", 0), x("x", 0), y("y", 0);
  SimulatorClass sim{SimulatorClass::BareTag{}};
  EXPECT_EQ(sim.AddActionAffects(&x, &owner), 0);
  EXPECT_EQ(sim.AddActionAffects(&y, &owner), 0);
  EXPECT_EQ(sim.AddActionAffects(&x, &owner), 0);
  EXPECT_EQ(ListOf(&owner), (L{"x", "y", "x"}));
  sim.ClearActionAffectsList(&owner);
  EXPECT_EQ(owner.Affects, nullptr);
  EXPECT_EQ(sim.AddActionAffectsOld(&x, &owner), 0);
  EXPECT_EQ(sim.AddActionAffectsOld(&y, &owner), 0);
  EXPECT_EQ(sim.AddActionAffectsOld(&x, &owner), 0);
  EXPECT_EQ(ListOf(&owner), (L{"x", "y"}));
  sim.ClearActionAffectsList(&owner);
}

}  // namespace

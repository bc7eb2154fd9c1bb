#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "BaseClasses/SAN/SANModel.h"
#include "FrameworkTestModels.h"
#include "tests/models/steptest/StepTestModel.h"

namespace {

std::vector<short> image(SANModel& m) {
  std::vector<short> v(static_cast<size_t>(m.StateSize()) / 2);
  m.CurrentState(v.data());
  return v;
}

TEST(ModelIdentity, IdsCountModelsAndParentStartsAsSelf) {
  ThreePlacesSAN first;
  ThreePlacesSAN second;
  EXPECT_EQ(second.getId(), first.getId() + 1);
  EXPECT_EQ(first.getParentId(), first.getId());
  EXPECT_STREQ(first.getName(), "ThreePlaces");
  EXPECT_EQ(first.GetModelType(), AtomicModel);
  EXPECT_EQ(first.GetNumberOfChildren(), 0);
  EXPECT_EQ(first.Move.TheModel, &first);
  first.SetParentId(42);
  EXPECT_EQ(first.getParentId(), 42);
}

TEST(ModelStateImage, SaveRestoreAndCompare) {
  ThreePlacesSAN m;
  EXPECT_EQ(m.StateSize(), 6);
  EXPECT_TRUE(m.HasLocalState());
  std::vector<short> saved = image(m);
  EXPECT_EQ(saved, (std::vector<short>{1, 2, 3}));

  m.Move.Fire();
  std::vector<short> after = image(m);
  EXPECT_EQ(after, (std::vector<short>{0, 3, 3}));
  EXPECT_FALSE(m.CompareState(saved.data(), after.data()));
  EXPECT_TRUE(m.CompareState(saved.data(), saved.data()));

  m.SetState(saved.data());
  EXPECT_EQ(m.A->Mark(), 1);
  EXPECT_EQ(m.B->Mark(), 2);
  m.SetState(saved.data());  // loading the same image twice changes nothing
  EXPECT_EQ(image(m), saved);
}

TEST(ModelStateImage, SharedVariablesLeaveTheImageToTheirLeader) {
  ThreePlacesSAN m;
  m.A->ShareWith(m.B);  // B absorbed: its bytes go with A
  EXPECT_EQ(m.StateSize(), 4);
  std::vector<short> v(2);
  m.CurrentState(v.data());
  EXPECT_EQ(v, (std::vector<short>{2, 3}));
  m.C->Mark() = 0;
  m.SetState(v.data());
  EXPECT_EQ(m.C->Mark(), 3);

  base_action_list_t global, local;
  m.GetGlobalActions(global);
  m.GetLocalActions(local);
  EXPECT_EQ(std::vector<BaseActionClass*>(global.begin(), global.end()),
            (std::vector<BaseActionClass*>{&m.Move}));
  EXPECT_TRUE(local.empty());
}

TEST(ModelStateImage, AllSharedMeansNoLocalState) {
  ThreePlacesSAN m;
  m.A->setStored(false);
  m.B->setStored(false);
  m.C->setStored(false);
  EXPECT_FALSE(m.HasLocalState());
  m.A->setStored(true);  // lets the destructor free what it owns
  m.B->setStored(true);
  m.C->setStored(true);
}

TEST(ModelListing, ByNameAndInModelOrder) {
  ThreePlacesSAN m;
  List<BaseActionClass> actions;
  m.listActions(&actions);
  ASSERT_EQ(actions.getNumItems(), 1);
  List<BaseActionClass> named;
  m.listActions("Move", &named);
  EXPECT_EQ(named.getNumItems(), 1);
  m.listActions("Nope", &named);
  EXPECT_EQ(named.getNumItems(), 1);

  List<BaseStateVariableClass> svs;
  List<BaseModelClass> models;
  m.listSVs("Other", "A", &svs, &models);
  EXPECT_EQ(svs.getNumItems(), 0);
  m.listSVs("ThreePlaces", "B", &svs, &models);
  ASSERT_EQ(svs.getNumItems(), 1);
  EXPECT_EQ(svs[0], m.B);
  EXPECT_EQ(models[0], &m);

  List<BaseModelClass> found;
  m.listModels("ThreePlaces", &found);
  m.listModels("Else", &found);
  EXPECT_EQ(found.getNumItems(), 1);

  base_action_list_t local;
  m.GetLocalActions(local);
  EXPECT_EQ(std::vector<BaseActionClass*>(local.begin(), local.end()),
            (std::vector<BaseActionClass*>{&m.Move}));
}

// Two activities with the same name: only the first is listed.
class TwinSAN : public SANModel {
 public:
  ScriptedActivity first{"Twin", true, 1.0, 0};
  ScriptedActivity second{"Twin", true, 1.0, 0};
  Place p{"p", 0};
  TwinSAN() {
    BaseStateVariableClass* places[1] = {&p};
    Activity* acts[2] = {&first, &second};
    BaseGroupClass* groups[2] = {&first, &second};
    initializeSANModelNow("Twins", 1, places, 0, nullptr, 2, acts, 2, groups);
  }
};

TEST(ModelListing, FirstActionWithTheName) {
  TwinSAN m;
  List<BaseActionClass> named;
  m.listActions("Twin", &named);
  ASSERT_EQ(named.getNumItems(), 1);
  EXPECT_EQ(named[0], &m.first);
  base_action_list_t local;
  m.GetLocalActions(local);  // reverse model order
  EXPECT_EQ(std::vector<BaseActionClass*>(local.begin(), local.end()),
            (std::vector<BaseActionClass*>{&m.second, &m.first}));
}

TEST(ModelPrinting, StateAndInfo) {
  ThreePlacesSAN m;
  std::ostringstream out;
  m.printState(&out);
  EXPECT_EQ(out.str(), "Model: (" + std::to_string(m.getId()) + ")ThreePlaces\n  A = 1\n  B = 2\n  C = 3\n");
  testing::internal::CaptureStdout();
  m.PrintSANModelInfo();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "SANModelInfo\n"
            "Number of Actions = 1, Number of Groups = 1, Number of State Variables = 3\n"
            "ActionName = Move\n"
            "Group Id = 0\n"
            "DistributionType = 1\n"
            "ExecutionPolicy = 1\n"
            "Number of affected state variables = 2\n"
            "Number of enabling state variables = 1\n"
            "\n"
            "Group Name = Move \n"
            "Place Name = A\n"
            "Place Name = B\n"
            "Place Name = C\n");
}

TEST(ModelDeath, BaseOnlyOperationsAbort) {
  ThreePlacesSAN m;
  EXPECT_DEATH(m.GetChild(0), "!! Assertion failed in file SANModel, line ");
  BaseModelClass* base = &m;
  EXPECT_DEATH(base->BaseModelClass::GetModelType(), "!! Assertion failed in file BaseModelClass, line ");
}

TEST(LocalStateHolder, HashCompareAndAssign) {
  ThreePlacesSAN m;
  State* s = nullptr;
  m.ConstructLocalState(s);
  auto* ls = static_cast<SANModel::LocalState*>(s);
  EXPECT_EQ(ls->size, 6);
  m.GetLocalState(s);
  std::vector<short> saved = image(m);
  EXPECT_EQ(std::memcmp(s->GetStatePtr(), saved.data(), 6), 0);

  // Bytes 1, 0, 2, 0, 3, 0 (little-endian shorts) weighted by 2, 3, 5, 7, 11, 13.
  EXPECT_EQ(s->hash(), 1 * 2 + 2 * 5 + 3 * 11);

  m.Move.Fire();
  State* t = nullptr;
  m.ConstructLocalState(t);
  m.GetLocalState(t);
  EXPECT_NE(s->compare(*t), 0);
  *t = *s;
  EXPECT_EQ(s->compare(*t), 0);
  m.SetLocalState(t);
  EXPECT_EQ(m.A->Mark(), 1);

  testing::internal::CaptureStdout();
  s->print();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "    1    0    2    0    3    0\n");
  m.DestructLocalState(s);
  m.DestructLocalState(t);
}

// The first n primes, by trial division.
std::vector<uint32_t> FirstPrimes(int n) {
  std::vector<uint32_t> found;
  for (uint32_t c = 2; static_cast<int>(found.size()) < n; c++) {
    bool prime = true;
    for (uint32_t p : found) prime = prime && c % p != 0;
    if (prime) found.push_back(c);
  }
  return found;
}

// Byte i of a state, read as a signed byte, is weighted by the (i mod 256)-th prime, the sum taken
// modulo 2^32. A state of 150 places (300 bytes) passes the end of the 256 weights; the bytes run
// through every value from -128 to 127.
TEST(LocalStateHolder, HashWeightsSignedBytesByPrimesAndWrapsAfter256) {
  std::vector<std::pair<std::string, short>> places;
  for (int i = 0; i < 150; i++) places.push_back({"p" + std::to_string(i), 0});
  StepTestSAN m(places, {});
  SANModel::LocalState s(&m);
  ASSERT_EQ(s.size, 300);
  const std::vector<uint32_t> primes = FirstPrimes(256);
  uint32_t expected = 0;
  for (int i = 0; i < s.size; i++) {
    const int value = (i * 37) % 256 - 128;
    s.state[i] = static_cast<char>(value);
    expected += static_cast<uint32_t>(value) * primes[i % 256];
  }
  EXPECT_EQ(static_cast<uint32_t>(s.hash()), expected);
}

TEST(LocalStateHolder, FileRoundTripAndForeignSizes) {
  ThreePlacesSAN m;
  SANModel::LocalState s(&m);
  s.GetState(&m);
  FILE* f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(s.fwriteState(f), 0);
  std::rewind(f);
  int32_t size = 0;
  ASSERT_EQ(std::fread(&size, 4, 1, f), 1u);
  EXPECT_EQ(size, 6);
  std::rewind(f);
  SANModel::LocalState back(&m);
  EXPECT_EQ(back.freadState(f), 0);
  EXPECT_EQ(back.compare(s), 0);

  // A file that announces another size is refused and nothing is read into the buffer.
  std::rewind(f);
  int32_t huge = 1 << 20;
  std::fwrite(&huge, 4, 1, f);
  std::rewind(f);
  back.state[0] = 77;
  EXPECT_EQ(back.freadState(f), 1);
  EXPECT_EQ(back.state[0], 77);
  EXPECT_EQ(back.size, 6);

  // A truncated file fails too.
  FILE* g = std::tmpfile();
  int32_t six = 6;
  std::fwrite(&six, 4, 1, g);
  std::fwrite("ab", 1, 2, g);
  std::rewind(g);
  EXPECT_EQ(back.freadState(g), 1);
  EXPECT_EQ(back.state[0], 77);
  std::fclose(f);
  std::fclose(g);
}

}  // namespace

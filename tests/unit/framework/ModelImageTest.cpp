// The model's image walk: the copy plan must give the same bytes as asking every variable, must
// leave variables with their own SetState/CurrentState to them, and must follow sharing done
// after the first save.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/SAN/SANModel.h"
#include "BaseClasses/state/ArrayStateVariable.h"

namespace {

// A generated-style array subclass that adds nothing: its elements are copied directly.
class Row : public ArrayStateVariable<ExtendedPlace<int>> {
 public:
  Row(const char* name, int n, int first) : ArrayStateVariable(name, "", ArrayType_INT, n) {
    for (int k = 0; k < n; k++) appendElement(new ExtendedPlace<int>("e", name, first + k));
  }
  ~Row() override {
    for (BaseStateVariableClass* e : fields) delete e;
  }
};

// A place whose raw state is stored inverted and which counts its loads: the model must ask it.
class InvertedPlace : public Place {
 public:
  int loads = 0;
  int saves = 0;
  InvertedPlace(const char* name, short m) : Place(name, m) {}
  void SetState(void* buffer) override {
    short v;
    std::memcpy(&v, buffer, 2);
    setMark(static_cast<short>(-v));
    loads++;
  }
  void CurrentState(void* buffer) override {
    short v = static_cast<short>(-getMark());
    std::memcpy(buffer, &v, 2);
    saves++;
  }
};

class MixedSAN : public SANModel {
 public:
  Place* P;
  Row* R;
  InvertedPlace* Q;
  Place* S;
  MixedSAN() {
    P = new Place("P", 7);
    R = new Row("R", 3, 10);
    Q = new InvertedPlace("Q", 5);
    S = new Place("S", 9);
    BaseStateVariableClass* places[4] = {P, R, Q, S};
    initializeSANModelNow("Mixed", 4, places, 0, nullptr, 0, nullptr, 0, nullptr);
  }
  ~MixedSAN() override {
    delete P;
    delete R;
    delete Q;
    delete S;
  }
};

std::vector<char> save(SANModel& m) {
  std::vector<char> image(static_cast<size_t>(m.StateSize()));
  m.CurrentState(image.data());
  return image;
}

template <class T>
T at(const std::vector<char>& image, size_t offset) {
  T v;
  std::memcpy(&v, image.data() + offset, sizeof(T));
  return v;
}

TEST(ModelImagePlan, MixedVariablesSaveAndRestoreInModelOrder) {
  MixedSAN m;
  ASSERT_EQ(m.StateSize(), 2 + 12 + 2 + 2);
  std::vector<char> image = save(m);
  EXPECT_EQ(at<short>(image, 0), 7);
  EXPECT_EQ(at<int>(image, 2), 10);
  EXPECT_EQ(at<int>(image, 6), 11);
  EXPECT_EQ(at<int>(image, 10), 12);
  EXPECT_EQ(at<short>(image, 14), -5);  // written by the variable itself
  EXPECT_EQ(at<short>(image, 16), 9);
  EXPECT_EQ(m.Q->saves, 1);

  m.P->setMark(0);
  m.R->Index(1)->setMark(0);
  m.Q->setMark(0);
  m.S->setMark(0);
  for (int rep = 0; rep < 3; rep++) m.SetState(image.data());
  EXPECT_EQ(m.P->getMark(), 7);
  EXPECT_EQ(m.R->Index(0)->getMark(), 10);
  EXPECT_EQ(m.R->Index(1)->getMark(), 11);
  EXPECT_EQ(m.R->Index(2)->getMark(), 12);
  EXPECT_EQ(m.Q->getMark(), 5);
  EXPECT_EQ(m.Q->loads, 3);
  EXPECT_EQ(m.S->getMark(), 9);
}

TEST(ModelImagePlan, FollowsSharingAndStoredChangesAfterTheFirstSave) {
  MixedSAN m;
  save(m);              // the plan now exists
  m.S->ShareWith(m.P);  // P absorbed into S: P's cell is S's and P leaves the image
  ASSERT_EQ(m.StateSize(), 16);
  std::vector<char> image = save(m);
  EXPECT_EQ(at<short>(image, 14), 7);  // S took P's marking when they were joined
  m.S->setMark(1);
  m.SetState(image.data());
  EXPECT_EQ(m.P->getMark(), 7);
  EXPECT_EQ(m.S->getMark(), 7);

  m.R->setStored(false);
  EXPECT_EQ(m.StateSize(), 4);
  std::vector<char> small = save(m);
  EXPECT_EQ(at<short>(small, 0), -5);
  EXPECT_EQ(at<short>(small, 2), 7);
  m.R->setStored(true);
  EXPECT_EQ(save(m).size(), 16u);
}

TEST(ModelImagePlan, LocalStateRoundTripsThroughThePlan) {
  MixedSAN m;
  State* s = nullptr;
  m.ConstructLocalState(s);
  m.GetLocalState(s);
  m.R->Index(2)->setMark(-1);
  m.SetLocalState(s);
  EXPECT_EQ(m.R->Index(2)->getMark(), 12);
  m.DestructLocalState(s);
}

}  // namespace

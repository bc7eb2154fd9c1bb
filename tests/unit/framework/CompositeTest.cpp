#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "BaseClasses/BaseActionClass.h"
#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/state/ArrayStateVariable.h"
#include "BaseClasses/state/PrimitiveType.h"
#include "BaseClasses/state/StructStateVariable.h"

namespace {

// Built the way the generated array is: elements named "0".."4" with the array's name as
// prefix; the array deletes what it created.
class IntArray : public ArrayStateVariable<ExtendedPlace<int>> {
 public:
  IntArray(const char* name, int n, int initial)
      : ArrayStateVariable<ExtendedPlace<int>>(name, "", ArrayType_INT, n) {
    for (int i = 0; i < n; i++) {
      std::string label = std::to_string(i);
      appendElement(new ExtendedPlace<int>(label.c_str(), name, initial));
    }
  }
  ~IntArray() override {
    for (BaseStateVariableClass* e : fields) delete e;
  }
};

// A scalar variable of any plain type, for structure fields.
template <class T>
class Scalar : public BaseStateVariableClass {
 public:
  T value{};
  explicit Scalar(const char* name) : BaseStateVariableClass(name, "") {}
  int StateSize() override { return static_cast<int>(sizeof(T)); }
  void SetState(void* b) override { readMemory2<T>(b, &value); }
  void CurrentState(void* b) override { writeMemory<T>(value, b); }
  void printState(std::ostream* s) override { *s << getName() << " = " << +value << std::endl; }
  void share(BaseStateVariableClass*) override {}
};

class Record : public BaseStructStateVariable {
 public:
  Scalar<short> s{"s"};
  Scalar<double> d{"d"};
  Scalar<char> c{"c"};
  Record() : BaseStructStateVariable("R", "") {
    fields.push_back(field(ArrayType_SHORT, &s));
    fields.push_back(field(ArrayType_DOUBLE, &d));
    fields.push_back(field(ArrayType_CHAR, &c));
  }
};

TEST(ArrayVariable, RawStateLayoutAndLeaves) {
  IntArray arr("SCHEDULER", 5, 0);
  for (int i = 0; i < 5; i++) arr.Index(i)->Mark() = 100 + i;
  EXPECT_EQ(arr.StateSize(), 20);
  EXPECT_EQ(arr.getSize(), 5);
  EXPECT_EQ(arr.getType(), ArrayType_INT);
  int32_t buf[5] = {};
  arr.CurrentState(buf);
  for (int i = 0; i < 5; i++) EXPECT_EQ(buf[i], 100 + i);
  buf[3] = -7;
  arr.SetState(buf);
  EXPECT_EQ(arr.Index(3)->getMark(), -7);
  EXPECT_STREQ(arr.Index(2)->getFullyQualifiedName(), "SCHEDULER.2");

  EXPECT_FALSE(arr.isLeafNode());
  EXPECT_EQ(arr.getNumLeafNodes(), 5);
  List<BaseStateVariableClass>* leaves = arr.getLeafNodes();
  ASSERT_EQ(leaves->getNumItems(), 5);
  EXPECT_EQ((*leaves)[4], arr.Index(4));
  delete leaves;
}

TEST(ArrayVariable, ArcsReachTheElements) {
  IntArray arr("S", 5, 0);
  BaseActionClass writer, reader;
  arr.appendAffectingAction(&writer);
  writer.addAffectedSV(&arr);
  EXPECT_EQ(arr.getNumAffectingActions(), 0);
  for (int i = 0; i < 5; i++) EXPECT_EQ(arr.Index(i)->getNumAffectingActions(), 1);
  ASSERT_EQ(writer.getNumAffectedSVs(), 5);
  EXPECT_EQ(writer.getAffectedSV(0), arr.Index(0));

  arr.appendEnabledAction(&reader);
  reader.addEnablingSV(&arr);
  EXPECT_EQ(arr.getNumEnabledActions(), 1);
  EXPECT_EQ(arr.Index(4)->getNumEnabledActions(), 1);
  EXPECT_EQ(reader.getNumEnablingSVs(), 5);
  reader.removeEnablingSV(&arr);
  EXPECT_EQ(reader.getNumEnablingSVs(), 0);
}

TEST(ArrayVariable, SharingJoinsElementByElement) {
  IntArray a("A", 3, 1), b("B", 3, 2);
  a.share(&b);
  a.Index(1)->Mark() = 9;
  EXPECT_EQ(b.Index(1)->Mark(), 9);
  a.share(&b);  // again: nothing breaks
  EXPECT_EQ(b.Index(1)->Mark(), 9);
}

TEST(ArrayVariable, PrintsItsElements) {
  IntArray arr("S", 2, 4);
  std::ostringstream out;
  arr.printState(&out);
  EXPECT_EQ(out.str(), "S = {\n0 = 4\n1 = 4\n}\n");
}

TEST(ArrayVariableDeath, OutOfBoundsIndexEndsTheProcess) {
  IntArray arr("SCHEDULER", 5, 0);
  EXPECT_DEATH(arr.Index(5),
               "Runtime error: index out of bounds\\. SCHEDULER\\[0\\.\\.4\\] indexed with 5\n"
               "!! Assertion failed in file ArrayStateVariable, line ");
  EXPECT_DEATH(arr.Index(-1), "indexed with -1");
  IntArray shorter("T", 3, 0);
  EXPECT_DEATH(arr.share(&shorter), "Expression: otheri!=otherArray->fields.end\\(\\)");
  Place p("p", 0);
  EXPECT_DEATH(arr.share(&p), "!! Assertion failed in file ArrayStateVariable, line ");
}

TEST(StructVariable, FieldsAtTheirOffsets) {
  Record r;
  r.s.value = -3;
  r.d.value = 1.25;
  r.c.value = 'z';
  EXPECT_EQ(r.StateSize(), 11);
  unsigned char buf[11];
  r.CurrentState(buf);
  int16_t s;
  double d;
  std::memcpy(&s, buf, 2);
  std::memcpy(&d, buf + 2, 8);
  EXPECT_EQ(s, -3);
  EXPECT_EQ(d, 1.25);
  EXPECT_EQ(buf[10], 'z');
  buf[10] = 'q';
  r.SetState(buf);
  EXPECT_EQ(r.c.value, 'q');
  EXPECT_EQ(r.getType(1), ArrayType_DOUBLE);
  EXPECT_EQ(r.getNumLeafNodes(), 3);
}

TEST(StructVariable, ArcsAndPrinting) {
  Record r;
  BaseActionClass a;
  r.appendAffectingAction(&a);
  EXPECT_EQ(r.getNumAffectingActions(), 1);
  EXPECT_EQ(r.d.getNumAffectingActions(), 1);
  a.addAffectedSV(&r);
  EXPECT_EQ(a.getNumAffectedSVs(), 3);
  std::ostringstream out;
  r.printState(&out);
  EXPECT_EQ(out.str(), "R = {\n.s = 0\n.d = 0\n.c = 0\n}\n");
}

TEST(StructVariable, SharingMergesListsOnce) {
  Record a, b;
  BaseActionClass x, y;
  a.appendAffectingAction(&x);
  b.appendAffectingAction(&y);
  a.ShareWith(&b);
  EXPECT_EQ(a.getAffectingActions(), b.getAffectingActions());
  EXPECT_EQ(a.getNumAffectingActions(), 2);
  EXPECT_FALSE(b.getStored());
  a.ShareWith(&b);  // the lists are already one: nothing is freed
  EXPECT_EQ(a.getNumAffectingActions(), 2);
}

// A structure that had already absorbed another is absorbed in turn: the one it had absorbed
// now reads the new leader's lists too (through the structure it joined first), and each
// structure frees only its own lists, whatever the order.
TEST(StructVariable, AnAbsorbedStructuresBorrowerFollowsTheNewLeader) {
  Record* a = new Record;
  Record* b = new Record;
  Record* c = new Record;
  BaseActionClass x, y, z, w;
  a->appendAffectingAction(&x);
  b->appendAffectingAction(&y);
  c->appendAffectingAction(&z);
  c->appendEnabledAction(&w);
  b->ShareWith(c);
  a->ShareWith(b);
  EXPECT_EQ(c->getAffectingActions(), a->getAffectingActions());
  EXPECT_EQ(b->getEnabledActions(), a->getEnabledActions());
  EXPECT_EQ(a->getNumAffectingActions(), 3);
  EXPECT_EQ(a->getNumEnabledActions(), 1);
  EXPECT_FALSE(a->borrowsLists());
  BaseActionClass v;
  c->appendAffectingAction(&v);
  EXPECT_EQ(a->getNumAffectingActions(), 4);
  delete b;  // the middle one first
  delete a;
  delete c;
}

TEST(CompositeVariables, EmptyCompositeIsOneLeaf) {
  BaseArrayStateVariable arr("E", "", ArrayType_INT, 0);
  EXPECT_TRUE(arr.isLeafNode());
  EXPECT_EQ(arr.getNumLeafNodes(), 1);
  BaseStructStateVariable st("F", "");
  EXPECT_TRUE(st.isLeafNode());
  EXPECT_EQ(st.getNumLeafNodes(), 1);
  EXPECT_EQ(st.StateSize(), 0);
  const ArrayType kinds[3] = {ArrayType_SHORT, ArrayType_DOUBLE, ArrayType_CHAR};
  BaseStructStateVariable declared("G", "", kinds, 3);
  EXPECT_EQ(declared.getSize(), 3);
  EXPECT_EQ(declared.StateSize(), 11);  // kinds' widths until fields are supplied
}

TEST(PrimitiveWrappers, ConvertAndSet) {
  Int i;
  EXPECT_EQ(static_cast<int>(i), 0);
  i.Set(5);
  Int j(i);
  EXPECT_EQ(j + 1, 6);
  Long l;
  l.Set(-2147483647 - 1);
  EXPECT_EQ(static_cast<int32_t>(l), INT32_MIN);
  Double d;
  d = 2.5;
  EXPECT_DOUBLE_EQ(d, 2.5);
  Bool b;
  b.Set(true);
  EXPECT_TRUE(b);
  Char c;
  c.Set('x');
  EXPECT_EQ(static_cast<char>(c), 'x');
}

}  // namespace

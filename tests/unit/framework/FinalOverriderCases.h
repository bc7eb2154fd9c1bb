// The classes and answers both overrider tests check: a base with a virtual slot, the framework's
// own class, a class below it that overrides nothing, and one that overrides the slot. Included by
// one test compiled with the compiler's way of naming the final overrider and by one compiled with
// the portable answer.
#ifndef KAVRIN_TESTS_UNIT_FRAMEWORK_FINALOVERRIDERCASES_H
#define KAVRIN_TESTS_UNIT_FRAMEWORK_FINALOVERRIDERCASES_H

#include <gtest/gtest.h>

#include "BaseClasses/FinalOverrider.h"

// An unnamed namespace inside: each test's copy is its own, compiled with its own answer.
namespace overrider_cases {
namespace {

struct Base {
  virtual ~Base() = default;
  virtual int Slot() { return 0; }
};
struct Own : Base {
  int Slot() override { return 1; }
};
struct KeepsOwn : Own {};  // overrides nothing
struct Overrides : Own {
  int Slot() override { return 2; }
};
typedef int (*SlotFn)(Base*);

bool IsOwn(Base* b) { return KAVRIN_IS_OWN_OVERRIDER(b, Base, Own, Slot, SlotFn); }

// Own itself always qualifies, a class that overrides the slot never does; a class below Own that
// overrides nothing qualifies only where the compiler names the final overrider.
void CheckAnswers() {
  Own own;
  KeepsOwn keeps;
  Overrides overrides;
  Base base;
  EXPECT_TRUE(IsOwn(&own));
  EXPECT_FALSE(IsOwn(&overrides));
  EXPECT_FALSE(IsOwn(&base));
  EXPECT_EQ(IsOwn(&keeps), KAVRIN_NAMES_FINAL_OVERRIDER == 1);
  // Whatever the answer, the virtual call runs the same function for a qualifying object.
  EXPECT_EQ(static_cast<Base&>(keeps).Slot(), 1);
}

}  // namespace
}  // namespace overrider_cases

#endif

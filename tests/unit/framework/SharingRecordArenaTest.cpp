// The arena of sharing records: records of each size are distinct, aligned and reused once given
// back; the pages go back to the system only when no record is left, and the arena serves again
// afterwards; chains released once a model is assembled keep their cells. Its own program: the
// arena is one per process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

#include "BaseClasses/SAN/ExtendedPlace.h"
#include "BaseClasses/SAN/Place.h"
#include "BaseClasses/state/SharingRecordArena.h"

TEST(SharingRecordArena, RecordsAreDistinctAlignedAndReused) {
  ASSERT_EQ(SharingRecordArena::Outstanding(), 0u);
  for (size_t size : {8, 16, 24, 32}) {
    std::vector<char*> records;
    std::set<char*> seen;
    // More than one page's worth, so that a second block is carved too.
    const size_t count = 65536 / size + 10;
    for (size_t k = 0; k < count; k++) {
      auto* r = static_cast<char*>(SharingRecordArena::Take(size));
      ASSERT_NE(r, nullptr);
      ASSERT_EQ(reinterpret_cast<uintptr_t>(r) % 8, 0u);
      std::memset(r, static_cast<int>(k & 0xff), size);
      records.push_back(r);
      seen.insert(r);
    }
    EXPECT_EQ(seen.size(), count) << size;
    // No record overlaps another: each still holds its own pattern.
    for (size_t k = 0; k < count; k++)
      for (size_t b = 0; b < size; b++) ASSERT_EQ(records[k][b], static_cast<char>(k & 0xff));
    EXPECT_EQ(SharingRecordArena::Outstanding(), count);
    SharingRecordArena::Give(records.back(), size);
    EXPECT_EQ(SharingRecordArena::Take(size), records.back());
    for (char* r : records) SharingRecordArena::Give(r, size);
    SharingRecordArena::Give(nullptr, size);
    EXPECT_EQ(SharingRecordArena::Outstanding(), 0u);
  }
}

TEST(SharingRecordArena, PagesGoBackOnlyWhenNoRecordIsLeft) {
  void* a = SharingRecordArena::Take(24);
  void* b = SharingRecordArena::Take(16);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_GT(SharingRecordArena::BytesHeld(), 0u);
  SharingRecordArena::Give(a, 24);
  EXPECT_FALSE(SharingRecordArena::ReleaseIfEmpty());
  EXPECT_GT(SharingRecordArena::BytesHeld(), 0u);
  std::memset(b, 0x5a, 16);  // still the caller's
  SharingRecordArena::Give(b, 16);
  EXPECT_TRUE(SharingRecordArena::ReleaseIfEmpty());
  EXPECT_EQ(SharingRecordArena::BytesHeld(), 0u);
  EXPECT_TRUE(SharingRecordArena::ReleaseIfEmpty());

  // A model built after the release gets records from fresh pages.
  auto* c = static_cast<char*>(SharingRecordArena::Take(24));
  ASSERT_NE(c, nullptr);
  std::memset(c, 0x33, 24);
  EXPECT_EQ(SharingRecordArena::Outstanding(), 1u);
  SharingRecordArena::Give(c, 24);
  EXPECT_TRUE(SharingRecordArena::ReleaseIfEmpty());
}

// Places joined while a model is built, then released as the simulator does once it is assembled:
// every pointer keeps the cell it had, the records all go back, and the pages leave the process.
// A join or a registration afterwards is refused rather than leaving a pointer behind.
TEST(SharingRecordArena, ReleasedChainsKeepTheirCellsAndRefuseNewJoins) {
  ASSERT_TRUE(SharingRecordArena::ReleaseIfEmpty());
  const size_t before = SharingRecordArena::Outstanding();
  auto* a = new Place("A", 3);
  auto* b = new Place("B", 5);
  auto* c = new ExtendedPlace<int>("C", 7);
  short* viewA = nullptr;
  short* viewB = nullptr;
  int* viewC = nullptr;
  a->Register(&viewA);
  b->Register(&viewB);
  c->Register(&viewC);
  a->ShareWith(b);
  EXPECT_EQ(SharingRecordArena::Outstanding(), before + 3);
  EXPECT_GT(SharingRecordArena::BytesHeld(), 0u);

  for (BaseStateVariableClass* v :
       {static_cast<BaseStateVariableClass*>(a), static_cast<BaseStateVariableClass*>(b),
        static_cast<BaseStateVariableClass*>(c)})
    v->ReleaseSharingRecords();
  EXPECT_EQ(SharingRecordArena::Outstanding(), before);
  EXPECT_TRUE(SharingRecordArena::ReleaseIfEmpty());
  EXPECT_EQ(SharingRecordArena::BytesHeld(), 0u);

  // The joined pair still reads and writes one cell, through the places and the registered views.
  EXPECT_EQ(viewA, viewB);
  *viewB = 11;
  EXPECT_EQ(a->Mark(), 11);
  EXPECT_EQ(b->Mark(), 11);
  *viewC = 9;
  EXPECT_EQ(c->Mark(), 9);
  // Releasing twice changes nothing.
  a->ReleaseSharingRecords();
  EXPECT_EQ(a->Mark(), 11);

  short* late = nullptr;
  EXPECT_DEATH(a->Register(&late), "Assertion failed in file SharableSV");
  Place d("D", 1);
  EXPECT_DEATH(d.ShareWith(b), "Assertion failed in file SharableSV");
  // Destroyed in any order, released variables free nothing twice (the sanitizer build checks).
  delete b;
  delete a;
  delete c;
}

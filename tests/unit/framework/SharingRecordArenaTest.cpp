// The arena of sharing records: records of each size are distinct, aligned and reused once given
// back; the pages go back to the system only when no record is left, and the arena serves again
// afterwards. Its own program: the arena is one per process.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <vector>

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

// Large pages for a large model: asking for them must leave every byte the process holds as it
// was, on memory that is spread over many pages and on a block of its own, and a second request
// must be as harmless as the first.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "BaseClasses/LargeModelMemory.h"

TEST(LargeModelMemory, KeepsEveryByteOfTheHeap) {
  // Many small objects (as a model's are) and one block of 16 MB, each filled with a pattern
  // that differs from byte to byte.
  std::vector<std::unique_ptr<uint64_t[]>> small;
  for (uint64_t k = 0; k < 200000; k++) {
    small.emplace_back(new uint64_t[3]{k, k * 7 + 1, ~k});
  }
  const size_t words = size_t{2} << 20;
  std::unique_ptr<uint64_t[]> block(new uint64_t[words]);
  for (size_t i = 0; i < words; i++) block[i] = i * 0x9E3779B97F4A7C15ull;

  const long long first = LargeModelMemory::UseLargePages();
  EXPECT_GE(first, 0);
  EXPECT_EQ(first % (2 << 20), 0);  // whole large pages only
  EXPECT_GE(LargeModelMemory::UseLargePages(), 0);

  for (uint64_t k = 0; k < small.size(); k++) {
    ASSERT_EQ(small[k][0], k);
    ASSERT_EQ(small[k][1], k * 7 + 1);
    ASSERT_EQ(small[k][2], ~k);
  }
  for (size_t i = 0; i < words; i++) ASSERT_EQ(block[i], i * 0x9E3779B97F4A7C15ull);
  // The memory stays writable and readable as before.
  block[words - 1] = 5;
  small.back()[2] = 6;
  EXPECT_EQ(block[words - 1] + small.back()[2], 11u);
}

// Pages of their own come zeroed, hold what is written to them, are distinct from one another,
// and can be given back in any order; nothing is mapped for no bytes.
TEST(LargeModelMemory, MapsPagesOfTheirOwnAndGivesThemBack) {
  EXPECT_EQ(LargeModelMemory::MapPages(0), nullptr);
  const size_t bytes = 65536;
  auto* a = static_cast<unsigned char*>(LargeModelMemory::MapPages(bytes));
  auto* b = static_cast<unsigned char*>(LargeModelMemory::MapPages(bytes));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b >= a + bytes || a >= b + bytes);
  for (size_t i = 0; i < bytes; i++) ASSERT_EQ(a[i] | b[i], 0) << i;
  for (size_t i = 0; i < bytes; i++) a[i] = static_cast<unsigned char>(i * 31);
  LargeModelMemory::UnmapPages(b, bytes);
  for (size_t i = 0; i < bytes; i++) ASSERT_EQ(a[i], static_cast<unsigned char>(i * 31)) << i;
  LargeModelMemory::UnmapPages(a, bytes);
  LargeModelMemory::UnmapPages(nullptr, bytes);
}

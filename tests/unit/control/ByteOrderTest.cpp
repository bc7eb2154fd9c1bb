#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "Simulator/ByteOrder.h"

namespace {

TEST(ByteOrder, IntegersAreWrittenMostSignificantByteFirst) {
  unsigned char b[8] = {};
  ByteOrder::PutU32(b, 0x01020304u);
  EXPECT_EQ(b[0], 0x01);
  EXPECT_EQ(b[3], 0x04);
  EXPECT_EQ(ByteOrder::GetU32(b), 0x01020304u);

  ByteOrder::PutI32(b, -2);
  EXPECT_EQ(b[0], 0xFF);
  EXPECT_EQ(b[3], 0xFE);
  EXPECT_EQ(ByteOrder::GetI32(b), -2);

  ByteOrder::PutI16(b, -32768);
  EXPECT_EQ(b[0], 0x80);
  EXPECT_EQ(b[1], 0x00);
  EXPECT_EQ(ByteOrder::GetI16(b), -32768);

  ByteOrder::PutU64(b, 0x0102030405060708ull);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], i + 1);
  EXPECT_EQ(ByteOrder::GetU64(b), 0x0102030405060708ull);
}

TEST(ByteOrder, DoublesTravelAsTheirBitPattern) {
  unsigned char b[8];
  ByteOrder::PutDouble(b, 4.0);  // 0x4010000000000000
  const unsigned char four[8] = {0x40, 0x10, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(b[i], four[i]);

  // A pattern that becomes a signalling NaN when swapped must still come back unchanged.
  const double tricky = ByteOrder::BitsToDouble(0x01000000000000F7ull);
  ByteOrder::PutDouble(b, tricky);
  EXPECT_EQ(ByteOrder::DoubleBits(ByteOrder::GetDouble(b)), 0x01000000000000F7ull);

  ByteOrder::PutDouble(b, -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isinf(ByteOrder::GetDouble(b)));
  EXPECT_LT(ByteOrder::GetDouble(b), 0.0);
}

}  // namespace

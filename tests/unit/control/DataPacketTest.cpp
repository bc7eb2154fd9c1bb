#include <gtest/gtest.h>

#include "Simulator/DataPacket.h"

namespace {

TEST(DataPacket, RowsHoldWhatWasStoredAndUnsetSlotsReadZero) {
  DataPacket p(7, 3, 2, 4);
  EXPECT_EQ(p.GetClientId(), 7);
  EXPECT_EQ(p.GetExperimentNum(), 3);
  for (int pv = 0; pv < 2; ++pv) EXPECT_EQ(p.GetNumObs(pv), 0);
  p.SetObs(1, 3, 2.5);
  p.SetObs(0, 0, 1.5);
  p.SetNumObs(1, 4);
  EXPECT_EQ(p.GetNumObs(1), 4);
  const double* row = p.GetObsArray(1);
  EXPECT_EQ(row[0], 0.0);
  EXPECT_EQ(row[1], 0.0);
  EXPECT_EQ(row[2], 0.0);
  EXPECT_EQ(row[3], 2.5);
  EXPECT_EQ(p.GetObsArray(0)[0], 1.5);
  // A count above what was stored still reads zeros, never past the row.
  p.SetNumObs(0, 3);
  EXPECT_EQ(p.GetObsArray(0)[2], 0.0);
  p.SetClientId(9);
  p.SetExperimentNum(11);
  EXPECT_EQ(p.GetClientId(), 9);
  EXPECT_EQ(p.GetExperimentNum(), 11);
}

// A report size of 2^31 - 1 must not cost 16 GiB per row before the first observation: storage
// follows the observations (here five, so at most a few doublings past them).
TEST(DataPacket, StorageGrowsWithTheObservationsNotTheReportSize) {
  DataPacket p(0, 0, 2, 2147483647);
  EXPECT_EQ(p.GetRowStorage(0), 0u);
  for (int r = 0; r < 5; ++r) p.SetObs(0, r, r + 0.5);
  EXPECT_GE(p.GetRowStorage(0), 5u);
  EXPECT_LE(p.GetRowStorage(0), 16u);
  EXPECT_EQ(p.GetRowStorage(1), 0u);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(p.GetObsArray(0)[r], r + 0.5);
}

TEST(DataPacketDeathTest, WritesOutsideARowAreInternalErrors) {
  DataPacket p(0, 0, 2, 3);
  EXPECT_DEATH(p.SetObs(0, 3, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetObs(2, 0, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetObs(-1, 0, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetNumObs(0, 4), "Assertion failed in file DataPacket");
}

}  // namespace

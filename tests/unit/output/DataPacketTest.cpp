#include "Simulator/DataPacket.h"

#include <gtest/gtest.h>

namespace {

TEST(DataPacket, RowsAreRowMajorAndStartEmpty) {
  DataPacket p(7, 3, 2, 4);
  EXPECT_EQ(p.GetClientId(), 7);
  EXPECT_EQ(p.GetExperimentNum(), 3);
  for (int pv = 0; pv < 2; ++pv) {
    EXPECT_EQ(p.GetNumObs(pv), 0);
    for (int r = 0; r < 4; ++r) EXPECT_EQ(p.GetObsArray(pv)[r], 0.0);
  }
  p.SetObs(1, 3, 2.5);
  p.SetObs(0, 0, 1.5);
  EXPECT_EQ(p.GetObsArray(0) + 4, p.GetObsArray(1));
  EXPECT_EQ(p.GetObsArray(1)[3], 2.5);
  EXPECT_EQ(p.GetObsArray(0)[0], 1.5);
  p.SetNumObs(1, 4);
  EXPECT_EQ(p.GetNumObs(1), 4);
  p.SetClientId(9);
  p.SetExperimentNum(11);
  EXPECT_EQ(p.GetClientId(), 9);
  EXPECT_EQ(p.GetExperimentNum(), 11);
}

TEST(DataPacketDeathTest, WritesOutsideARowAreInternalErrors) {
  DataPacket p(0, 0, 2, 3);
  EXPECT_DEATH(p.SetObs(0, 3, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetObs(2, 0, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetObs(-1, 0, 1.0), "Assertion failed in file DataPacket");
  EXPECT_DEATH(p.SetNumObs(0, 4), "Assertion failed in file DataPacket");
}

}  // namespace

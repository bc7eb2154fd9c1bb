#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "Simulator/DataPacket.h"
#include "Simulator/ResultRecords.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Text(double d) {
  char buf[ResultRecords::kValueTextCapacity];
  const size_t n = ResultRecords::FormatValue(buf, d);
  return std::string(buf, n);
}

TEST(ResultRecords, DataRecordOfTwoObservationsMatchesTheWireLayout) {
  DataPacket dp(0, 0, 1, 5);
  dp.SetObs(0, 0, 4.0);
  dp.SetObs(0, 1, 4.0);
  dp.SetNumObs(0, 2);
  Bytes out;
  ResultRecords::EncodeDataRecord(out, 0, 0, &dp, nullptr);
  const Bytes expected = {0x00, 0x00, 0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
                          0x01, 0x00, 0x00, 0x00, 0x02, 0x40, 0x10, 0,    0,    0,    0,
                          0,    0,    0x40, 0x10, 0,    0,    0,    0,    0,    0};
  EXPECT_EQ(out, expected);
}

TEST(ResultRecords, DataRecordSkipsEmptyRowsAndAddsSquaredBlocks) {
  // Two variables with 3 and 0 observations: B = 1, L = 9 + 7 + 24 = 40.
  DataPacket dp(0, 0, 2, 4), sq(0, 0, 2, 4);
  for (int r = 0; r < 3; ++r) {
    dp.SetObs(0, r, r + 1.0);
    sq.SetObs(0, r, (r + 1.0) * (r + 1.0));
  }
  dp.SetNumObs(0, 3);
  Bytes out;
  ResultRecords::EncodeDataRecord(out, 0x1234, 0x56789, &dp, nullptr);
  ASSERT_EQ(out.size(), 40u);
  EXPECT_EQ(out[3], 40);
  EXPECT_EQ(out[4], 0x34);  // low 8 bits of the client id
  EXPECT_EQ(out[5], 0x67);  // low 16 bits of the experiment
  EXPECT_EQ(out[6], 0x89);
  EXPECT_EQ(out[8], 1);

  // With a squared packet, kind-2 blocks follow for its non-empty rows.
  sq.SetNumObs(0, 3);
  sq.SetNumObs(1, 1);
  ResultRecords::EncodeDataRecord(out, 0, 0, &dp, &sq);
  ASSERT_EQ(out.size(), 9u + (7 + 24) + (7 + 24) + (7 + 8));
  EXPECT_EQ(out[8], 3);
  EXPECT_EQ(out[9 + 31 + 2], 2);              // second block: kind 2, variable 0
  EXPECT_EQ(out[9 + 62 + 1], 1);              // third block: variable 1
  EXPECT_EQ(out[9 + 31 + 7 + 16 + 1], 0x22);  // third squared value 9.0 = 0x4022...
}

TEST(ResultRecords, EmptyPacketGivesTheNineByteRecord) {
  DataPacket dp(0, 0, 1, 1);
  Bytes out;
  ResultRecords::EncodeDataRecord(out, 0xcc, 0xeeee, &dp, nullptr);
  EXPECT_EQ(out, (Bytes{0, 0, 0, 9, 0xcc, 0xee, 0xee, 0, 0}));
}

TEST(ResultRecords, CPUTimeAndReplyRecords) {
  unsigned char cpu[ResultRecords::kCPUTimeRecordSize];
  ResultRecords::EncodeCPUTimeRecord(cpu, 0x101, 2, 4.0);
  const unsigned char cpuExpected[16] = {0, 0, 0, 12, 0xFE, 0x01, 0x00, 0x02, 0x40, 0x10, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(Bytes(cpu, cpu + 16), Bytes(cpuExpected, cpuExpected + 16));

  // The greeting for process id 4660.
  unsigned char reply[ResultRecords::kReplyRecordSize];
  ResultRecords::EncodeReplyRecord(reply, 0xFF, 1, 4660);
  EXPECT_EQ(Bytes(reply, reply + 10), (Bytes{0, 0, 0, 0x0A, 0xFF, 0x01, 0, 0, 0x12, 0x34}));
}

TEST(ResultRecords, BinaryHeaderIsExactly256BytesZeroPadded) {
  const std::string h = ResultRecords::BinFileHeader(1, 0, 0, "Lagged Fibonacci", 5);
  const std::string text =
      "KAVRIN_SIM_BIN_FILE,256,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=0,SEED=31415,"
      "RANDOMGEN=Lagged Fibonacci,BATCHES=5,,";
  ASSERT_EQ(h.size(), 256u);
  EXPECT_EQ(text.size(), 121u);
  EXPECT_EQ(h.substr(0, text.size()), text);
  EXPECT_EQ(h.find_first_not_of('\0', text.size()), std::string::npos);
}

TEST(ResultRecords, BinaryHeaderDropsFieldsThatWouldNotFit) {
  // A generator name long enough that RANDOMGEN no longer fits: SEED stays, the rest is skipped,
  // the closing comma is still there.
  const std::string longName(200, 'x');
  const std::string h = ResultRecords::BinFileHeader(1, 4294967295u, 7, longName, 1);
  ASSERT_EQ(h.size(), 256u);
  const std::string start =
      "KAVRIN_SIM_BIN_FILE,256,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=4294967295,SEED=7,";
  EXPECT_EQ(h.substr(0, start.size() + 1), start + '\0');
}

TEST(ResultRecords, AsciiHeader) {
  EXPECT_EQ(ResultRecords::AsciiFileHeader(0, 31415, "Lagged Fibonacci"),
            "#KAVRIN_SIM_ASCII_FILE,KAVRIN_VER=Version 2.5,FILE_VER=1,EXPERIMENTS=0,SEED=31415,"
            "RANDOMGEN=Lagged Fibonacci\n#FORMAT: (PV ID Number),(PV Value)\n");
  EXPECT_NE(ResultRecords::AsciiFileHeader(3, 0, "Tausworthe").find("EXPERIMENTS=3,SEED=31415,"),
            std::string::npos);
}

TEST(ResultRecords, ValueTextTrimsTrailingZerosButKeepsOneDecimal) {
  EXPECT_EQ(Text(2.0), "2.0");
  EXPECT_EQ(Text(1.5), "1.5");
  EXPECT_EQ(Text(0.125), "0.125");
  EXPECT_EQ(Text(0.1), "0.1");
  EXPECT_EQ(Text(1e-12), "0.0");
  EXPECT_EQ(Text(-1e-12), "-0.0");
  EXPECT_EQ(Text(100.0), "100.0");
  EXPECT_EQ(Text(1.0 / 3.0), "0.3333333333");
}

TEST(ResultRecords, ValueTextOfExtremeValuesIsWrittenInFull) {
  const std::string big = Text(std::numeric_limits<double>::max());
  EXPECT_EQ(big.size(), 311u);  // 309 digits, the point and one decimal
  EXPECT_EQ(big.substr(0, 5), "17976");
  EXPECT_EQ(big.substr(big.size() - 2), ".0");
  EXPECT_EQ(Text(-std::numeric_limits<double>::max()).size(), 312u);
  EXPECT_EQ(Text(std::numeric_limits<double>::infinity()), "inf");
  EXPECT_EQ(Text(-std::numeric_limits<double>::infinity()), "-inf");
  EXPECT_EQ(Text(std::nan("")), "nan");
}

TEST(ResultRecords, CSVLinesFollowVariableThenObservationOrder) {
  DataPacket dp(0, 0, 3, 4), sq(0, 0, 3, 4);
  dp.SetObs(0, 0, 4.0);
  dp.SetObs(0, 1, 4.0);
  dp.SetObs(2, 0, 0.5);
  dp.SetNumObs(0, 2);
  dp.SetNumObs(2, 1);
  sq.SetObs(0, 0, 16.0);
  sq.SetObs(0, 1, 16.0);
  sq.SetObs(2, 0, 0.25);
  ResultRecords::ValueTextCache cache;
  std::string out;
  ResultRecords::AppendCSVLines(out, cache, &dp, nullptr);
  EXPECT_EQ(out, "0,4.0\n0,4.0\n2,0.5\n");
  out.clear();
  ResultRecords::AppendCSVLines(out, cache, &dp, &sq);
  EXPECT_EQ(out, "0,4.0,16.0\n0,4.0,16.0\n2,0.5,0.25\n");
}

TEST(ResultRecords, ValueCacheTellsSignedZerosApart) {
  ResultRecords::ValueTextCache cache;
  std::string out;
  cache.Append(out, 0.0);
  cache.Append(out, -0.0);
  cache.Append(out, -0.0);
  EXPECT_EQ(out, "0.0-0.0-0.0");
}

}  // namespace

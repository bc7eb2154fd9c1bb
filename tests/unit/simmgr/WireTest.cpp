#include <gtest/gtest.h>

#include "Wire.h"
#include "support/RecordBytes.h"

using namespace simmgr;
using namespace simmgr::recordbytes;

namespace {

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

DataRecord TwoVariables() {
  DataRecord d;
  d.clientId = 3;
  d.experiment = 258;
  d.blocks.push_back(DataBlock{0, 1, {1.5, -2.0, 4.0}});
  d.blocks.push_back(DataBlock{1, 1, {0.125}});
  return d;
}

}  // namespace

TEST(Wire, RecordsHaveTheLinkLayout) {
  // Greeting for process id 4660.
  EXPECT_EQ(EncodeReply(0xFF, 1, 4660), (std::vector<uint8_t>{0, 0, 0, 10, 0xFF, 1, 0, 0, 0x12, 0x34}));
  // CPU time 1.0 = 0x3FF0000000000000; the length counts the 12 bytes after the field.
  EXPECT_EQ(EncodeCpuTime(7, 2, 1.0),
            (std::vector<uint8_t>{0, 0, 0, 12, 0xFE, 7, 0, 2, 0x3F, 0xF0, 0, 0, 0, 0, 0, 0}));
  // One variable with 3 observations: 9 + 7 + 24 = 40 bytes.
  DataRecord d;
  d.blocks.push_back(DataBlock{0, 1, {1, 2, 3}});
  const std::vector<uint8_t> bytes = EncodeData(d);
  ASSERT_EQ(bytes.size(), 40u);
  EXPECT_EQ(GetU32(bytes.data()), 40u);
  EXPECT_EQ(DetachText("out.bin", 50), "out.bin;50;;");
}

TEST(Wire, ReadsRecordsFedByteByByteOrAllAtOnce) {
  const std::vector<uint8_t> stream = Concat({EncodeReply(0xFF, 1, 99), EncodeCpuTime(3, 258, 0.5),
                                              EncodeData(TwoVariables()), EncodeReply(0xFE, 2, 99)});
  for (size_t chunk : {size_t{1}, size_t{3}, stream.size()}) {
    RecordReader reader;
    std::vector<Record> got;
    for (size_t pos = 0; pos < stream.size(); pos += chunk) {
      reader.Feed(stream.data() + pos, std::min(chunk, stream.size() - pos));
      Record r;
      RecordReader::Status st;
      while ((st = reader.Next(r)) == RecordReader::Status::Ready) got.push_back(r);
      ASSERT_EQ(st, RecordReader::Status::NeedMore) << reader.Error();
    }
    ASSERT_EQ(got.size(), 4u) << "chunk " << chunk;
    EXPECT_EQ(reader.Pending(), 0u);
    EXPECT_EQ(got[0].kind, Record::Reply);
    EXPECT_EQ(got[0].reply.pid, 99u);
    EXPECT_EQ(got[1].kind, Record::CpuTime);
    EXPECT_EQ(got[1].cpu.experiment, 258);
    EXPECT_EQ(got[1].cpu.seconds, 0.5);
    ASSERT_EQ(got[2].kind, Record::Data);
    EXPECT_EQ(got[2].data.clientId, 3);
    ASSERT_EQ(got[2].data.blocks.size(), 2u);
    EXPECT_EQ(got[2].data.blocks[0].values, (std::vector<double>{1.5, -2.0, 4.0}));
    EXPECT_EQ(got[2].data.blocks[1].pvIndex, 1);
    EXPECT_EQ(got[3].reply.marker, 0xFE);
    EXPECT_EQ(got[3].reply.code, 2);
  }
}

TEST(Wire, EmptyDataRecordIsNineBytes) {
  const std::vector<uint8_t> bytes{0, 0, 0, 9, 1, 0, 0, 0, 0};
  RecordReader reader;
  reader.Feed(bytes.data(), bytes.size());
  Record r;
  ASSERT_EQ(reader.Next(r), RecordReader::Status::Ready);
  EXPECT_EQ(r.kind, Record::Data);
  EXPECT_TRUE(r.data.blocks.empty());
}

TEST(Wire, RefusesMalformedRecordsAndStaysRefused) {
  auto status = [](std::vector<uint8_t> bytes, std::string* why = nullptr) {
    RecordReader reader(1000);
    reader.Feed(bytes.data(), bytes.size());
    Record r;
    const RecordReader::Status st = reader.Next(r);
    if (why) *why = reader.Error();
    return st;
  };
  std::string why;
  // Lengths no record can have.
  for (uint32_t len : {0u, 8u, 11u, 13u, 15u, 0x80000000u}) {
    std::vector<uint8_t> b;
    PutU32(b, len);
    b.resize(20);
    EXPECT_EQ(status(b, &why), RecordReader::Status::Malformed) << len;
  }
  EXPECT_EQ(status({0, 0, 0, 11, 0, 0, 0, 0, 0, 0, 0}, &why), RecordReader::Status::Malformed);
  EXPECT_EQ(why, "unknown record length 11");
  // Longer than the limit: refused before buffering it.
  EXPECT_EQ(status({0, 0, 0x10, 0, 0}), RecordReader::Status::Malformed);
  // Reply with an unknown code, CPU-time record without its marker.
  EXPECT_EQ(status(EncodeReply(0xFF, 7, 1)), RecordReader::Status::Malformed);
  EXPECT_EQ(status({0, 0, 0, 12, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), RecordReader::Status::Malformed);
  // Blocks that disagree with the length, and a block of unknown kind.
  std::vector<uint8_t> d = EncodeData(TwoVariables());
  d[3] += 8;
  d.resize(d.size() + 8);
  EXPECT_EQ(status(d, &why), RecordReader::Status::Malformed);
  d = EncodeData(TwoVariables());
  d[3] -= 8;
  EXPECT_EQ(status(d), RecordReader::Status::Malformed);
  d = EncodeData(TwoVariables());
  d[11] = 5;
  EXPECT_EQ(status(d, &why), RecordReader::Status::Malformed);
  EXPECT_EQ(why, "data block of unknown kind 5");

  RecordReader reader;
  std::vector<uint8_t> bad{0, 0, 0, 11};
  reader.Feed(bad.data(), bad.size());
  Record r;
  EXPECT_EQ(reader.Next(r), RecordReader::Status::Malformed);
  const std::vector<uint8_t> good = EncodeReply(0xFF, 1, 1);
  reader.Feed(good.data(), good.size());
  EXPECT_EQ(reader.Next(r), RecordReader::Status::Malformed);
}

TEST(Wire, ARecordCutShortLeavesBytesPending) {
  const std::vector<uint8_t> d = EncodeData(TwoVariables());
  RecordReader reader;
  reader.Feed(d.data(), d.size() - 1);
  Record r;
  EXPECT_EQ(reader.Next(r), RecordReader::Status::NeedMore);
  EXPECT_EQ(reader.Pending(), d.size() - 1);
}

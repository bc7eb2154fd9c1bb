#include "Wire.h"

#include <cstring>

namespace simmgr {

uint16_t GetU16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

uint32_t GetU32(const uint8_t* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

double GetDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int i = 0; i < 8; ++i) bits = (bits << 8) | p[i];
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

std::string DetachText(const std::string& fileName, int64_t batchLimit) {
  return fileName + ";" + std::to_string(batchLimit) + ";;";
}

RecordReader::RecordReader(uint32_t maxRecordLength) : _maxLength(maxRecordLength) {}

void RecordReader::Feed(const uint8_t* p, size_t n) {
  if (_start > 0 && _start * 2 >= _buf.size()) {
    _buf.erase(_buf.begin(), _buf.begin() + static_cast<std::ptrdiff_t>(_start));
    _start = 0;
  }
  _buf.insert(_buf.end(), p, p + n);
}

RecordReader::Status RecordReader::Fail(const std::string& why) {
  _broken = true;
  _error = why;
  return Status::Malformed;
}

RecordReader::Status RecordReader::Next(Record& out) {
  if (_broken) return Status::Malformed;
  if (Pending() < 4) return Status::NeedMore;
  const uint8_t* p = _buf.data() + _start;
  const int32_t length = static_cast<int32_t>(GetU32(p));

  // The length field tells the three kinds apart: a reply counts its 10 bytes, a CPU-time
  // record counts the 12 bytes after the field, a data record is 9 bytes or at least 16.
  const bool known = length == 10 || length == 12 || length == 9 || length >= 16;
  if (!known) return Fail("unknown record length " + std::to_string(length));
  if (static_cast<uint32_t>(length) > _maxLength)
    return Fail("record length " + std::to_string(length) + " exceeds the limit of " +
                std::to_string(_maxLength) + " bytes");
  const size_t total = length == 12 ? 16 : static_cast<size_t>(length);
  if (Pending() < total) return Status::NeedMore;

  if (length == 10) {
    out.kind = Record::Reply;
    out.reply.marker = p[4];
    out.reply.code = p[5];
    out.reply.pid = GetU32(p + 6);
    const bool valid = (p[4] == 0xFF && (p[5] == 1 || p[5] == 3)) || (p[4] == 0xFE && p[5] == 2);
    if (!valid)
      return Fail("reply record with marker " + std::to_string(p[4]) + " and code " + std::to_string(p[5]));
  } else if (length == 12) {
    if (p[4] != 0xFE) return Fail("CPU-time record with marker " + std::to_string(p[4]));
    out.kind = Record::CpuTime;
    out.cpu.clientId = p[5];
    out.cpu.experiment = GetU16(p + 6);
    out.cpu.seconds = GetDouble(p + 8);
  } else {
    out.kind = Record::Data;
    out.data.clientId = p[4];
    out.data.experiment = GetU16(p + 5);
    const uint16_t numBlocks = GetU16(p + 7);
    out.data.blocks.clear();
    out.data.blocks.reserve(numBlocks);
    size_t pos = 9;
    for (uint16_t b = 0; b < numBlocks; ++b) {
      if (pos + 7 > total) return Fail("data record shorter than its blocks");
      DataBlock block;
      block.pvIndex = GetU16(p + pos);
      block.kind = p[pos + 2];
      const uint64_t n = GetU32(p + pos + 3);
      pos += 7;
      if (block.kind != 1 && block.kind != 2)
        return Fail("data block of unknown kind " + std::to_string(block.kind));
      if (n * 8 > total - pos) return Fail("data record shorter than its blocks");
      block.values.resize(static_cast<size_t>(n));
      for (uint64_t i = 0; i < n; ++i, pos += 8) block.values[i] = GetDouble(p + pos);
      out.data.blocks.push_back(std::move(block));
    }
    if (pos != total)
      return Fail("data record of length " + std::to_string(length) + " holds " + std::to_string(pos) +
                  " bytes of blocks");
  }
  _start += total;
  return Status::Ready;
}

}  // namespace simmgr

#include "Simulator/ResultRecords.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "Simulator/ByteOrder.h"
#include "Simulator/DataPacket.h"

namespace ResultRecords {

namespace {

constexpr size_t kRecordHeader = 9;
constexpr size_t kBlockHeader = 7;

unsigned char* AppendBlocks(unsigned char* p, const DataPacket* packet, unsigned char kind) {
  for (int pv = 0; pv < packet->GetNumPV(); ++pv) {
    const int n = packet->GetNumObs(pv);
    if (n <= 0) continue;
    ByteOrder::PutI16(p, static_cast<int16_t>(pv));
    ByteOrder::PutU8(p + 2, kind);
    ByteOrder::PutI32(p + 3, n);
    p += kBlockHeader;
    const double* obs = packet->GetObsArray(pv);
    for (int k = 0; k < n; ++k, p += 8) ByteOrder::PutDouble(p, obs[k]);
  }
  return p;
}

size_t BlockBytes(const DataPacket* packet, int& blocks) {
  size_t bytes = 0;
  for (int pv = 0; pv < packet->GetNumPV(); ++pv) {
    const int n = packet->GetNumObs(pv);
    if (n <= 0) continue;
    ++blocks;
    bytes += kBlockHeader + 8 * static_cast<size_t>(n);
  }
  return bytes;
}

}  // namespace

void EncodeDataRecord(std::vector<unsigned char>& out, int clientId, int experiment, const DataPacket* dp,
                      const DataPacket* dpsqr) {
  int blocks = 0;
  size_t length = kRecordHeader + BlockBytes(dp, blocks);
  if (dpsqr) length += BlockBytes(dpsqr, blocks);
  out.resize(length);
  unsigned char* p = out.data();
  ByteOrder::PutI32(p, static_cast<int32_t>(length));
  ByteOrder::PutU8(p + 4, static_cast<uint8_t>(clientId));
  ByteOrder::PutU16(p + 5, static_cast<uint16_t>(experiment));
  ByteOrder::PutU16(p + 7, static_cast<uint16_t>(blocks));
  p = AppendBlocks(p + kRecordHeader, dp, 1);
  if (dpsqr) AppendBlocks(p, dpsqr, 2);
}

void EncodeCPUTimeRecord(unsigned char (&out)[kCPUTimeRecordSize], int clientId, int experiment,
                         double cpuSeconds) {
  ByteOrder::PutI32(out, 12);
  ByteOrder::PutU8(out + 4, 0xFE);
  ByteOrder::PutU8(out + 5, static_cast<uint8_t>(clientId));
  ByteOrder::PutU16(out + 6, static_cast<uint16_t>(experiment));
  ByteOrder::PutDouble(out + 8, cpuSeconds);
}

void EncodeReplyRecord(unsigned char (&out)[kReplyRecordSize], unsigned char marker, unsigned char code,
                       int32_t processId) {
  ByteOrder::PutI32(out, static_cast<int32_t>(kReplyRecordSize));
  ByteOrder::PutU8(out + 4, marker);
  ByteOrder::PutU8(out + 5, code);
  ByteOrder::PutI32(out + 6, processId);
}

std::string BinFileHeader(int fileVersion, uint32_t experiment, uint32_t seed,
                          const std::string& generatorName, int64_t batchRuns) {
  const size_t size = kBinHeaderSize;
  std::string text = "KAVRIN_SIM_BIN_FILE," + std::to_string(size) + ",KAVRIN_VER=" + kVersionText +
                     ",FILE_VER=" + std::to_string(fileVersion) +
                     ",EXPERIMENTS=" + std::to_string(experiment);
  // Each optional field goes in only when the previous one did and the text stays short enough.
  const std::string optional[] = {",SEED=" + std::to_string(seed == 0 ? 31415u : seed),
                                  ",RANDOMGEN=" + generatorName,
                                  ",BATCHES=" + std::to_string(batchRuns) + ","};
  for (const std::string& field : optional) {
    if (text.size() + field.size() >= size) break;
    text += field;
  }
  text += ",";
  text.resize(size, '\0');
  return text;
}

std::string AsciiFileHeader(uint32_t experiment, uint32_t seed, const std::string& generatorName) {
  return std::string("#KAVRIN_SIM_ASCII_FILE,KAVRIN_VER=") + kVersionText +
         ",FILE_VER=" + std::to_string(kFileVersion) + ",EXPERIMENTS=" + std::to_string(experiment) +
         ",SEED=" + std::to_string(seed == 0 ? 31415u : seed) + ",RANDOMGEN=" + generatorName +
         "\n#FORMAT: (PV ID Number),(PV Value)\n";
}

size_t FormatValue(char* buf, double d) {
  // Not left to the C library, whose spelling differs between platforms ("-nan" or "nan").
  if (!std::isfinite(d)) {
    const char* text = std::isnan(d) ? (std::signbit(d) ? "-nan" : "nan") : (d < 0 ? "-inf" : "inf");
    std::strcpy(buf, text);
    return std::strlen(text);
  }
  int n = std::snprintf(buf, kValueTextCapacity, "%.10f", d);
  if (n < 0) n = 0;
  size_t len = static_cast<size_t>(n) < kValueTextCapacity ? static_cast<size_t>(n) : kValueTextCapacity - 1;
  const char* point = static_cast<const char*>(std::memchr(buf, '.', len));
  if (point) {
    const size_t keep = static_cast<size_t>(point - buf) + 2;
    while (len > keep && buf[len - 1] == '0') --len;
    buf[len] = '\0';
  }
  return len;
}

void ValueTextCache::Append(std::string& out, double d) {
  const uint64_t bits = ByteOrder::DoubleBits(d);
  if (!_valid || bits != _bits) {
    _len = FormatValue(_text, d);
    _bits = bits;
    _valid = true;
  }
  out.append(_text, _len);
}

void AppendCSVLines(std::string& out, ValueTextCache& cache, const DataPacket* dp, const DataPacket* dpsqr) {
  char index[16];
  for (int pv = 0; pv < dp->GetNumPV(); ++pv) {
    const int n = dp->GetNumObs(pv);
    if (n <= 0) continue;
    const int indexLen = std::snprintf(index, sizeof index, "%d,", pv);
    const double* obs = dp->GetObsArray(pv);
    const double* sqr = dpsqr ? dpsqr->GetObsArray(pv) : nullptr;
    for (int k = 0; k < n; ++k) {
      out.append(index, static_cast<size_t>(indexLen));
      cache.Append(out, obs[k]);
      if (sqr) {
        out.push_back(',');
        cache.Append(out, sqr[k]);
      }
      out.push_back('\n');
    }
  }
}

}  // namespace ResultRecords

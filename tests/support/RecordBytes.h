// The bytes a simulator sends on its link, written from the record layout for the manager's
// tests: the reader is tried against an encoder of its own rather than against itself.
#ifndef KAVRIN_TESTS_SUPPORT_RECORDBYTES_H
#define KAVRIN_TESTS_SUPPORT_RECORDBYTES_H

#include <cstdint>
#include <cstring>
#include <vector>

#include "Wire.h"

namespace simmgr {
namespace recordbytes {

inline void PutU16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

inline void PutDouble(std::vector<uint8_t>& out, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  for (int shift = 56; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(bits >> shift));
}

inline std::vector<uint8_t> EncodeReply(uint8_t marker, uint8_t code, uint32_t pid) {
  std::vector<uint8_t> out;
  PutU32(out, 10);
  out.push_back(marker);
  out.push_back(code);
  PutU32(out, pid);
  return out;
}

inline std::vector<uint8_t> EncodeCpuTime(uint8_t clientId, uint16_t experiment, double seconds) {
  std::vector<uint8_t> out;
  PutU32(out, 12);
  out.push_back(0xFE);
  out.push_back(clientId);
  PutU16(out, experiment);
  PutDouble(out, seconds);
  return out;
}

inline std::vector<uint8_t> EncodeData(const DataRecord& r) {
  uint32_t length = 9;
  for (const DataBlock& b : r.blocks) length += 7 + 8 * static_cast<uint32_t>(b.values.size());
  std::vector<uint8_t> out;
  out.reserve(length);
  PutU32(out, length);
  out.push_back(r.clientId);
  PutU16(out, r.experiment);
  PutU16(out, static_cast<uint16_t>(r.blocks.size()));
  for (const DataBlock& b : r.blocks) {
    PutU16(out, b.pvIndex);
    out.push_back(b.kind);
    PutU32(out, static_cast<uint32_t>(b.values.size()));
    for (double v : b.values) PutDouble(out, v);
  }
  return out;
}

}  // namespace recordbytes
}  // namespace simmgr

#endif

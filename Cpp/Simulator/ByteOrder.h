// Big-endian put/get helpers for the result records on the manager link and in the binary file.
// Every integer and double goes out in network order; doubles travel as their IEEE 754 bit
// pattern in a uint64_t, never as a byte-swapped double (a swapped pattern may be a signalling NaN).
#ifndef KAVRIN_SIMULATOR_BYTEORDER_H
#define KAVRIN_SIMULATOR_BYTEORDER_H

#include <cstdint>
#include <cstring>

namespace ByteOrder {

inline void PutU8(unsigned char* p, uint8_t v) { p[0] = v; }

inline void PutU16(unsigned char* p, uint16_t v) {
  p[0] = static_cast<unsigned char>(v >> 8);
  p[1] = static_cast<unsigned char>(v);
}

inline void PutU32(unsigned char* p, uint32_t v) {
  p[0] = static_cast<unsigned char>(v >> 24);
  p[1] = static_cast<unsigned char>(v >> 16);
  p[2] = static_cast<unsigned char>(v >> 8);
  p[3] = static_cast<unsigned char>(v);
}

inline void PutU64(unsigned char* p, uint64_t v) {
  PutU32(p, static_cast<uint32_t>(v >> 32));
  PutU32(p + 4, static_cast<uint32_t>(v));
}

inline void PutI16(unsigned char* p, int16_t v) { PutU16(p, static_cast<uint16_t>(v)); }
inline void PutI32(unsigned char* p, int32_t v) { PutU32(p, static_cast<uint32_t>(v)); }

inline uint64_t DoubleBits(double d) {
  static_assert(sizeof(double) == sizeof(uint64_t), "doubles are 64 bits");
  uint64_t bits;
  std::memcpy(&bits, &d, sizeof bits);
  return bits;
}

inline double BitsToDouble(uint64_t bits) {
  double d;
  std::memcpy(&d, &bits, sizeof d);
  return d;
}

inline void PutDouble(unsigned char* p, double d) { PutU64(p, DoubleBits(d)); }

inline uint16_t GetU16(const unsigned char* p) {
  return static_cast<uint16_t>((static_cast<uint16_t>(p[0]) << 8) | p[1]);
}

inline uint32_t GetU32(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
}

inline uint64_t GetU64(const unsigned char* p) {
  return (static_cast<uint64_t>(GetU32(p)) << 32) | GetU32(p + 4);
}

inline int16_t GetI16(const unsigned char* p) { return static_cast<int16_t>(GetU16(p)); }
inline int32_t GetI32(const unsigned char* p) { return static_cast<int32_t>(GetU32(p)); }
inline double GetDouble(const unsigned char* p) { return BitsToDouble(GetU64(p)); }

}  // namespace ByteOrder

#endif

// Sha256: the SHA-256 digest (FIPS 180-4) of a byte string, for the provenance a generated
// simulator carries: the digest of the description it was generated from, written as 64
// lowercase hexadecimal digits like sha256sum prints it. Feed the bytes in any number of pieces,
// then take the digest once.
#ifndef KAVRIN_SANGEN_SHA256_H
#define KAVRIN_SANGEN_SHA256_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace sangen {

class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  void Update(const std::string& bytes) { Update(bytes.data(), bytes.size()); }
  // The digest of everything fed so far, in lowercase hexadecimal; ends the feeding.
  std::string HexDigest();

  // The digest of one byte string.
  static std::string Hex(const std::string& bytes);

 private:
  void Block(const uint8_t* block);

  std::array<uint32_t, 8> State;
  std::array<uint8_t, 64> Pending;
  size_t PendingSize = 0;
  uint64_t TotalBytes = 0;
};

}  // namespace sangen

#endif

// The description digest: the FIPS 180-4 examples (one block, two blocks, a million bytes),
// the padding boundaries where the length spills into an extra block, and feeding in pieces.
#include <gtest/gtest.h>

#include <string>

#include "Sha256.h"

using sangen::Sha256;

TEST(Sha256, TheStandardsExamples) {
  EXPECT_EQ(Sha256::Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256::Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256::Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Sha256::Hex(std::string(1000000, 'a')),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// 55 bytes leave room for the length in the same block; 56 and 64 need another one.
// Digests from sha256sum of the same bytes (printf 'a%.0s' {1..N} | sha256sum).
TEST(Sha256, LengthsAroundTheBlockBoundary) {
  EXPECT_EQ(Sha256::Hex(std::string(55, 'a')),
            "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(Sha256::Hex(std::string(56, 'a')),
            "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(Sha256::Hex(std::string(64, 'a')),
            "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
}

TEST(Sha256, PiecesGiveTheDigestOfTheWhole) {
  std::string text;
  for (int k = 0; k < 300; k++) text += static_cast<char>(k * 7 + 3);  // every byte value, and more
  const std::string whole = Sha256::Hex(text);
  for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u}) {
    Sha256 h;
    for (size_t at = 0; at < text.size(); at += piece) h.Update(text.substr(at, piece));
    EXPECT_EQ(h.HexDigest(), whole) << "pieces of " << piece;
  }
}

#include "upgrade/sha256.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

std::string Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  for (uint8_t b : digest.bytes) {
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
  }
  return text;
}

// Every test runs with the portable rounds and with the processor's SHA
// instructions (the same rounds twice where it has none).
class Sha256 : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override { SetSha256Acceleration(GetParam()); }
  void TearDown() override { SetSha256Acceleration(true); }
};
INSTANTIATE_TEST_SUITE_P(Rounds, Sha256, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Accelerated" : "Portable";
                         });

// The FIPS 180-2 examples and the empty message.
TEST_P(Sha256, KnownDigests) {
  EXPECT_EQ(Hex(HashSha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Hex(HashSha256("abc")),
            "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  // 448 bits: the length no longer fits the first block's padding.
  EXPECT_EQ(Hex(HashSha256("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(Hex(HashSha256(std::string(1000000, 'a'))),
            "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

// Pieces that start and end anywhere in a block give the digest of the
// whole; the lengths lie around the padding's boundaries (digests from the
// host's sha256sum).
TEST_P(Sha256, PiecesOfAnySize) {
  const struct {
    size_t length;
    const char* digest;
  } kCases[] = {
      {55, "e7313d333c272e639f790978283f9eb392e843d0f29b7016828bb1daa4aac70b"},
      {56, "4324d65f3c103567f5589c710bc08f8523f929a9272e3af36fc968e52abc6c27"},
      {63, "81c80242132f230c3bd41b3e63bbcff16107339549214a99614ff26664625055"},
      {64, "39e3d7b6b5d075d37d053ad89b24b41bef4f3c29760c84447cab3f3be1882241"},
      {65, "aacca6ff74fdbb296d165a45cecfa04e5127bc008770fbbdd48006f2d2fae95e"},
      {119, "9ce7368e4daf32341631b492e80359dc9f594b48453cd0dd5bf0b19279cc177e"},
      {120, "7836b787757e95e58b3ca5aec90b1b004e8deba1e50e9675af9cabf1a13a04b5"},
      {1000, "1e9bc38cbf860b9ec31918b065f9b52476c549a782e0e7990bed8ce3868d2371"},
  };
  std::string message;
  for (int i = 0; i < 1000; ++i) message += char(i * 7 + 3);
  for (const auto& c : kCases) {
    for (size_t piece : {1u, 3u, 63u, 64u, 65u, 200u, 1000u}) {
      ::Sha256 hash;
      for (size_t at = 0; at < c.length; at += piece)
        hash.Update(message.data() + at, std::min(piece, c.length - at));
      EXPECT_EQ(Hex(hash.Finish()), c.digest) << c.length << " in pieces of " << piece;
    }
  }
  // One million 'a' fed in pieces of 1000 (not a multiple of a block).
  ::Sha256 hash;
  const std::string thousand(1000, 'a');
  for (int i = 0; i < 1000; ++i) hash.Update(thousand.data(), thousand.size());
  EXPECT_EQ(Hex(hash.Finish()), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace

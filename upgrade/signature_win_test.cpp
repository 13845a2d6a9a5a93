// The signature check as built for Windows (32-bit limbs in a 32-bit
// program): a version file signed by openssl at configure time with the
// build's test key (bin/signature-fixture) verifies, a changed one does not.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "upgrade/manifest_signature.h"

namespace {

std::string ReadFixture(const char* name) {
  std::ifstream in(std::string("signature-fixture\\") + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ManifestSignature, FixtureSignedWithTheTestKeyVerifies) {
  const std::string manifest = ReadFixture("version.dat");
  const std::string signature = ReadFixture("version.sig");
  if (manifest.empty()) GTEST_SKIP() << "the build carries the publisher's key: no fixture";
  EXPECT_TRUE(upgrade::VerifyManifestSignature(manifest, signature));
  std::string changed = manifest;
  changed[changed.size() - 3] ^= 1;
  EXPECT_FALSE(upgrade::VerifyManifestSignature(changed, signature));
  std::string flipped = signature;
  flipped[flipped.size() / 2] ^= 0x10;
  EXPECT_FALSE(upgrade::VerifyManifestSignature(manifest, flipped));
}

}  // namespace

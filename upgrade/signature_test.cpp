// The signature check against what openssl makes in the test run: keys of
// several sizes, signatures good and damaged, and hand-made blocks that a
// lenient reading of the padding would accept.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "upgrade/manifest_signature.h"
#include "upgrade/public_key_file.h"
#include "upgrade/rsa_verify.h"
#include "upgrade/sha256.h"

namespace upgrade {
namespace {

const char kManifest[] =
    "Version: 1.0.1\nFilename: Spruce.exe 1234567\nUpgradeURL: www.spruce.co.kr/new.htm\n";

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class Signatures : public testing::Test {
 protected:
  // The keys are made once for the whole suite: making RSA keys is slow.
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/spruce-signature-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    for (const char* nameAndBits :
         {"k2048:2048", "other:2048", "k2052:2052", "k3072:3072", "k1024:1024"}) {
      const std::string key = nameAndBits;
      const size_t colon = key.find(':');
      MakeKey(key.substr(0, colon), "-pkeyopt rsa_keygen_bits:" + key.substr(colon + 1));
    }
    MakeKey("e3", "-pkeyopt rsa_keygen_bits:2048 -pkeyopt rsa_keygen_pubexp:3");
    Openssl("genpkey -algorithm EC -pkeyopt ec_paramgen_curve:prime256v1 -out " + dir_ + "/ec.pem");
    Openssl("pkey -in " + dir_ + "/ec.pem -pubout -out " + dir_ + "/ec.pub.pem");
  }
  static void TearDownTestSuite() { std::system(("rm -rf " + dir_).c_str()); }

  static void Openssl(const std::string& arguments) {
    ASSERT_EQ(std::system(("openssl " + arguments + " 2>/dev/null").c_str()), 0) << arguments;
  }
  static void MakeKey(const std::string& name, const std::string& options) {
    Openssl("genpkey -algorithm RSA " + options + " -out " + dir_ + "/" + name + ".pem");
    Openssl("pkey -in " + dir_ + "/" + name + ".pem -pubout -out " + dir_ + "/" + name + ".pub.pem");
  }
  static std::string PublicPem(const std::string& name) {
    return ReadFile(dir_ + "/" + name + ".pub.pem");
  }
  static RsaPublicKey Key(const std::string& name) {
    RsaPublicKey key;
    EXPECT_TRUE(ParsePublicKeyPem(PublicPem(name), key)) << name;
    return key;
  }
  // What `openssl dgst -sign` makes of message with key name.
  static std::string Sign(const std::string& name, const std::string& message,
                          const std::string& digest = "sha256") {
    WriteFile(dir_ + "/message", message);
    Openssl("dgst -" + digest + " -sign " + dir_ + "/" + name + ".pem -out " + dir_ +
            "/signature " + dir_ + "/message");
    return ReadFile(dir_ + "/signature");
  }
  // The private-key operation on a block of our own making (pkeyutl's
  // -sign takes only digests; without padding, -decrypt is the same power).
  static std::string SignRawBlock(const std::string& name, const std::string& block) {
    WriteFile(dir_ + "/block", block);
    Openssl("pkeyutl -decrypt -inkey " + dir_ + "/" + name + ".pem -pkeyopt rsa_padding_mode:none -in " +
            dir_ + "/block -out " + dir_ + "/signature");
    return ReadFile(dir_ + "/signature");
  }
  // The modulus in big-endian bytes, as long as a signature.
  static std::string Modulus(const std::string& name, size_t size) {
    FILE* pipe = popen(("openssl rsa -pubin -in " + dir_ + "/" + name + ".pub.pem -modulus -noout").c_str(), "r");
    std::string text;
    for (int c; (c = fgetc(pipe)) != EOF;) text += char(c);
    pclose(pipe);
    std::string hex = text.substr(text.find('=') + 1);
    hex = hex.substr(0, hex.find_first_of("\r\n"));
    hex = std::string(2 * size - hex.size(), '0') + hex;
    std::string bytes;
    for (size_t i = 0; i < hex.size(); i += 2) bytes += char(std::stoi(hex.substr(i, 2), nullptr, 16));
    return bytes;
  }

  static std::string dir_;
};
std::string Signatures::dir_;

TEST_F(Signatures, OpensslSignaturesVerify) {
  const struct {
    const char* name;
    size_t bits;
  } kKeys[] = {{"k2048", 2048}, {"k2052", 2052}, {"k3072", 3072}};
  for (const auto& k : kKeys) {
    const RsaPublicKey key = Key(k.name);
    EXPECT_EQ(key.ModulusBits(), k.bits);
    EXPECT_EQ(key.ModulusSize(), (k.bits + 7) / 8);
    EXPECT_TRUE(VerifyManifestSignature(key, kManifest, Sign(k.name, kManifest))) << k.name;
    EXPECT_TRUE(VerifyManifestSignature(key, "", Sign(k.name, ""))) << k.name;
  }
}

TEST_F(Signatures, DamagedOrForeignSignaturesAreRefused) {
  const RsaPublicKey key = Key("k2048");
  const std::string good = Sign("k2048", kManifest);
  ASSERT_TRUE(VerifyManifestSignature(key, kManifest, good));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, ""));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, good.substr(0, good.size() - 1)));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, good.substr(1)));
  // The same number one byte longer: the length must be the modulus's.
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, std::string(1, '\0') + good));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, good + std::string(1, '\0')));
  for (size_t bit : {0u, 7u, 1000u, 2047u}) {
    std::string flipped = good;
    flipped[bit / 8] ^= char(1 << (bit % 8));
    EXPECT_FALSE(VerifyManifestSignature(key, kManifest, flipped)) << bit;
  }
  // The manifest changed by one byte, or by its line ends.
  std::string changed = kManifest;
  changed[9] = '2';
  EXPECT_FALSE(VerifyManifestSignature(key, changed, good));
  EXPECT_FALSE(VerifyManifestSignature(key, std::string(kManifest) + "\n", good));
  // Another key's signature; the same key over another digest.
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, Sign("other", kManifest)));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, Sign("k2048", kManifest, "sha1")));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, Sign("k2048", kManifest, "sha512")));
  EXPECT_FALSE(VerifyManifestSignature(RsaPublicKey(), kManifest, good));
}

// s + n has the same 65537th power modulo n as s. With a 2052-bit modulus
// every s + n still fits in the signature's 257 bytes, so only the s < n
// rule refuses this second form of a good signature.
TEST_F(Signatures, SignatureNotBelowModulusIsRefused) {
  const RsaPublicKey key = Key("k2052");
  const std::string good = Sign("k2052", kManifest);
  const std::string n = Modulus("k2052", key.ModulusSize());
  ASSERT_TRUE(VerifyManifestSignature(key, kManifest, good));
  std::string sum(good.size(), '\0');
  unsigned carry = 0;
  for (size_t i = good.size(); i-- > 0;) {
    carry += uint8_t(good[i]) + uint8_t(n[i]);
    sum[i] = char(carry & 0xff);
    carry >>= 8;
  }
  ASSERT_EQ(carry, 0u);
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, sum));
  EXPECT_FALSE(VerifyManifestSignature(key, kManifest, n));
}

// Blocks that a verifier reading the padding field by field might take for
// a signature of the manifest's digest; only the exact encoding passes.
TEST_F(Signatures, BlockIsComparedWhole) {
  const RsaPublicKey key = Key("k2048");
  const Sha256Digest digest = HashSha256(kManifest);
  const std::string hash(reinterpret_cast<const char*>(digest.bytes), kSha256Size);
  const std::string info("\x30\x31\x30\x0d\x06\x09\x60\x86\x48\x01\x65\x03\x04\x02\x01\x05\x00\x04\x20", 19);
  auto block = [](const std::string& head, const std::string& tail) {
    return head + std::string(256 - head.size() - tail.size() - 1, '\xff') + '\0' + tail;
  };
  auto accepted = [&](const std::string& b) {
    EXPECT_EQ(b.size(), 256u);
    return VerifyManifestSignature(key, kManifest, SignRawBlock("k2048", b));
  };
  EXPECT_TRUE(accepted(block(std::string("\x00\x01", 2), info + hash)));
  // Block type 2, and a padding byte that is not FF.
  EXPECT_FALSE(accepted(block(std::string("\x00\x02", 2), info + hash)));
  std::string notFf = block(std::string("\x00\x01", 2), info + hash);
  notFf[100] = '\xfe';
  EXPECT_FALSE(accepted(notFf));
  // The digest followed by other bytes, the padding shortened to make room.
  const std::string garbage(64, '\x5a');
  EXPECT_FALSE(accepted(std::string("\x00\x01", 2) + std::string(8, '\xff') + '\0' + info + hash +
                        garbage + std::string(256 - 11 - info.size() - hash.size() - 64, '\x5a')));
  // DigestInfo without the NULL parameters.
  const std::string noNull("\x30\x2f\x30\x0b\x06\x09\x60\x86\x48\x01\x65\x03\x04\x02\x01\x04\x20", 17);
  EXPECT_FALSE(accepted(block(std::string("\x00\x01", 2), noNull + hash)));
}

TEST_F(Signatures, OnlyRsaKeysOf2048BitsOrMoreWithExponent65537AreRead) {
  RsaPublicKey key;
  const std::string pem = PublicPem("k2048");
  ASSERT_TRUE(ParsePublicKeyPem(pem, key));
  // CRLF line ends (a Windows checkout) and text around the block.
  std::string crlf;
  for (char c : pem) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_TRUE(ParsePublicKeyPem("comment\n" + crlf + "more\n", key));
  EXPECT_FALSE(ParsePublicKeyPem(PublicPem("k1024"), key));
  EXPECT_FALSE(ParsePublicKeyPem(PublicPem("e3"), key));
  EXPECT_FALSE(ParsePublicKeyPem(PublicPem("ec"), key));
  EXPECT_FALSE(ParsePublicKeyPem(ReadFile(dir_ + "/k2048.pem"), key));
  EXPECT_TRUE(key.Empty());
  // The same key in the older PKCS#1 "RSA PUBLIC KEY" form.
  Openssl("rsa -pubin -in " + dir_ + "/k2048.pub.pem -RSAPublicKey_out -out " + dir_ + "/pkcs1.pem");
  EXPECT_FALSE(ParsePublicKeyPem(ReadFile(dir_ + "/pkcs1.pem"), key));
  // DER with a byte after the structure, and cut short.
  Openssl("pkey -pubin -in " + dir_ + "/k2048.pub.pem -outform DER -out " + dir_ + "/k.der");
  const std::string der = ReadFile(dir_ + "/k.der");
  auto readDer = [&](const std::string& bytes) {
    return ParsePublicKeyDer(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), key);
  };
  EXPECT_TRUE(readDer(der));
  EXPECT_FALSE(readDer(der + '\0'));
  EXPECT_FALSE(readDer(der.substr(0, der.size() - 1)));

  // Moduli by size and parity: 2048 to 8192 bits, odd, leading zeros allowed.
  auto modulus = [](size_t bytes, uint8_t top, uint8_t bottom) {
    std::string n(bytes, '\x33');
    n.front() = char(top);
    n.back() = char(bottom);
    return n;
  };
  auto setModulus = [&](const std::string& n) {
    return key.SetModulus(reinterpret_cast<const uint8_t*>(n.data()), n.size());
  };
  EXPECT_TRUE(setModulus(modulus(256, 0x80, 0x01)));
  EXPECT_TRUE(setModulus(std::string(3, '\0') + modulus(256, 0x80, 0x01)));
  EXPECT_EQ(key.ModulusSize(), 256u);
  EXPECT_FALSE(setModulus(modulus(256, 0x7f, 0x01)));  // 2047 bits
  EXPECT_FALSE(setModulus(modulus(256, 0x80, 0x02)));  // even
  EXPECT_TRUE(setModulus(modulus(1024, 0xff, 0xff)));
  EXPECT_FALSE(setModulus(modulus(1025, 0x01, 0xff)));  // 8193 bits
  EXPECT_TRUE(key.Empty());
}

// The programs carry the test key when the build names no publisher's key:
// what its private half signs verifies, anything else does not.
TEST(PublisherKey, CompiledInKeyVerifiesItsSignatures) {
  ASSERT_FALSE(PublisherKey().Empty());
  EXPECT_GE(PublisherKey().ModulusBits(), kMinRsaModulusBits);
  const std::string privateKey = SPRUCE_TEST_PRIVATE_KEY;
  if (privateKey.empty()) GTEST_SKIP() << "the build carries the publisher's key";
  char pattern[] = "/tmp/spruce-publisher-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = pattern;
  WriteFile(dir + "/version.dat", kManifest);
  ASSERT_EQ(std::system(("openssl dgst -sha256 -sign " + privateKey + " -out " + dir +
                         "/version.sig " + dir + "/version.dat")
                            .c_str()),
            0);
  const std::string signature = ReadFile(dir + "/version.sig");
  std::system(("rm -rf " + dir).c_str());
  EXPECT_TRUE(VerifyManifestSignature(kManifest, signature));
  EXPECT_FALSE(VerifyManifestSignature(std::string(kManifest) + " ", signature));
}

}  // namespace
}  // namespace upgrade

#include "upgrade/rsa_verify.h"

#include <cstring>

namespace upgrade {

namespace {

using Limbs = std::vector<uint32_t>;

// Big-endian bytes into limbs of the given count (enough for size bytes).
Limbs LoadNumber(const uint8_t* bytes, size_t size, size_t limbCount) {
  Limbs out(limbCount, 0);
  for (size_t i = 0; i < size; ++i) {
    const size_t bitPos = 8 * (size - 1 - i);
    out[bitPos / 32] |= uint32_t(bytes[i]) << (bitPos % 32);
  }
  return out;
}

// a >= b, both of the same length.
bool NotBelow(const uint32_t* a, const uint32_t* b, size_t count) {
  for (size_t i = count; i-- > 0;)
    if (a[i] != b[i]) return a[i] > b[i];
  return true;
}

// a -= b modulo 2^(32 * count).
void SubtractInPlace(uint32_t* a, const uint32_t* b, size_t count) {
  uint32_t borrow = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint64_t difference = uint64_t(a[i]) - b[i] - borrow;
    a[i] = uint32_t(difference);
    borrow = uint32_t(difference >> 63);
  }
}

// Montgomery multiplication (CIOS): out = a * b / 2^(32 * count) mod n, for
// a and b below n; t is scratch space of count + 2 limbs, and out may be a
// or b. Public inputs only, so the final subtraction need not run in
// constant time. Plain pointers: the fuzzing and sanitizer builds run
// unoptimized, where every vector index is a call.
void MontgomeryMultiply(uint32_t* out, const uint32_t* a, const uint32_t* b, const uint32_t* n,
                        size_t count, uint32_t negInverse, uint32_t* t) {
  for (size_t j = 0; j < count + 2; ++j) t[j] = 0;
  for (size_t i = 0; i < count; ++i) {
    uint64_t carry = 0;
    const uint64_t bi = b[i];
    for (size_t j = 0; j < count; ++j) {
      const uint64_t sum = t[j] + a[j] * bi + carry;
      t[j] = uint32_t(sum);
      carry = sum >> 32;
    }
    uint64_t sum = t[count] + carry;
    t[count] = uint32_t(sum);
    t[count + 1] = uint32_t(sum >> 32);

    const uint64_t factor = uint32_t(t[0] * negInverse);
    carry = (t[0] + factor * n[0]) >> 32;
    for (size_t j = 1; j < count; ++j) {
      sum = t[j] + factor * n[j] + carry;
      t[j - 1] = uint32_t(sum);
      carry = sum >> 32;
    }
    sum = t[count] + carry;
    t[count - 1] = uint32_t(sum);
    t[count] = t[count + 1] + uint32_t(sum >> 32);
  }
  // The result is below 2n: one subtraction brings it below n.
  if (t[count] != 0 || NotBelow(t, n, count)) SubtractInPlace(t, n, count);
  for (size_t j = 0; j < count; ++j) out[j] = t[j];
}

// r = 2r mod n, for r below n.
void DoubleModulo(uint32_t* r, const uint32_t* n, size_t count) {
  const uint32_t carryOut = r[count - 1] >> 31;
  for (size_t i = count - 1; i > 0; --i) r[i] = (r[i] << 1) | (r[i - 1] >> 31);
  r[0] <<= 1;
  if (carryOut || NotBelow(r, n, count)) SubtractInPlace(r, n, count);
}

// The DER encoding of DigestInfo { sha256, NULL } up to the digest itself.
constexpr uint8_t kSha256DigestInfo[] = {0x30, 0x31, 0x30, 0x0d, 0x06, 0x09, 0x60,
                                         0x86, 0x48, 0x01, 0x65, 0x03, 0x04, 0x02,
                                         0x01, 0x05, 0x00, 0x04, 0x20};

}  // namespace

bool RsaPublicKey::SetModulus(const uint8_t* bytes, size_t size) {
  modulus_.clear();
  rSquared_.clear();
  modulusSize_ = modulusBits_ = 0;
  while (size > 0 && bytes[0] == 0) {
    ++bytes;
    --size;
  }
  if (size == 0 || size > kMaxRsaModulusBits / 8 || (bytes[size - 1] & 1) == 0) return false;
  size_t bits = 8 * size;
  for (uint8_t top = bytes[0]; (top & 0x80) == 0; top <<= 1) --bits;
  if (bits < kMinRsaModulusBits) return false;

  const size_t count = (size + 3) / 4;
  const Limbs n = LoadNumber(bytes, size, count);
  // Newton's iteration doubles the correct low bits of 1/n each step; an
  // odd n is its own inverse modulo 8 (3 bits), so four steps give 48.
  uint32_t inverse = n[0];
  for (int i = 0; i < 4; ++i) inverse *= 2 - n[0] * inverse;

  // R^2 mod n for R = 2^(32 * count), cheaply: 2^(bits - 1) is below n;
  // doubling it up to 2^count * R mod n, then five Montgomery squarings
  // (each maps x * R to x^2 * R) give 2^(32 * count) * R = R^2.
  Limbs r(count, 0), scratch(count + 2);
  r[(bits - 1) / 32] = uint32_t(1) << ((bits - 1) % 32);
  const uint32_t negInverse = uint32_t(0) - inverse;
  for (size_t step = 32 * count - (bits - 1) + count; step > 0; --step)
    DoubleModulo(r.data(), n.data(), count);
  for (int i = 0; i < 5; ++i)
    MontgomeryMultiply(r.data(), r.data(), r.data(), n.data(), count, negInverse, scratch.data());

  modulus_ = n;
  rSquared_ = r;
  negInverse_ = negInverse;
  modulusSize_ = size;
  modulusBits_ = bits;
  return true;
}

bool VerifyRsaSha256(const RsaPublicKey& key, const Sha256Digest& digest,
                     const uint8_t* signature, size_t size) {
  if (key.Empty() || size != key.modulusSize_) return false;
  const Limbs& n = key.modulus_;
  const Limbs s = LoadNumber(signature, size, n.size());
  if (NotBelow(s.data(), n.data(), n.size())) return false;

  // s^65537 = (s^65536 in Montgomery form) * s / R: sixteen squarings of
  // s * R, then one multiplication by plain s leaves the plain result.
  const size_t count = n.size();
  Limbs x(count), scratch(count + 2);
  MontgomeryMultiply(x.data(), s.data(), key.rSquared_.data(), n.data(), count, key.negInverse_,
                     scratch.data());
  for (int i = 0; i < 16; ++i)
    MontgomeryMultiply(x.data(), x.data(), x.data(), n.data(), count, key.negInverse_, scratch.data());
  MontgomeryMultiply(x.data(), x.data(), s.data(), n.data(), count, key.negInverse_, scratch.data());

  std::vector<uint8_t> block(size);
  for (size_t i = 0; i < size; ++i) {
    const size_t bitPos = 8 * (size - 1 - i);
    block[i] = uint8_t(x[bitPos / 32] >> (bitPos % 32));
  }
  // The 2048-bit minimum leaves far more than the eight padding bytes the
  // encoding requires.
  std::vector<uint8_t> expected(size, 0xff);
  expected[0] = 0x00;
  expected[1] = 0x01;
  const size_t tail = 1 + sizeof kSha256DigestInfo + kSha256Size;
  uint8_t* p = expected.data() + size - tail;
  *p++ = 0x00;
  std::memcpy(p, kSha256DigestInfo, sizeof kSha256DigestInfo);
  std::memcpy(p + sizeof kSha256DigestInfo, digest.bytes, kSha256Size);
  return block == expected;
}

}  // namespace upgrade

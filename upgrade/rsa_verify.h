// RSA signature verification (PKCS#1 v1.5 with SHA-256, public exponent
// 65537) in portable C++: the same code on every Windows and natively under
// the sanitizers. Pure code: no <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "upgrade/sha256.h"

namespace upgrade {

// The modulus sizes a key may have. The upper bound keeps the work of one
// verification small whatever a damaged or hostile key file holds.
constexpr size_t kMinRsaModulusBits = 2048;
constexpr size_t kMaxRsaModulusBits = 8192;

// A public key with exponent 65537, prepared for verification. Empty until
// SetModulus succeeds; an empty key verifies nothing.
class RsaPublicKey {
 public:
  // Takes the modulus as big-endian bytes (leading zero bytes allowed).
  // False, leaving the key empty, unless it is an odd number of
  // kMinRsaModulusBits to kMaxRsaModulusBits bits.
  bool SetModulus(const uint8_t* bytes, size_t size);

  bool Empty() const { return modulus_.empty(); }
  // The length in bytes of the modulus, and so of every signature.
  size_t ModulusSize() const { return modulusSize_; }
  size_t ModulusBits() const { return modulusBits_; }

 private:
  friend bool VerifyRsaSha256(const RsaPublicKey&, const Sha256Digest&, const uint8_t*, size_t);
  std::vector<uint32_t> modulus_;  // 32-bit limbs, least significant first
  std::vector<uint32_t> rSquared_;  // R^2 mod n, R = 2^(32 * limbs): into Montgomery form
  uint32_t negInverse_ = 0;         // -1/n mod 2^32
  size_t modulusSize_ = 0;
  size_t modulusBits_ = 0;
};

// True when signature is the RSASSA-PKCS1-v1_5 signature of the SHA-256
// digest under key: exactly ModulusSize() bytes, below the modulus as a
// number, and its 65537th power is exactly the block
//   00 01 FF..FF 00 DigestInfo(SHA-256) digest
// built here and compared whole (the signature's padding is never parsed,
// so no lenient reading of it can be exploited).
bool VerifyRsaSha256(const RsaPublicKey& key, const Sha256Digest& digest,
                     const uint8_t* signature, size_t size);

}  // namespace upgrade

// Feeds arbitrary bytes to the key file reader, as DER, as the body of a PEM
// block, and as edits of the compiled-in key's DER (which reach the checks
// deep inside a key far more often than random bytes do). Whatever is
// accepted must be a usable key within the size bounds, and refuse a
// signature of zeros.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "upgrade/manifest_signature.h"
#include "upgrade/public_key_file.h"

using namespace upgrade;

static void Expect(bool ok) {
  if (!ok) std::abort();
}

// The compiled-in key's DER bytes, decoded from its PEM text once.
static std::vector<uint8_t> PublisherDer() {
  static const std::vector<uint8_t> der = [] {
    std::string text = kPublisherKeyPem;
    text = text.substr(text.find('\n') + 1);
    text = text.substr(0, text.find("-----"));
    std::vector<uint8_t> bytes;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
      int v = c >= 'A' && c <= 'Z'   ? c - 'A'
              : c >= 'a' && c <= 'z' ? c - 'a' + 26
              : c >= '0' && c <= '9' ? c - '0' + 52
              : c == '+'             ? 62
              : c == '/'             ? 63
                                     : -1;
      if (v < 0) continue;
      bits = (bits << 6) | uint32_t(v);
      if ((count += 6) >= 8) bytes.push_back(uint8_t(bits >> (count -= 8)));
    }
    return bytes;
  }();
  return der;
}

static void Check(const RsaPublicKey& key, bool accepted) {
  Expect(accepted != key.Empty());
  if (!accepted) return;
  Expect(key.ModulusBits() >= kMinRsaModulusBits && key.ModulusBits() <= kMaxRsaModulusBits);
  Expect(key.ModulusSize() == (key.ModulusBits() + 7) / 8);
  const std::vector<uint8_t> zeros(key.ModulusSize(), 0);
  Expect(!VerifyRsaSha256(key, HashSha256(""), zeros.data(), zeros.size()));
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const uint8_t mode = data[0] % 3;
  ++data;
  --size;
  RsaPublicKey key;
  if (mode == 0) {
    Check(key, ParsePublicKeyDer(data, size, key));
  } else if (mode == 1) {
    const std::string text = "-----BEGIN PUBLIC KEY-----\n" +
                             std::string(reinterpret_cast<const char*>(data), size) +
                             "\n-----END PUBLIC KEY-----\n";
    Check(key, ParsePublicKeyPem(text, key));
  } else {
    // Edits of three bytes each: a position (two bytes) and a new value;
    // a position past the end cuts the key there instead.
    std::vector<uint8_t> der = PublisherDer();
    for (size_t i = 0; i + 3 <= size; i += 3) {
      const size_t at = (size_t(data[i]) << 8 | data[i + 1]) % (der.size() + 8);
      if (at < der.size()) der[at] = data[i + 2];
      else der.resize(der.size() - std::min(der.size(), at - der.size()));
    }
    Check(key, ParsePublicKeyDer(der.data(), der.size(), key));
  }
  return 0;
}

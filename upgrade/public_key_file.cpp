#include "upgrade/public_key_file.h"

#include <cstring>
#include <vector>

namespace upgrade {

namespace {

// A cursor over DER bytes that refuses anything not in canonical form.
class DerReader {
 public:
  DerReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  bool AtEnd() const { return pos_ == size_; }

  // The contents of the next element if its tag is tag.
  bool Read(uint8_t tag, DerReader& contents) {
    if (size_ - pos_ < 2 || data_[pos_] != tag) return false;
    size_t length = data_[pos_ + 1];
    pos_ += 2;
    if (length & 0x80) {
      // Long form: 1 or 2 length bytes (no key file comes near 64 KB),
      // no leading zero, and only for lengths that the short form cannot hold.
      const size_t lengthBytes = length & 0x7f;
      if (lengthBytes == 0 || lengthBytes > 2 || size_ - pos_ < lengthBytes || data_[pos_] == 0)
        return false;
      length = 0;
      for (size_t i = 0; i < lengthBytes; ++i) length = (length << 8) | data_[pos_++];
      if (length < 0x80) return false;
    }
    if (size_ - pos_ < length) return false;
    contents = DerReader(data_ + pos_, length);
    pos_ += length;
    return true;
  }

  // The next element is exactly these bytes (tag, length and contents).
  bool Expect(const uint8_t* bytes, size_t count) {
    if (size_ - pos_ < count || std::memcmp(data_ + pos_, bytes, count) != 0) return false;
    pos_ += count;
    return true;
  }

  // The magnitude of a positive INTEGER in minimal encoding.
  bool ReadPositiveInteger(const uint8_t*& bytes, size_t& count) {
    DerReader value(nullptr, 0);
    if (!Read(0x02, value) || value.size_ == 0) return false;
    const uint8_t* p = value.data_;
    count = value.size_;
    if (p[0] & 0x80) return false;  // negative
    if (p[0] == 0) {
      if (count == 1 || (p[1] & 0x80) == 0) return false;  // zero, or a needless leading zero
      ++p;
      --count;
    }
    bytes = p;
    return true;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

// AlgorithmIdentifier { rsaEncryption (1.2.840.113549.1.1.1), NULL }.
constexpr uint8_t kRsaAlgorithm[] = {0x30, 0x0d, 0x06, 0x09, 0x2a, 0x86, 0x48, 0x86,
                                     0xf7, 0x0d, 0x01, 0x01, 0x01, 0x05, 0x00};
// INTEGER 65537.
constexpr uint8_t kExponent65537[] = {0x02, 0x03, 0x01, 0x00, 0x01};

// The value of a base64 digit, or -1.
int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeBase64(const char* text, size_t size, std::vector<uint8_t>& out) {
  std::string digits;
  for (size_t i = 0; i < size; ++i) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    digits += c;
  }
  if (digits.empty() || digits.size() % 4 != 0) return false;
  size_t padding = 0;
  if (digits[digits.size() - 1] == '=') padding = digits[digits.size() - 2] == '=' ? 2 : 1;
  out.clear();
  uint32_t bits = 0;
  for (size_t i = 0; i < digits.size() - padding; ++i) {
    const int value = Base64Value(digits[i]);
    if (value < 0) return false;
    bits = (bits << 6) | uint32_t(value);
    if (i % 4 == 3) {
      out.push_back(uint8_t(bits >> 16));
      out.push_back(uint8_t(bits >> 8));
      out.push_back(uint8_t(bits));
      bits = 0;
    }
  }
  // The last group's unused bits must be zero, so each key has one text.
  if (padding == 1) {
    if (bits & 0x3) return false;
    out.push_back(uint8_t(bits >> 10));
    out.push_back(uint8_t(bits >> 2));
  } else if (padding == 2) {
    if (bits & 0xf) return false;
    out.push_back(uint8_t(bits >> 4));
  }
  return true;
}

}  // namespace

bool ParsePublicKeyDer(const uint8_t* der, size_t size, RsaPublicKey& key) {
  key = RsaPublicKey();
  DerReader file(der, size), info(nullptr, 0), bits(nullptr, 0), rsaKey(nullptr, 0);
  if (!file.Read(0x30, info) || !file.AtEnd()) return false;
  if (!info.Expect(kRsaAlgorithm, sizeof kRsaAlgorithm)) return false;
  // BIT STRING: no unused bits, then RSAPublicKey { modulus, exponent }.
  static const uint8_t kNoUnusedBits[] = {0x00};
  if (!info.Read(0x03, bits) || !info.AtEnd() || !bits.Expect(kNoUnusedBits, 1)) return false;
  if (!bits.Read(0x30, rsaKey) || !bits.AtEnd()) return false;
  const uint8_t* modulus = nullptr;
  size_t modulusSize = 0;
  if (!rsaKey.ReadPositiveInteger(modulus, modulusSize)) return false;
  if (!rsaKey.Expect(kExponent65537, sizeof kExponent65537) || !rsaKey.AtEnd()) return false;
  return key.SetModulus(modulus, modulusSize);
}

bool ParsePublicKeyPem(const std::string& text, RsaPublicKey& key) {
  key = RsaPublicKey();
  static const char kBegin[] = "-----BEGIN PUBLIC KEY-----";
  static const char kEnd[] = "-----END PUBLIC KEY-----";
  const size_t begin = text.find(kBegin);
  if (begin == std::string::npos) return false;
  const size_t body = begin + sizeof kBegin - 1;
  const size_t end = text.find(kEnd, body);
  if (end == std::string::npos) return false;
  std::vector<uint8_t> der;
  if (!DecodeBase64(text.data() + body, end - body, der)) return false;
  return ParsePublicKeyDer(der.data(), der.size(), key);
}

}  // namespace upgrade

// SHA-256 in portable C++: one code path on every Windows, including those
// whose CryptoAPI has no SHA-256 (before XP SP3). Pure code: no <windows.h>.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

constexpr size_t kSha256Size = 32;

struct Sha256Digest {
  uint8_t bytes[kSha256Size];
};

// Hashes a stream of bytes fed in pieces of any size.
class Sha256 {
 public:
  Sha256();
  void Update(const void* data, size_t size);
  // The digest of everything fed so far. The object is spent afterwards:
  // construct a new one for the next message.
  Sha256Digest Finish();

 private:
  void Compress(const uint8_t* block);
  uint32_t state_[8];
  uint64_t totalBytes_ = 0;
  uint8_t pending_[64];
  size_t pendingSize_ = 0;
};

// The digest of one whole message.
Sha256Digest HashSha256(const void* data, size_t size);
inline Sha256Digest HashSha256(const std::string& text) { return HashSha256(text.data(), text.size()); }

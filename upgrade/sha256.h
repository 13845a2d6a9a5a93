// SHA-256 in portable C++: one code path on every Windows, including those
// whose CryptoAPI has no SHA-256 (before XP SP3), with the rounds done by the
// processor's SHA instructions where it has them. Pure code: no <windows.h>.
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
  // Compresses blocks consecutive 64-byte blocks into the state.
  void Compress(const uint8_t* data, size_t blocks);
  uint32_t state_[8];
  uint64_t totalBytes_ = 0;
  uint8_t pending_[64];
  size_t pendingSize_ = 0;
};

// True when the processor's SHA instructions do the rounds (x86 processors
// that have them); otherwise portable C++ does.
bool Sha256Accelerated();
// False keeps to the portable rounds (tests; a system that does not save
// the vector registers); true lets the processor's instructions be used
// again where they exist.
void SetSha256Acceleration(bool allowed);

// The digest of one whole message.
Sha256Digest HashSha256(const void* data, size_t size);
inline Sha256Digest HashSha256(const std::string& text) { return HashSha256(text.data(), text.size()); }

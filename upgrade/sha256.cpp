#include "upgrade/sha256.h"

#include <atomic>
#include <cstring>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <immintrin.h>
#define SPRUCE_SHA256_X86 1
#endif

namespace {

constexpr uint32_t kRoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

inline uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

inline uint32_t LoadBigEndian(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

inline void StoreBigEndian(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v >> 24);
  p[1] = uint8_t(v >> 16);
  p[2] = uint8_t(v >> 8);
  p[3] = uint8_t(v);
}

}  // namespace

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
             0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

namespace {

// The message schedule is kept as a rolling window of 16 words and the eight
// working variables rotate by renaming (the round macro's argument order)
// instead of by moves: on i686, with seven general registers, this runs at
// about three times the speed of the textbook loop (a 64-word schedule and
// eight moves a round): 320 against 100 MB/s, measured by
// scripts/bench-sha256.sh under Wine.
void CompressPortable(uint32_t* state, const uint8_t* block) {
  uint32_t w[16];
  for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian(block + 4 * i);
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  uint32_t e = state[4], f = state[5], g = state[6], h = state[7];

#define SPRUCE_SHA256_ROUND(a, b, c, d, e, f, g, h, k, wi)                           \
  do {                                                                               \
    const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) +               \
                        (g ^ (e & (f ^ g))) + (k) + (wi);                            \
    const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) +                   \
                        ((a & b) | (c & (a | b)));                                   \
    d += t1;                                                                         \
    h = t1 + t2;                                                                     \
  } while (0)
#define SPRUCE_SHA256_EIGHT(base, W)                                                          \
  SPRUCE_SHA256_ROUND(a, b, c, d, e, f, g, h, kRoundConstants[base + 0], W(base + 0));       \
  SPRUCE_SHA256_ROUND(h, a, b, c, d, e, f, g, kRoundConstants[base + 1], W(base + 1));       \
  SPRUCE_SHA256_ROUND(g, h, a, b, c, d, e, f, kRoundConstants[base + 2], W(base + 2));       \
  SPRUCE_SHA256_ROUND(f, g, h, a, b, c, d, e, kRoundConstants[base + 3], W(base + 3));       \
  SPRUCE_SHA256_ROUND(e, f, g, h, a, b, c, d, kRoundConstants[base + 4], W(base + 4));       \
  SPRUCE_SHA256_ROUND(d, e, f, g, h, a, b, c, kRoundConstants[base + 5], W(base + 5));       \
  SPRUCE_SHA256_ROUND(c, d, e, f, g, h, a, b, kRoundConstants[base + 6], W(base + 6));       \
  SPRUCE_SHA256_ROUND(b, c, d, e, f, g, h, a, kRoundConstants[base + 7], W(base + 7))
// Rounds 0-15 read the block's words; later rounds extend the schedule in
// place (word i replaces word i - 16 in the same slot).
#define SPRUCE_SHA256_LOADED(i) w[i]
#define SPRUCE_SHA256_EXTENDED(i)                                                    \
  (w[(i)&15] += (Rotr(w[((i)-2) & 15], 17) ^ Rotr(w[((i)-2) & 15], 19) ^            \
                 (w[((i)-2) & 15] >> 10)) +                                          \
                w[((i)-7) & 15] +                                                    \
                (Rotr(w[((i)-15) & 15], 7) ^ Rotr(w[((i)-15) & 15], 18) ^            \
                 (w[((i)-15) & 15] >> 3)))

  SPRUCE_SHA256_EIGHT(0, SPRUCE_SHA256_LOADED);
  SPRUCE_SHA256_EIGHT(8, SPRUCE_SHA256_LOADED);
  for (int base = 16; base < 64; base += 16) {
    SPRUCE_SHA256_EIGHT(base, SPRUCE_SHA256_EXTENDED);
    SPRUCE_SHA256_EIGHT(base + 8, SPRUCE_SHA256_EXTENDED);
  }
#undef SPRUCE_SHA256_EXTENDED
#undef SPRUCE_SHA256_LOADED
#undef SPRUCE_SHA256_EIGHT
#undef SPRUCE_SHA256_ROUND

  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
  state[4] += e;
  state[5] += f;
  state[6] += g;
  state[7] += h;
}

#ifdef SPRUCE_SHA256_X86
// The processor's SHA extensions (x86 SHA-NI, with SSSE3 and SSE4.1 for the
// shuffles), several times faster than the portable rounds: the updater
// hashes every byte it downloads, and without them the hashing would take
// longer than the download itself. The state is kept as ABEF and CDGH, the
// order the round instruction takes; each step does four rounds.
#if defined(__i386__)
// 32-bit Windows keeps the stack only 4-byte aligned; the vector spills need 16.
__attribute__((force_align_arg_pointer))
#endif
__attribute__((target("sha,ssse3,sse4.1"))) void CompressShaExtensions(uint32_t* state,
                                                                       const uint8_t* data,
                                                                       size_t blocks) {
  const __m128i byteSwap = _mm_set_epi64x(0x0c0d0e0f08090a0bULL, 0x0405060700010203ULL);
  __m128i dcba = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state));
  __m128i hgfe = _mm_loadu_si128(reinterpret_cast<const __m128i*>(state + 4));
  const __m128i cdab = _mm_shuffle_epi32(dcba, 0xB1);
  const __m128i efgh = _mm_shuffle_epi32(hgfe, 0x1B);
  __m128i abef = _mm_alignr_epi8(cdab, efgh, 8);
  __m128i cdgh = _mm_blend_epi16(efgh, cdab, 0xF0);
  for (; blocks > 0; --blocks, data += 64) {
    const __m128i abefBefore = abef, cdghBefore = cdgh;
    __m128i w[4];
    for (int i = 0; i < 16; ++i) {
      __m128i& words = w[i & 3];
      if (i < 4) {
        words = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * i)), byteSwap);
      } else {
        // Words 4i..4i+3 from those 16, 15, 7 and 2 places back.
        const __m128i& previous = w[(i + 3) & 3];
        words = _mm_sha256msg2_epu32(
            _mm_add_epi32(_mm_sha256msg1_epu32(words, w[(i + 1) & 3]),
                          _mm_alignr_epi8(previous, w[(i + 2) & 3], 4)),
            previous);
      }
      __m128i message =
          _mm_add_epi32(words, _mm_loadu_si128(reinterpret_cast<const __m128i*>(kRoundConstants + 4 * i)));
      cdgh = _mm_sha256rnds2_epu32(cdgh, abef, message);
      message = _mm_shuffle_epi32(message, 0x0E);
      abef = _mm_sha256rnds2_epu32(abef, cdgh, message);
    }
    abef = _mm_add_epi32(abef, abefBefore);
    cdgh = _mm_add_epi32(cdgh, cdghBefore);
  }
  const __m128i feba = _mm_shuffle_epi32(abef, 0x1B);
  const __m128i dchg = _mm_shuffle_epi32(cdgh, 0xB1);
  dcba = _mm_blend_epi16(feba, dchg, 0xF0);
  hgfe = _mm_alignr_epi8(dchg, feba, 8);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state), dcba);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(state + 4), hgfe);
}

bool ProcessorHasShaExtensions() {
  unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
  // A processor without the CPUID instruction reports a maximum leaf of 0.
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid(1, eax, ebx, ecx, edx);
  const bool ssse3 = ecx & (1u << 9), sse41 = ecx & (1u << 19);
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  return ssse3 && sse41 && (ebx & (1u << 29));
}
#endif

// -1: not yet asked; 0: the portable rounds; 1: the SHA extensions.
std::atomic<int> useShaExtensions{-1};

bool UseShaExtensions() {
  int use = useShaExtensions.load(std::memory_order_relaxed);
  if (use < 0) {
#ifdef SPRUCE_SHA256_X86
    use = ProcessorHasShaExtensions() ? 1 : 0;
#else
    use = 0;
#endif
    useShaExtensions.store(use, std::memory_order_relaxed);
  }
  return use == 1;
}

}  // namespace

bool Sha256Accelerated() { return UseShaExtensions(); }

void SetSha256Acceleration(bool allowed) {
  useShaExtensions.store(-1, std::memory_order_relaxed);
  if (!allowed) useShaExtensions.store(0, std::memory_order_relaxed);
}

void Sha256::Compress(const uint8_t* data, size_t blocks) {
#ifdef SPRUCE_SHA256_X86
  if (UseShaExtensions()) {
    CompressShaExtensions(state_, data, blocks);
    return;
  }
#endif
  for (; blocks > 0; --blocks, data += 64) CompressPortable(state_, data);
}

void Sha256::Update(const void* data, size_t size) {
  const uint8_t* in = static_cast<const uint8_t*>(data);
  totalBytes_ += size;
  if (pendingSize_ > 0) {
    const size_t take = size < 64 - pendingSize_ ? size : 64 - pendingSize_;
    std::memcpy(pending_ + pendingSize_, in, take);
    pendingSize_ += take;
    in += take;
    size -= take;
    if (pendingSize_ < 64) return;
    Compress(pending_, 1);
    pendingSize_ = 0;
  }
  const size_t blocks = size / 64;
  if (blocks > 0) Compress(in, blocks);
  in += blocks * 64;
  size -= blocks * 64;
  if (size > 0) std::memcpy(pending_, in, size);
  pendingSize_ = size;
}

Sha256Digest Sha256::Finish() {
  // 0x80, zeros up to 56 bytes into a block, then the length in bits.
  const uint64_t totalBits = totalBytes_ * 8;
  uint8_t tail[72] = {0x80};
  const size_t padSize = (pendingSize_ < 56 ? 56 : 120) - pendingSize_;
  for (int i = 0; i < 8; ++i) tail[padSize + i] = uint8_t(totalBits >> (56 - 8 * i));
  Update(tail, padSize + 8);
  Sha256Digest digest;
  for (int i = 0; i < 8; ++i) StoreBigEndian(digest.bytes + 4 * i, state_[i]);
  return digest;
}

Sha256Digest HashSha256(const void* data, size_t size) {
  Sha256 hash;
  hash.Update(data, size);
  return hash.Finish();
}

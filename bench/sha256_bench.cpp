// The SHA-256 of the signature check on a file, as the updater will hash
// the files it downloads: read in 64 KB pieces and hashed, best of runs; and
// the hashing alone over the file held in memory.
// Usage: sha256_bench <file> [runs]   (default 3). Prints the digest (so the
// script can compare it with sha256sum's) and megabytes per second.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/stopwatch.h"
#include "upgrade/sha256.h"

namespace {

std::string Hex(const Sha256Digest& digest) {
  char text[2 * kSha256Size + 1];
  for (size_t i = 0; i < kSha256Size; ++i) std::sprintf(text + 2 * i, "%02x", digest.bytes[i]);
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: sha256_bench <file> [runs]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  std::vector<char> whole;
  double bestFile = 1e9, bestMemory = 1e9;
  std::string digest;
  for (int run = 0; run < runs; ++run) {
    FILE* file = std::fopen(argv[1], "rb");
    if (!file) {
      std::fprintf(stderr, "cannot open %s\n", argv[1]);
      return 1;
    }
    static char piece[65536];
    const double start = NowSeconds();
    Sha256 hash;
    for (size_t got; (got = std::fread(piece, 1, sizeof piece, file)) > 0;) {
      hash.Update(piece, got);
      if (run == 0) whole.insert(whole.end(), piece, piece + got);
    }
    const Sha256Digest fileDigest = hash.Finish();
    const double seconds = NowSeconds() - start;
    std::fclose(file);
    if (run > 0 && seconds < bestFile) bestFile = seconds;
    if (run == 0) digest = Hex(fileDigest);

    const double memoryStart = NowSeconds();
    const Sha256Digest memoryDigest = HashSha256(whole.data(), whole.size());
    const double memorySeconds = NowSeconds() - memoryStart;
    if (memorySeconds < bestMemory) bestMemory = memorySeconds;
    if (Hex(memoryDigest) != digest) {
      std::fprintf(stderr, "digests differ\n");
      return 1;
    }
  }
  // The first file run also copies the file into memory, so it does not count
  // (with one run only it is all there is).
  if (runs == 1) bestFile = bestMemory;
  const double mb = whole.size() / 1e6;
  std::printf("digest %s\n", digest.c_str());
  std::printf("file: %.3f s, %.1f MB/s\n", bestFile, mb / bestFile);
  std::printf("memory: %.3f s, %.1f MB/s\n", bestMemory, mb / bestMemory);
  return 0;
}

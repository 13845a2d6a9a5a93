// The memory optimizer's arithmetic: figure texts, bar percentages and the
// size of the block a freeing pass claims. Pure code.
#pragma once
#include <cstdint>
#include <string>

// One memory-status reading, in bytes. "Virtual" is the program's own user
// address space as the memory-status query reports it, not the page file.
struct MemoryFigures {
  uint64_t totalPhysical = 0;
  uint64_t availablePhysical = 0;
  uint64_t totalVirtual = 0;
  uint64_t availableVirtual = 0;
};

// What the dialog shows for one reading.
struct MemoryDisplay {
  std::string totalPhysical;      // 1010
  std::string availablePhysical;  // 1007
  std::string totalVirtual;       // 1011
  std::string availableVirtual;   // 1008
  int physicalPercent = 0;        // bar 1005
  int virtualPercent = 0;         // bar 1006
};

// "%d.%d MB": whole mebibytes, a point, then tenths of a mebibyte cut (not
// rounded), so the text never claims memory that is not there: 511 MiB and
// 524,288 bytes read "511.5 MB", 511 MiB and 1,048,575 bytes "511.9 MB".
std::string MebibyteText(uint64_t bytes);

// available / total * 100 cut to a whole number, exactly for any 64-bit
// figures (no floating-point 28.999... for 29 %); 0 when the total is 0, at
// most 100.
int AvailablePercent(uint64_t available, uint64_t total);

// The four texts and two percentages. A total virtual figure of 0 shows
// "0 MB" for both virtual figures and an empty virtual bar.
MemoryDisplay DescribeMemory(const MemoryFigures& figures);

// A bar's percentage text is black below this position and white from it on,
// so it stays readable over the darker half of the gradient.
constexpr int kWhiteTextFromPercent = 50;

// The block a freeing pass claims, from the 32-bit memory status: the
// available physical memory, but at most the total less 8 MiB. With 8 MiB
// or less in all there is no such reserve to keep, and the available
// memory is taken as it is.
uint32_t FreeingBlockSize(uint32_t availablePhysical, uint32_t totalPhysical);

// The reserve left to the system, and the smallest block worth claiming: a
// pass whose allocations fail down to this size gives up.
constexpr uint32_t kFreeingReserve = 8u * 1024u * 1024u;
constexpr uint32_t kSmallestBlock = 20;

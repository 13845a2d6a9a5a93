#include "memory/memory_figures.h"

#include <algorithm>

namespace {
constexpr int kMebibyteShift = 20;
constexpr uint64_t kBelowOneMebibyte = (uint64_t{1} << kMebibyteShift) - 1;
}  // namespace

std::string MebibyteText(uint64_t bytes) {
  // Below one MiB the remainder times ten fits easily in 64 bits.
  const uint64_t tenths = ((bytes & kBelowOneMebibyte) * 10) >> kMebibyteShift;
  return std::to_string(bytes >> kMebibyteShift) + "." + std::to_string(tenths) + " MB";
}

int AvailablePercent(uint64_t available, uint64_t total) {
  if (total == 0) return 0;
  if (available >= total) return 100;
  // floor(100 * available / total) without a 128-bit product: add the
  // available figure a hundred times, keeping only the rest below the total
  // and counting each time it passes. Exact for any 64-bit figures.
  int percent = 0;
  uint64_t rest = 0;
  for (int i = 0; i < 100; ++i) {
    if (rest >= total - available) {
      rest -= total - available;
      ++percent;
    } else {
      rest += available;
    }
  }
  return percent;
}

MemoryDisplay DescribeMemory(const MemoryFigures& figures) {
  MemoryDisplay display;
  display.totalPhysical = MebibyteText(figures.totalPhysical);
  display.availablePhysical = MebibyteText(figures.availablePhysical);
  display.physicalPercent = AvailablePercent(figures.availablePhysical, figures.totalPhysical);
  if (figures.totalVirtual == 0) {
    display.totalVirtual = display.availableVirtual = "0 MB";
  } else {
    display.totalVirtual = MebibyteText(figures.totalVirtual);
    display.availableVirtual = MebibyteText(figures.availableVirtual);
  }
  display.virtualPercent = AvailablePercent(figures.availableVirtual, figures.totalVirtual);
  return display;
}

uint32_t FreeingBlockSize(uint32_t availablePhysical, uint32_t totalPhysical) {
  if (totalPhysical <= kFreeingReserve) return availablePhysical;
  return std::min(availablePhysical, totalPhysical - kFreeingReserve);
}

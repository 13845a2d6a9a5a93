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
  // available < total: the quotient is below 100. Multiplying first keeps it
  // exact while available * 100 fits; beyond that (over 160 PiB) dividing
  // the total first loses nothing that shows.
  if (available <= UINT64_MAX / 100) return static_cast<int>(available * 100 / total);
  return static_cast<int>(std::min<uint64_t>(99, available / (total / 100)));
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
  return std::min(availablePhysical, totalPhysical - kFreeingReserve);
}

// The memory optimizer's figure texts, percentages and freeing block size.
#include "memory/memory_figures.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kMiB = 1024 * 1024;

TEST(MemoryFigures, TextsShowTenthsOfAMebibyteCutNotRounded) {
  EXPECT_EQ(MebibyteText(511 * kMiB + 524288), "511.5 MB");
  EXPECT_EQ(MebibyteText(511 * kMiB + 5), "511.0 MB");
  EXPECT_EQ(MebibyteText(511 * kMiB + 1048575), "511.9 MB");
  EXPECT_EQ(MebibyteText(0), "0.0 MB");
  EXPECT_EQ(MebibyteText(104857), "0.0 MB");  // just under a tenth
  EXPECT_EQ(MebibyteText(104858), "0.1 MB");
  // Figures of the 64-bit query: far beyond what an int holds.
  EXPECT_EQ(MebibyteText(3ull * 1024 * 1024 * kMiB + 3 * kMiB / 4), "3145728.7 MB");
  EXPECT_EQ(MebibyteText(UINT64_MAX), "17592186044415.9 MB");
}

TEST(MemoryFigures, PercentagesAreCutExactlyAndNeverDivideByZero) {
  EXPECT_EQ(AvailablePercent(499, 1000), 49);
  EXPECT_EQ(AvailablePercent(500, 1000), 50);
  EXPECT_EQ(AvailablePercent(29, 100), 29);  // 0.29 * 100 is 28.999... in floating point
  EXPECT_EQ(AvailablePercent(0, 1000), 0);
  EXPECT_EQ(AvailablePercent(1000, 1000), 100);
  EXPECT_EQ(AvailablePercent(5, 0), 0);
  EXPECT_EQ(AvailablePercent(2000, 1000), 100);
  EXPECT_EQ(AvailablePercent(UINT64_MAX - 1, UINT64_MAX), 99);
  EXPECT_EQ(AvailablePercent(UINT64_MAX / 2, UINT64_MAX), 49);  // 49.999...
  EXPECT_EQ(AvailablePercent(UINT64_MAX / 2 + 1, UINT64_MAX), 50);
  EXPECT_EQ(AvailablePercent(1, 3), 33);
  EXPECT_EQ(AvailablePercent(2, 3), 66);
}

TEST(MemoryFigures, DisplayOfOneReading) {
  MemoryFigures f;
  f.totalPhysical = 1024 * kMiB;
  f.availablePhysical = 511 * kMiB + 524288;
  f.totalVirtual = 2048 * kMiB - 128 * 1024;
  f.availableVirtual = 1024 * kMiB;
  MemoryDisplay d = DescribeMemory(f);
  EXPECT_EQ(d.totalPhysical, "1024.0 MB");
  EXPECT_EQ(d.availablePhysical, "511.5 MB");
  EXPECT_EQ(d.physicalPercent, 49);  // 49.95 % is cut
  EXPECT_EQ(d.totalVirtual, "2047.8 MB");
  EXPECT_EQ(d.availableVirtual, "1024.0 MB");
  EXPECT_EQ(d.virtualPercent, 50);

  // No virtual total: "0 MB" for both, whatever the available figure says.
  f.totalVirtual = 0;
  d = DescribeMemory(f);
  EXPECT_EQ(d.totalVirtual, "0 MB");
  EXPECT_EQ(d.availableVirtual, "0 MB");
  EXPECT_EQ(d.virtualPercent, 0);
}

TEST(MemoryFigures, FreeingBlockKeepsEightMebibytesUnlessTheTotalIsSmaller) {
  EXPECT_EQ(FreeingBlockSize(100 * kMiB, 512 * kMiB), 100 * kMiB);
  EXPECT_EQ(FreeingBlockSize(510 * kMiB, 512 * kMiB), 504 * kMiB);
  // 8 MiB or less in all: no reserve, the available memory is taken.
  EXPECT_EQ(FreeingBlockSize(3 * kMiB, 8 * kMiB), 3 * kMiB);
  EXPECT_EQ(FreeingBlockSize(3 * kMiB, 8 * kMiB + 1), 1u);
  EXPECT_EQ(FreeingBlockSize(3 * kMiB, 6 * kMiB), 3 * kMiB);
  EXPECT_EQ(FreeingBlockSize(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFu - 8 * kMiB);
}

}  // namespace

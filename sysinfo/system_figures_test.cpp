#include "sysinfo/system_figures.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t kMiB = 1u << 20;

TEST(SystemFigures, VirtualFiguresReadZeroAsZeroMegabytes) {
  EXPECT_EQ(VirtualMemoryFigureText(0), "0 MB");
  EXPECT_EQ(VirtualMemoryFigureText(1), "0.0 MB");
  EXPECT_EQ(VirtualMemoryFigureText(2047 * kMiB + 943718), "2047.8 MB");  // 0.8999...
  EXPECT_EQ(VirtualMemoryFigureText(2047 * kMiB + 943719), "2047.9 MB");
}

TEST(SystemFigures, DiskTextsAndBarForAKnownDrive) {
  DiskFigures f = ComputeDiskFigures(80000000000ull, 30000000000ull);
  EXPECT_EQ(f.usedText, "사용중인 용량 : 46 GB");
  EXPECT_EQ(f.freeText, "남은 용량 : 27 GB");
  EXPECT_EQ(f.totalText, "전체 용량 : 74 GB");
  EXPECT_EQ(f.barRange, 76293);
  EXPECT_EQ(f.barPosition, 47683);
  EXPECT_TRUE(f.whiteText);  // 62.5 % used

  EXPECT_FALSE(ComputeDiskFigures(100 * kMiB, 51 * kMiB).whiteText);  // 49 %
  EXPECT_TRUE(ComputeDiskFigures(100 * kMiB, 50 * kMiB).whiteText);   // 50 %
}

TEST(SystemFigures, ZeroSizedOrOddDrivesGiveAnEmptyBlackBar) {
  DiskFigures zero = ComputeDiskFigures(0, 0);
  EXPECT_EQ(zero.barRange, 0);
  EXPECT_EQ(zero.barPosition, 0);
  EXPECT_FALSE(zero.whiteText);
  EXPECT_EQ(zero.usedText, "사용중인 용량 : 0 GB");
  EXPECT_EQ(zero.totalText, "전체 용량 : 0 GB");

  DiskFigures over = ComputeDiskFigures(10 * kMiB, 20 * kMiB);  // more free than total
  EXPECT_EQ(over.barPosition, 0);
  EXPECT_FALSE(over.whiteText);

  // A volume too large for the bar's 32-bit bounds, and for used × 100.
  DiskFigures huge = ComputeDiskFigures(UINT64_MAX, UINT64_MAX / 4);
  EXPECT_EQ(huge.barRange, INT32_MAX);
  EXPECT_TRUE(huge.whiteText);
}

TEST(SystemFigures, DriveItems) {
  EXPECT_EQ(DriveItemText("c:\\"), " C 드라이브");
  EXPECT_EQ(DriveItemText("z:\\"), " Z 드라이브");
}

}  // namespace

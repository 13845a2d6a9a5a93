#include "widgets/gradient_bands.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Red rises 0 -> 255, green falls 255 -> 0, blue stays 77.
GradientBand Band(int i, int n, int width) { return GradientBandAt(i, n, width, 0, 255, 77, 255, 0, 77); }

TEST(GradientBands, CountIsTheWidthCappedAtHundred) {
  EXPECT_EQ(GradientBandCount(-5), 0);
  EXPECT_EQ(GradientBandCount(0), 0);
  EXPECT_EQ(GradientBandCount(50), 50);
  EXPECT_EQ(GradientBandCount(1000), 100);
}

TEST(GradientBands, BandsTileTheWidthAndTheLastTakesTheRemainder) {
  for (int width : {1, 7, 99, 100, 101, 250, 1023}) {
    const int n = GradientBandCount(width);
    int next = 0;
    for (int i = 0; i < n; ++i) {
      const GradientBand band = Band(i, n, width);
      ASSERT_EQ(band.left, next) << width << " " << i;
      if (i < n - 1) ASSERT_EQ(band.right - band.left, width / n) << width << " " << i;
      next = band.right;
    }
    EXPECT_EQ(next, width);
  }
  EXPECT_EQ(Band(99, 100, 250).left, 198);
  // Out-of-range indices stay on the first or last band.
  EXPECT_EQ(Band(500, 100, 200).left, 198);
  EXPECT_EQ(Band(-3, 100, 200).left, 0);
  EXPECT_EQ(Band(0, 0, 100).right, 0);
}

TEST(GradientBands, ChannelsStepInFixedPointWithoutPassingTheEnd) {
  auto rgb = [](const GradientBand& b) { return std::vector<int>{b.red, b.green, b.blue}; };
  // (255 << 8) / 100 = 652 per band, floored after the shift: rising,
  // band 50 is 32600 >> 8 = 127 and band 99 is 64548 >> 8 = 252; falling,
  // 32680 >> 8 = 127 and 732 >> 8 = 2.
  EXPECT_EQ(rgb(Band(0, 100, 200)), (std::vector<int>{0, 255, 77}));
  EXPECT_EQ(rgb(Band(50, 100, 200)), (std::vector<int>{127, 127, 77}));
  EXPECT_EQ(rgb(Band(99, 100, 200)), (std::vector<int>{252, 2, 77}));
  // Exact steps stay exact: 0 -> 200 over 50 bands is 4 per band.
  EXPECT_EQ(rgb(GradientBandAt(25, 50, 50, 0, 200, 9, 200, 0, 9)), (std::vector<int>{100, 100, 9}));
  for (int n : {1, 3, 100}) {
    for (int i = 1; i < n; ++i) {
      EXPECT_GE(Band(i, n, 100).red, Band(i - 1, n, 100).red);
      EXPECT_LE(Band(i, n, 100).green, Band(i - 1, n, 100).green);
    }
  }
}

}  // namespace

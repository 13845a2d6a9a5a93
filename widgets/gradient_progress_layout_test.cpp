// The gradient progress bar's arithmetic: band count, band edges and
// colours, the filled extent and the percentage text.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "widgets/gradient_bands.h"

namespace {

constexpr GradientColor kGreen = {83, 190, 12}, kBlue = {3, 0, 255};

std::vector<int> Rgb(const GradientBand& b) { return {b.red, b.green, b.blue}; }

TEST(GradientProgressLayout, BandCountIsTheLargestChannelStepOrTheColourItself) {
  EXPECT_EQ(ProgressBandCount(kGreen, kBlue), 243);
  EXPECT_EQ(ProgressBandCount(kBlue, kGreen), 243);
  EXPECT_EQ(ProgressBandCount({255, 0, 0}, {0, 0, 255}), 255);
  EXPECT_EQ(ProgressBandCount({10, 10, 10}, {10, 11, 10}), 1);
  // Equal colours: the largest channel, 255 for black.
  EXPECT_EQ(ProgressBandCount({10, 200, 30}, {10, 200, 30}), 200);
  EXPECT_EQ(ProgressBandCount({0, 0, 0}, {0, 0, 0}), 255);
}

TEST(GradientProgressLayout, FullBarTilesTheLengthWithOverlappingBands) {
  for (int length : {1, 3, 100, 243, 250, 1000}) {
    const ProgressPaint paint = LayOutProgress(100, 0, 100, length, kGreen, kBlue);
    ASSERT_FALSE(paint.empty);
    EXPECT_EQ(paint.extent, length);
    ASSERT_EQ(paint.bands.size(), 243u) << length;
    EXPECT_EQ(paint.bands.front().left, 0);
    for (size_t i = 1; i < paint.bands.size(); ++i)
      ASSERT_EQ(paint.bands[i].left + 1, paint.bands[i - 1].right) << length << " " << i;
    EXPECT_EQ(paint.bands.back().right, length + 1);
    EXPECT_GE(paint.backgroundFrom, length);
  }
}

TEST(GradientProgressLayout, BandColoursStepFromStartTowardsEndCutToWholeNumbers) {
  const ProgressPaint paint = LayOutProgress(100, 0, 100, 486, kGreen, kBlue);
  ASSERT_EQ(paint.bands.size(), 243u);
  EXPECT_EQ(Rgb(paint.bands[0]), (std::vector<int>{83, 190, 12}));
  // Band 1: 83 - 80/243 = 82.67 -> 82; 190 - 190/243 = 189.2 -> 189; 12 + 1.
  EXPECT_EQ(Rgb(paint.bands[1]), (std::vector<int>{82, 189, 13}));
  // Band 121: 83 - 39.84, 190 - 94.61, 12 + 121 -> 43, 95, 133.
  EXPECT_EQ(Rgb(paint.bands[121]), (std::vector<int>{43, 95, 133}));
  // The last band stops one step short of the end colour in the widest channel.
  EXPECT_EQ(Rgb(paint.bands[242]), (std::vector<int>{3, 0, 254}));
  for (size_t i = 1; i < paint.bands.size(); ++i) {
    EXPECT_LE(paint.bands[i].red, paint.bands[i - 1].red);
    EXPECT_LE(paint.bands[i].green, paint.bands[i - 1].green);
    EXPECT_EQ(paint.bands[i].blue, paint.bands[i - 1].blue + 1);
  }
  // Equal colours: bands of that one colour.
  const ProgressPaint plain = LayOutProgress(100, 0, 100, 50, {10, 200, 30}, {10, 200, 30});
  ASSERT_EQ(plain.bands.size(), 200u);
  for (const GradientBand& band : plain.bands) ASSERT_EQ(Rgb(band), (std::vector<int>{10, 200, 30}));
}

TEST(GradientProgressLayout, OnlyPositionsAboveTheLowerBoundUpToTheUpperPaintAFill) {
  for (int position : {0, -1, 101, INT_MIN, INT_MAX}) {
    EXPECT_TRUE(LayOutProgress(position, 0, 100, 200, kGreen, kBlue).empty) << position;
    EXPECT_EQ(ProgressPercentText(position, 0, 100), "") << position;
  }
  EXPECT_TRUE(LayOutProgress(5, 10, 10, 200, kGreen, kBlue).empty);  // empty range
  EXPECT_TRUE(LayOutProgress(50, 0, 100, 0, kGreen, kBlue).empty);   // no length
  EXPECT_EQ(LayOutProgress(1, 0, 100, 200, kGreen, kBlue).extent, 2);
  EXPECT_EQ(ProgressPercentText(1, 0, 3), " 33 %");
  EXPECT_EQ(ProgressPercentText(2, 0, 3), " 67 %");
  EXPECT_EQ(ProgressPercentText(50, 0, 100), " 50 %");
  EXPECT_EQ(ProgressPercentText(100, 0, 100), "100 %");
}

TEST(GradientProgressLayout, WideAndOffsetRangesMeasureTheShareOfTheRange) {
  // Beyond 16 bits: 0..200,000 MiB.
  EXPECT_EQ(LayOutProgress(100000, 0, 200000, 300, kGreen, kBlue).extent, 150);
  EXPECT_EQ(LayOutProgress(200000, 0, 200000, 300, kGreen, kBlue).extent, 300);
  EXPECT_EQ(ProgressPercentText(100000, 0, 200000), " 50 %");
  // The whole 32-bit span: no overflow.
  EXPECT_EQ(LayOutProgress(0, INT_MIN, INT_MAX, 300, kGreen, kBlue).extent, 150);
  EXPECT_EQ(LayOutProgress(INT_MAX, INT_MIN, INT_MAX, 300, kGreen, kBlue).extent, 300);
  EXPECT_EQ(ProgressPercentText(INT_MAX, INT_MIN, INT_MAX), "100 %");
  // A lower bound above zero fills as much as the text says, and an upper
  // bound of zero divides nothing by zero.
  EXPECT_EQ(LayOutProgress(100, 50, 150, 300, kGreen, kBlue).extent, 150);
  EXPECT_EQ(ProgressPercentText(100, 50, 150), " 50 %");
  EXPECT_EQ(LayOutProgress(-50, -100, 0, 300, kGreen, kBlue).extent, 150);
  EXPECT_EQ(ProgressPercentText(0, -100, 0), "100 %");
}

}  // namespace

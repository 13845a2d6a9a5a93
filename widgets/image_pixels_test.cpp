#include "widgets/image_pixels.h"

#include <gtest/gtest.h>

using namespace image;

namespace {

TEST(ImagePixels, GreyIsTheTruncatedWeightedSumAndKeepsGreys) {
  EXPECT_EQ(GreyPixel(0xFF0000), 0x4C4C4Cu);  // 76.245
  EXPECT_EQ(GreyPixel(0x00FF00), 0x959595u);  // 149.685
  EXPECT_EQ(GreyPixel(0x0000FF), 0x1D1D1Du);  // 29.07
  // Floating point would give 99.99999 for (100, 100, 100) and truncate it.
  for (uint32_t v : {0u, 1u, 100u, 128u, 255u}) EXPECT_EQ(GreyPixel(v * 0x010101u), v * 0x010101u);
  EXPECT_EQ(GreyPixel(0xFF204060), GreyPixel(0x00204060));  // the top byte does not count
}

TEST(ImagePixels, DarkerIsThreeQuartersOfEachChannelTruncated) {
  EXPECT_EQ(DarkerPixel(0xFFFFFF), 0xBFBFBFu);  // 191.25
  EXPECT_EQ(DarkerPixel(0x010203), 0x000102u);
  EXPECT_EQ(DarkerPixel(0x648CC8), 0x4B6996u);  // 75, 105, 150
}

TEST(ImagePixels, MaskSetsTransparentPixelsInRowsPaddedTo16Bits) {
  const uint32_t t = 0xFFFFFF, o = 0x123456;
  // 17 x 2: rows of 4 bytes (17 bits padded to 32).
  std::vector<uint32_t> pixels(34, o);
  pixels[0] = t;
  pixels[9] = 0xAAFFFFFF;  // the same colour with a top byte
  pixels[16] = t;
  pixels[17 + 7] = t;
  const std::vector<uint8_t> bits = MaskBits(pixels, 17, 2, t);
  EXPECT_EQ(bits, (std::vector<uint8_t>{0x80, 0x40, 0x80, 0x00, 0x01, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(MaskBits(pixels, 17, 3, t).empty());
  EXPECT_TRUE(MaskBits({}, 0, 0, t).empty());
}

}  // namespace

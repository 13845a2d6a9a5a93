#include "widgets/gradient_bands.h"

#include <algorithm>

namespace {

// One channel of band i: the step per band is (end - start) / n held with 8
// fractional bits, so the bands advance evenly and band i never passes the
// end colour. start * 256 + i * step lies between start * 256 and
// end * 256, both non-negative, so the shift is a plain floor.
uint8_t Channel(int start, int end, int i, int n) {
  const int step = (end - start) * 256 / n;
  return static_cast<uint8_t>((start * 256 + i * step) >> 8);
}

}  // namespace

int GradientBandCount(int width) { return std::max(0, std::min(100, width)); }

GradientBand GradientBandAt(int i, int n, int width, uint8_t r0, uint8_t g0, uint8_t b0, uint8_t r1,
                            uint8_t g1, uint8_t b1) {
  if (n <= 0 || width <= 0) return {0, 0, r0, g0, b0};
  i = std::max(0, std::min(n - 1, i));
  const int bandWidth = width / n;
  GradientBand band;
  band.left = i * bandWidth;
  // Width is rarely a multiple of n: the last band takes the remainder.
  band.right = (i == n - 1) ? width : band.left + bandWidth;
  band.red = Channel(r0, r1, i, n);
  band.green = Channel(g0, g1, i, n);
  band.blue = Channel(b0, b1, i, n);
  return band;
}

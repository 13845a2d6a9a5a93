#include "widgets/gradient_bands.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

// One channel of band i: the step per band is (end - start) / n held with 8
// fractional bits, so the bands advance evenly and band i never passes the
// end colour. start * 256 + i * step lies between start * 256 and
// end * 256, both non-negative, so the shift is a plain floor.
uint8_t Channel(int start, int end, int i, int n) {
  const int step = (end - start) * 256 / n;
  return static_cast<uint8_t>((start * 256 + i * step) >> 8);
}

// One channel of the progress bar's band i of n: start + i * (end - start) / n,
// cut to a whole number. Kept exact in integers: start * n + i * (end - start)
// lies between start * n and end * n, both non-negative, so the division
// is a floor, which is the cut.
uint8_t ProgressChannel(int start, int end, int i, int n) {
  return static_cast<uint8_t>((start * n + i * (end - start)) / n);
}

// i * length / n cut to a whole pixel (all non-negative).
int BandEdge(int i, int length, int n) {
  return static_cast<int>(static_cast<int64_t>(i) * length / n);
}

bool ShowsFill(int position, int lower, int upper) { return lower < position && position <= upper; }

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

int ProgressBandCount(GradientColor start, GradientColor end) {
  const int n = std::max({std::abs(end.red - start.red), std::abs(end.green - start.green),
                          std::abs(end.blue - start.blue)});
  if (n > 0) return n;
  const int brightest = std::max({start.red, start.green, start.blue});
  return brightest > 0 ? brightest : 255;
}

ProgressPaint LayOutProgress(int position, int lower, int upper, int length, GradientColor start,
                             GradientColor end) {
  ProgressPaint paint;
  if (!ShowsFill(position, lower, upper) || length <= 0) return paint;
  paint.empty = false;
  // 64-bit differences: a 32-bit range may span more than INT_MAX.
  const int64_t range = static_cast<int64_t>(upper) - lower;
  const int64_t share = static_cast<int64_t>(position) - lower;
  // share <= range, so the extent never passes the length.
  paint.extent = static_cast<int>(share * length / range);

  const int n = ProgressBandCount(start, end);
  for (int i = 0; i < n; ++i) {
    const int farEdge = BandEdge(i + 1, length, n);
    GradientBand band;
    band.left = BandEdge(i, length, n);
    band.right = farEdge + 1;
    band.red = ProgressChannel(start.red, end.red, i, n);
    band.green = ProgressChannel(start.green, end.green, i, n);
    band.blue = ProgressChannel(start.blue, end.blue, i, n);
    paint.bands.push_back(band);
    paint.backgroundFrom = band.right;
    if (farEdge > paint.extent) break;
  }
  return paint;
}

std::string ProgressPercentText(int position, int lower, int upper) {
  if (!ShowsFill(position, lower, upper)) return std::string();
  const double share = static_cast<double>(static_cast<int64_t>(position) - lower) * 100.0 /
                       static_cast<double>(static_cast<int64_t>(upper) - lower);
  char text[16];
  std::snprintf(text, sizeof text, "%3.0f %%", share);
  return text;
}

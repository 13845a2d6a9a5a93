// Band arithmetic of the owner-drawn gradients: the colour label's
// left-to-right background and the gradient progress bar's filled part.
// Pure code.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GradientBand {
  int left, right;              // pixel columns [left, right) (for a bar: along its length)
  uint8_t red, green, blue;
};

// ---------------------------------------------------------------------------
// The colour label's background

// The number of bands for a client width: min(100, width), at least 0.
int GradientBandCount(int width);

// Band i of n over [0, width): width/n pixels each, the last reaching the
// right edge; each channel start + i * (end - start) / n computed in 8-bit
// fixed point. Colours are 0xRRGGBB-free triples.
GradientBand GradientBandAt(int i, int n, int width, uint8_t r0, uint8_t g0, uint8_t b0, uint8_t r1,
                            uint8_t g1, uint8_t b1);

// ---------------------------------------------------------------------------
// The gradient progress bar

struct GradientColor {
  uint8_t red, green, blue;
};

// The bar's band count: the largest difference of one channel between the
// two colours, so that neighbouring bands differ by at most one step in any
// channel. Equal colours have no difference; they take the colour's largest
// channel instead, or 255 for black, and every band is that one colour.
int ProgressBandCount(GradientColor start, GradientColor end);

// What a bar of `length` pixels paints for a position in [lower, upper].
struct ProgressPaint {
  // The position lies outside (lower, upper], or the bar has no length: the
  // whole bar is plain button face and shows no text.
  bool empty = true;
  // The filled share of the length: (position - lower) / (upper - lower) of
  // it, cut to a whole pixel.
  int extent = 0;
  // The bands in painting order. The whole gradient spans the full length;
  // band i of n covers [i * length / n, (i + 1) * length / n) cut to whole
  // pixels, plus one pixel more, which the next band paints over, so no
  // gap can open between two bands. The last band listed is the first whose
  // far edge lies beyond the extent, or the gradient's last band.
  std::vector<GradientBand> bands;
  // Where the background colour starts: just after the last band; at or
  // beyond the length when the gradient reaches the end of the bar.
  int backgroundFrom = 0;
};

// Lays out the bar. The bounds and the position are the bar's own 32-bit
// values; no arithmetic on them can overflow or divide by zero.
ProgressPaint LayOutProgress(int position, int lower, int upper, int length, GradientColor start,
                             GradientColor end);

// The bar's percentage text, "%3.0f %%" of the position's share of the
// range: 50 of 0..100 reads " 50 %". Empty when the bar shows no text.
std::string ProgressPercentText(int position, int lower, int upper);

// Band arithmetic of the colour label's left-to-right gradient. Pure code.
#pragma once
#include <cstdint>

struct GradientBand {
  int left, right;              // pixel columns [left, right)
  uint8_t red, green, blue;
};

// The number of bands for a client width: min(100, width), at least 0.
int GradientBandCount(int width);

// Band i of n over [0, width): width/n pixels each, the last reaching the
// right edge; each channel start + i * (end - start) / n computed in 8-bit
// fixed point. Colours are 0xRRGGBB-free triples.
GradientBand GradientBandAt(int i, int n, int width, uint8_t r0, uint8_t g0, uint8_t b0, uint8_t r1,
                            uint8_t g1, uint8_t b1);

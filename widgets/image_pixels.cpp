#include "widgets/image_pixels.h"

namespace image {

uint32_t GreyPixel(uint32_t pixel) {
  const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  const uint32_t grey = (299 * r + 587 * g + 114 * b) / 1000;
  return grey << 16 | grey << 8 | grey;
}

uint32_t DarkerPixel(uint32_t pixel) {
  const uint32_t r = (pixel >> 16) & 0xFF, g = (pixel >> 8) & 0xFF, b = pixel & 0xFF;
  return (r * 3 / 4) << 16 | (g * 3 / 4) << 8 | (b * 3 / 4);
}

std::vector<uint8_t> MaskBits(const std::vector<uint32_t>& pixels, int width, int height,
                              uint32_t transparent) {
  if (width <= 0 || height <= 0 ||
      pixels.size() != static_cast<size_t>(width) * static_cast<size_t>(height))
    return {};
  const size_t stride = (static_cast<size_t>(width) + 15) / 16 * 2;
  std::vector<uint8_t> bits(stride * static_cast<size_t>(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (SameColour(pixels[static_cast<size_t>(y) * width + x], transparent))
        bits[y * stride + x / 8] |= static_cast<uint8_t>(0x80u >> (x % 8));
  return bits;
}

}  // namespace image

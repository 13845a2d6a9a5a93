// The pixel arithmetic of the image button: grey and darkened variants of a
// picture and the 1-bit mask of its transparent colour. Pixels are those of a
// 32-bit DIB, 0x00RRGGBB; the top byte is ignored. Pure code.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace image {

// Same red, green and blue (the top byte does not count).
inline bool SameColour(uint32_t a, uint32_t b) { return ((a ^ b) & 0xFFFFFFu) == 0; }

// The grey level 0.299 R + 0.587 G + 0.114 B, truncated, in all three
// channels. Integer thousandths, so a grey pixel stays exactly itself.
uint32_t GreyPixel(uint32_t pixel);
// Each channel reduced to 75 %, truncated.
uint32_t DarkerPixel(uint32_t pixel);

// The monochrome mask of a width x height top-down picture: a set bit
// (white) where the pixel is the transparent colour, a clear bit (black)
// elsewhere; rows padded to 16 bits, as CreateBitmap takes them. Empty when
// pixels does not hold width x height pixels.
std::vector<uint8_t> MaskBits(const std::vector<uint32_t>& pixels, int width, int height,
                              uint32_t transparent);

}  // namespace image

#include "widgets/gif_blocks.h"

#include <cstring>

namespace gif {
namespace {

constexpr size_t kHeaderSize = 13;
constexpr size_t kApplicationFixed = 14;  // introducer, label, size byte, 11 bytes
constexpr size_t kCommentFixed = 2;
constexpr size_t kGraphicControlSize = 8;
constexpr size_t kPlainTextFixed = 15;
constexpr size_t kImageFixed = 10;

// True when count bytes starting at offset lie inside the data. Written as a
// subtraction so that no sum can wrap around.
bool Fits(size_t size, size_t offset, size_t count) {
  return offset <= size && count <= size - offset;
}

uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

// Length of a fixed part followed by a sub-block chain.
bool FixedPlusChain(const uint8_t* data, size_t size, size_t offset, size_t fixed,
                    size_t* length) {
  if (!Fits(size, offset, fixed)) return false;
  size_t chain = 0;
  if (!ChainLength(data, size, offset + fixed, &chain)) return false;
  *length = fixed + chain;
  return true;
}

}  // namespace

bool HasGifSignature(const uint8_t* data, size_t size) {
  if (!data || size < 6) return false;
  return std::memcmp(data, "GIF", 3) == 0 &&
         (std::memcmp(data + 3, "87a", 3) == 0 || std::memcmp(data + 3, "89a", 3) == 0);
}

size_t ColorTableSize(uint8_t packed) {
  if (!(packed & 0x80)) return 0;
  return 3u * (size_t{1} << ((packed & 0x07) + 1));
}

bool ParseHeader(const uint8_t* data, size_t size, Header* header) {
  if (!HasGifSignature(data, size) || size < kHeaderSize) return false;
  Header h;
  h.width = ReadU16(data + 6);
  h.height = ReadU16(data + 8);
  const uint8_t packed = data[10];
  h.globalTableSize = ColorTableSize(packed);
  if (h.globalTableSize) {
    // The background index must name an entry of the table, and the entry
    // must be inside the data.
    const size_t entry = kHeaderSize + 3u * data[11];
    if (3u * data[11] < h.globalTableSize && Fits(size, entry, 3)) {
      h.hasBackground = true;
      h.backgroundRed = data[entry];
      h.backgroundGreen = data[entry + 1];
      h.backgroundBlue = data[entry + 2];
    }
  }
  h.firstBlock = kHeaderSize + h.globalTableSize;
  *header = h;
  return true;
}

BlockKind KindAt(const uint8_t* data, size_t size, size_t offset) {
  if (!Fits(size, offset, 1)) return BlockKind::kUnknown;
  switch (data[offset]) {
    case 0x2C: return BlockKind::kImage;
    case 0x3B: return BlockKind::kTrailer;
    case 0x21: break;
    default: return BlockKind::kUnknown;
  }
  if (!Fits(size, offset, 2)) return BlockKind::kUnknown;
  switch (data[offset + 1]) {
    case 0xFF: return BlockKind::kApplication;
    case 0xFE: return BlockKind::kComment;
    case 0xF9: return BlockKind::kGraphicControl;
    case 0x01: return BlockKind::kPlainText;
    default: return BlockKind::kUnknown;
  }
}

bool ChainLength(const uint8_t* data, size_t size, size_t offset, size_t* length) {
  size_t pos = offset;
  for (;;) {
    if (!Fits(size, pos, 1)) return false;  // the size byte itself is missing
    const size_t n = data[pos];
    if (n == 0) break;
    // The sub-block's data must be there; the next size byte is checked on
    // the next turn.
    if (!Fits(size, pos + 1, n)) return false;
    pos += n + 1;
  }
  *length = pos + 1 - offset;
  return true;
}

bool BlockLength(const uint8_t* data, size_t size, size_t offset, size_t* length) {
  switch (KindAt(data, size, offset)) {
    case BlockKind::kApplication:
      return FixedPlusChain(data, size, offset, kApplicationFixed, length);
    case BlockKind::kComment:
      return FixedPlusChain(data, size, offset, kCommentFixed, length);
    case BlockKind::kGraphicControl:
      if (!Fits(size, offset, kGraphicControlSize)) return false;
      *length = kGraphicControlSize;
      return true;
    case BlockKind::kPlainText:
      return FixedPlusChain(data, size, offset, kPlainTextFixed, length);
    case BlockKind::kImage: {
      if (!Fits(size, offset, kImageFixed)) return false;
      // Descriptor, local table, then the LZW minimum code size byte.
      const size_t fixed = kImageFixed + ColorTableSize(data[offset + 9]) + 1;
      return FixedPlusChain(data, size, offset, fixed, length);
    }
    case BlockKind::kTrailer:
      *length = 1;
      return true;
    case BlockKind::kUnknown:
      break;
  }
  return false;
}

bool NextFrame(const uint8_t* data, size_t size, size_t* offset, Frame* frame) {
  size_t pos = *offset;
  size_t length = 0;

  // Metadata before the frame is not part of it.
  for (;;) {
    const BlockKind kind = KindAt(data, size, pos);
    if (kind != BlockKind::kApplication && kind != BlockKind::kComment) break;
    if (!BlockLength(data, size, pos, &length)) return false;
    pos += length;
  }

  Frame f;
  f.offset = pos;
  BlockKind kind = KindAt(data, size, pos);
  if (kind == BlockKind::kGraphicControl) {
    if (!BlockLength(data, size, pos, &length)) return false;
    f.disposal = (data[pos + 3] >> 2) & 0x07;
    f.delay = ReadU16(data + pos + 4);
    pos += length;
    // Whatever extensions sit between the control extension and the picture
    // it controls travel with the frame; the first control extension wins.
    for (;;) {
      kind = KindAt(data, size, pos);
      if (kind != BlockKind::kApplication && kind != BlockKind::kComment &&
          kind != BlockKind::kGraphicControl)
        break;
      if (!BlockLength(data, size, pos, &length)) return false;
      pos += length;
    }
  }
  if (kind != BlockKind::kImage && kind != BlockKind::kPlainText) return false;
  if (!BlockLength(data, size, pos, &length)) return false;
  if (kind == BlockKind::kImage) {
    f.isImage = true;
    f.left = ReadU16(data + pos + 1);
    f.top = ReadU16(data + pos + 3);
    f.width = ReadU16(data + pos + 5);
    f.height = ReadU16(data + pos + 7);
  }
  pos += length;
  f.length = pos - f.offset;
  *frame = f;
  *offset = pos;
  return true;
}

size_t CountFrames(const uint8_t* data, size_t size, const Header& header) {
  size_t count = 0;
  size_t offset = header.firstBlock;
  Frame frame;
  while (NextFrame(data, size, &offset, &frame)) ++count;
  return count;
}

std::vector<uint8_t> WrapFrame(const uint8_t* data, size_t size, const Header& header,
                               const Frame& frame) {
  std::vector<uint8_t> out;
  if (!Fits(size, 0, header.firstBlock) || !Fits(size, frame.offset, frame.length))
    return out;
  out.reserve(header.firstBlock + frame.length + 1);
  out.insert(out.end(), data, data + header.firstBlock);
  out.insert(out.end(), data + frame.offset, data + frame.offset + frame.length);
  out.push_back(0x3B);
  return out;
}

uint32_t FrameWaitMs(int delay) {
  if (delay < 0) return 100;
  const uint32_t hundredths = static_cast<uint32_t>(delay);
  if (hundredths <= 4) return 100;
  // File delays are 16-bit, but keep any caller clear of the wrap and of
  // INFINITE (0xFFFFFFFF), which a wait would never come back from.
  if (hundredths > 0xFFFFFFFEu / 10) return 0xFFFFFFFEu;
  return hundredths * 10;
}

}  // namespace gif

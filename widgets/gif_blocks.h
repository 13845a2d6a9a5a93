// Walks the blocks of a GIF file held in memory: the header, the frames of
// an animation and the stand-alone GIF made of a single frame. Compute only
// (no <windows.h>); every offset is checked against the end of the data
// because the bytes come from files and resources we do not control.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace gif {

// Block introducers at the current offset.
enum class BlockKind {
  kApplication,     // 0x21 0xFF
  kComment,         // 0x21 0xFE
  kGraphicControl,  // 0x21 0xF9
  kPlainText,       // 0x21 0x01
  kImage,           // 0x2C
  kTrailer,         // 0x3B
  kUnknown,         // anything else, or no byte left to look at
};

// What the 13-byte header and the global colour table say.
struct Header {
  uint16_t width = 0;              // logical screen, pixels
  uint16_t height = 0;
  size_t globalTableSize = 0;      // bytes; 0 when there is no global table
  bool hasBackground = false;      // the background index names a table entry
  uint8_t backgroundRed = 0xFF;    // white unless the table says otherwise
  uint8_t backgroundGreen = 0xFF;
  uint8_t backgroundBlue = 0xFF;
  size_t firstBlock = 0;           // 13 + globalTableSize
};

// One frame found by the walk: where its bytes lie and how to show it.
struct Frame {
  size_t offset = 0;   // first byte (the graphic control extension when present)
  size_t length = 0;   // through the end of the image or plain text block
  int delay = -1;      // hundredths of a second; -1 without a control extension
  int disposal = 0;    // 0..7 from the control extension, 0 without one
  bool isImage = false;  // image descriptor (true) or plain text extension
  int left = 0;        // image position and size; 0 for plain text frames
  int top = 0;
  int width = 0;
  int height = 0;
};

// True when the data starts with "GIF87a" or "GIF89a".
bool HasGifSignature(const uint8_t* data, size_t size);

// Colour table size in bytes for a packed byte whose bit 7 announces the
// table and whose low 3 bits give its size: 3 * 2^(k+1), or 0.
size_t ColorTableSize(uint8_t packed);

// Reads the header. False when the signature is wrong or the 13 header bytes
// are not all there. The global table itself may still run past the end;
// the walk then finds no frame.
bool ParseHeader(const uint8_t* data, size_t size, Header* header);

BlockKind KindAt(const uint8_t* data, size_t size, size_t offset);

// Length of a chain of data sub-blocks starting at offset, through its zero
// terminator. False when a size byte or the data it announces is missing.
bool ChainLength(const uint8_t* data, size_t size, size_t offset, size_t* length);

// Length of the whole block at offset. False for an unknown block or one
// that would reach past the end of the data.
bool BlockLength(const uint8_t* data, size_t size, size_t offset, size_t* length);

// Finds the next frame from *offset: skips application and comment
// extensions, stops at a graphic control extension, image or plain text.
// On success fills *frame and moves *offset past it. False at the trailer,
// an unknown block, or anything truncated; *offset is then left alone.
bool NextFrame(const uint8_t* data, size_t size, size_t* offset, Frame* frame);

// Number of frames the walk finds from the header's first block.
size_t CountFrames(const uint8_t* data, size_t size, const Header& header);

// A frame as a GIF of its own: the header and global table of the data,
// the frame's bytes, then the trailer. Empty when the frame does not lie
// inside the data.
std::vector<uint8_t> WrapFrame(const uint8_t* data, size_t size, const Header& header,
                               const Frame& frame);

// How long a frame stays on screen, in milliseconds. Delays of 4 hundredths
// or less are treated as 10 (browsers do the same: many files say 0 and
// mean "as fast as sensible"); a frame without a control extension also
// gets 100 ms.
uint32_t FrameWaitMs(int delay);

}  // namespace gif

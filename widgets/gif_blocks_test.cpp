#include "widgets/gif_blocks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Append(Bytes* out, std::initializer_list<int> bytes) {
  for (int b : bytes) out->push_back(static_cast<uint8_t>(b));
}

// Header of a w x h screen with a 4-entry global table:
// 0 red, 1 green, 2 blue, 3 white; background index bg.
Bytes Header(int w, int h, int bg = 2) {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  Append(&b, {w & 0xFF, w >> 8, h & 0xFF, h >> 8, 0x81, bg, 0});
  Append(&b, {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
  return b;
}

void Gce(Bytes* b, int disposal, int delay) {
  Append(b, {0x21, 0xF9, 4, disposal << 2, delay & 0xFF, delay >> 8, 0, 0});
}

// Image descriptor plus a tiny LZW stream (clear, 0, end with 3-bit codes).
void Image(Bytes* b, int left, int top, int w, int h, int localTableBits = -1) {
  const int packed = localTableBits < 0 ? 0 : (0x80 | localTableBits);
  Append(b, {0x2C, left & 0xFF, left >> 8, top & 0xFF, top >> 8, w & 0xFF, w >> 8,
             h & 0xFF, h >> 8, packed});
  if (localTableBits >= 0) b->insert(b->end(), gif::ColorTableSize(packed), 0x55);
  Append(b, {2, 2, 0x44, 0x01, 0});
}

void Application(Bytes* b) {
  Append(b, {0x21, 0xFF, 11, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'});
  Append(b, {3, 1, 0, 0, 0});
}

void Comment(Bytes* b, const char* text) {
  Append(b, {0x21, 0xFE});
  b->push_back(static_cast<uint8_t>(std::strlen(text)));
  b->insert(b->end(), text, text + std::strlen(text));
  b->push_back(0);
}

void PlainText(Bytes* b) {
  Append(b, {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 8, 8, 1, 0});
  Append(b, {2, 'h', 'i', 0});
}

std::vector<gif::Frame> Walk(const Bytes& data) {
  gif::Header h;
  std::vector<gif::Frame> frames;
  if (!gif::ParseHeader(data.data(), data.size(), &h)) return frames;
  size_t offset = h.firstBlock;
  gif::Frame f;
  while (gif::NextFrame(data.data(), data.size(), &offset, &f)) frames.push_back(f);
  return frames;
}

// Application extension, comment, two GCE frames and a third without one.
Bytes ThreeFrames(size_t* offsets) {
  Bytes b = Header(16, 12);
  Application(&b);
  Comment(&b, "made here");
  offsets[0] = b.size();
  Gce(&b, 2, 50);
  Image(&b, 0, 0, 16, 12);
  offsets[1] = b.size();
  Gce(&b, 3, 7);
  Comment(&b, "between");
  Image(&b, 3, 4, 5, 6, 1);
  offsets[2] = b.size();
  Image(&b, 258, 1, 2, 3);
  offsets[3] = b.size();
  b.push_back(0x3B);
  return b;
}

TEST(GifHeader, ReadsScreenTableAndBackground) {
  Bytes b = Header(300, 2);
  gif::Header h;
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_EQ(h.width, 300);
  EXPECT_EQ(h.height, 2);
  EXPECT_EQ(h.globalTableSize, 12u);
  EXPECT_EQ(h.firstBlock, 25u);
  EXPECT_TRUE(h.hasBackground);
  EXPECT_EQ(h.backgroundRed, 0);
  EXPECT_EQ(h.backgroundGreen, 0);
  EXPECT_EQ(h.backgroundBlue, 255);

  b[3] = '8'; b[4] = '7';  // 87a is accepted too
  EXPECT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  b[4] = '8';
  EXPECT_FALSE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_FALSE(gif::ParseHeader(b.data(), 12, &h));
  EXPECT_FALSE(gif::ParseHeader(nullptr, 0, &h));
}

TEST(GifHeader, BackgroundOutsideTableOrDataIsIgnored) {
  gif::Header h;
  Bytes b = Header(4, 4, 4);  // index 4 of a 4-entry table
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_FALSE(h.hasBackground);
  EXPECT_EQ(h.backgroundRed, 0xFF);

  b = Header(4, 4, 3);  // white entry cut off by the end of the data
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size() - 1, &h));
  EXPECT_FALSE(h.hasBackground);

  b = Header(4, 4);
  b[10] = 0x07;  // no global table: size bits alone mean nothing
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_EQ(h.globalTableSize, 0u);
  EXPECT_EQ(h.firstBlock, 13u);
  EXPECT_FALSE(h.hasBackground);

  b[10] = 0x87;  // 768-byte table announced, 12 bytes present
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_EQ(h.globalTableSize, 768u);
  EXPECT_EQ(gif::CountFrames(b.data(), b.size(), h), 0u);
}

TEST(GifWalk, FramesDelaysDisposalsAndPositions) {
  size_t at[4];
  const Bytes b = ThreeFrames(at);
  const auto frames = Walk(b);
  ASSERT_EQ(frames.size(), 3u);

  EXPECT_EQ(frames[0].offset, at[0]);  // leading metadata is not part of it
  EXPECT_EQ(frames[0].length, at[1] - at[0]);
  EXPECT_EQ(frames[0].delay, 50);
  EXPECT_EQ(frames[0].disposal, 2);
  EXPECT_TRUE(frames[0].isImage);
  EXPECT_EQ(frames[0].width, 16);
  EXPECT_EQ(frames[0].height, 12);

  EXPECT_EQ(frames[1].offset, at[1]);  // the comment after the GCE travels along
  EXPECT_EQ(frames[1].length, at[2] - at[1]);
  EXPECT_EQ(frames[1].delay, 7);
  EXPECT_EQ(frames[1].disposal, 3);
  EXPECT_EQ(frames[1].left, 3);
  EXPECT_EQ(frames[1].top, 4);
  EXPECT_EQ(frames[1].width, 5);
  EXPECT_EQ(frames[1].height, 6);

  EXPECT_EQ(frames[2].offset, at[2]);  // no GCE: just the image
  EXPECT_EQ(frames[2].length, at[3] - at[2]);
  EXPECT_EQ(frames[2].delay, -1);
  EXPECT_EQ(frames[2].disposal, 0);
  EXPECT_EQ(frames[2].left, 258);

  gif::Header h;
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  EXPECT_EQ(gif::CountFrames(b.data(), b.size(), h), 3u);
}

TEST(GifWalk, PlainTextFramesAndRepeatedControlExtensions) {
  Bytes b = Header(8, 8);
  Gce(&b, 1, 20);
  PlainText(&b);
  const size_t second = b.size();
  Gce(&b, 2, 30);
  Gce(&b, 3, 99);  // a second control extension before the picture
  Image(&b, 0, 0, 8, 8);
  PlainText(&b);
  b.push_back(0x3B);

  const auto frames = Walk(b);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_FALSE(frames[0].isImage);
  EXPECT_EQ(frames[0].delay, 20);
  EXPECT_EQ(frames[0].length, second - frames[0].offset);
  EXPECT_EQ(frames[0].width, 0);
  EXPECT_EQ(frames[1].delay, 30);  // the first one counts
  EXPECT_EQ(frames[1].disposal, 2);
  EXPECT_FALSE(frames[2].isImage);
  EXPECT_EQ(frames[2].delay, -1);
}

TEST(GifWalk, StopsAtUnknownBlocksAndMissingPictures) {
  size_t at[4];
  Bytes good = ThreeFrames(at);

  Bytes b = good;
  b[at[1]] = 0x00;  // junk instead of the second frame
  EXPECT_EQ(Walk(b).size(), 1u);

  b = good;
  b[at[1] + 1] = 0x99;  // unknown extension label
  EXPECT_EQ(Walk(b).size(), 1u);

  b = Header(8, 8);
  Gce(&b, 0, 10);
  b.push_back(0x3B);  // a control extension with nothing to control
  EXPECT_EQ(Walk(b).size(), 0u);

  b = Header(8, 8);
  Gce(&b, 0, 10);
  Append(&b, {0x21, 0x42, 0});  // unknown block after the control extension
  EXPECT_EQ(Walk(b).size(), 0u);

  // A failed step leaves the offset where it was.
  gif::Header h;
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  size_t offset = h.firstBlock;
  gif::Frame f;
  EXPECT_FALSE(gif::NextFrame(b.data(), b.size(), &offset, &f));
  EXPECT_EQ(offset, h.firstBlock);

  EXPECT_EQ(gif::KindAt(b.data(), b.size(), b.size()), gif::BlockKind::kUnknown);
  const uint8_t lone = 0x21;  // an introducer with no label after it
  EXPECT_EQ(gif::KindAt(&lone, 1, 0), gif::BlockKind::kUnknown);
}

TEST(GifBlocks, LengthsAndOverrunningChains) {
  size_t len = 0;
  const uint8_t chain[] = {3, 1, 2, 3, 1, 9, 0};
  EXPECT_TRUE(gif::ChainLength(chain, sizeof chain, 0, &len));
  EXPECT_EQ(len, 7u);
  EXPECT_FALSE(gif::ChainLength(chain, sizeof chain - 1, 0, &len));  // no terminator
  EXPECT_FALSE(gif::ChainLength(chain, 3, 0, &len));  // data cut short
  const uint8_t overrun[] = {200, 1, 2, 0};
  EXPECT_FALSE(gif::ChainLength(overrun, sizeof overrun, 0, &len));

  Bytes b;
  Image(&b, 0, 0, 1, 1, 2);  // local table of 8 entries
  EXPECT_EQ(gif::ColorTableSize(b[9]), 24u);
  EXPECT_TRUE(gif::BlockLength(b.data(), b.size(), 0, &len));
  EXPECT_EQ(len, 10u + 24u + 1u + 4u);
  EXPECT_EQ(len, b.size());
  b[9] = 0x87;  // a 768-byte local table that is not there
  EXPECT_FALSE(gif::BlockLength(b.data(), b.size(), 0, &len));

  b.clear();
  Gce(&b, 0, 0);
  EXPECT_TRUE(gif::BlockLength(b.data(), b.size(), 0, &len));
  EXPECT_EQ(len, 8u);
  EXPECT_FALSE(gif::BlockLength(b.data(), 7, 0, &len));
  b.clear();
  Application(&b);  // its fixed part cut short
  EXPECT_FALSE(gif::BlockLength(b.data(), 13, 0, &len));
  EXPECT_EQ(gif::ColorTableSize(0x7F), 0u);
  EXPECT_EQ(gif::ColorTableSize(0x80), 6u);
}

// Every prefix of a valid file, each in an allocation of exactly its size,
// so AddressSanitizer reports any read past the end.
TEST(GifWalk, EveryTruncationStaysInBounds) {
  size_t at[4];
  const Bytes full = ThreeFrames(at);
  for (size_t n = 0; n <= full.size(); ++n) {
    std::unique_ptr<uint8_t[]> copy(new uint8_t[n ? n : 1]);
    std::memcpy(copy.get(), full.data(), n);
    gif::Header h;
    if (!gif::ParseHeader(copy.get(), n, &h)) {
      EXPECT_LT(n, 13u);
      continue;
    }
    size_t offset = h.firstBlock;
    gif::Frame f;
    size_t count = 0;
    while (gif::NextFrame(copy.get(), n, &offset, &f)) {
      ++count;
      ASSERT_LE(f.offset + f.length, n);
      EXPECT_FALSE(gif::WrapFrame(copy.get(), n, h, f).empty());
    }
    // A frame appears exactly when all of its bytes are present.
    size_t expected = 0;
    for (int i = 1; i <= 3; ++i) expected += n >= at[i];
    EXPECT_EQ(count, expected) << "prefix " << n;
  }
}

TEST(GifWrap, FrameBecomesAStandaloneGif) {
  size_t at[4];
  const Bytes b = ThreeFrames(at);
  gif::Header h;
  ASSERT_TRUE(gif::ParseHeader(b.data(), b.size(), &h));
  const auto frames = Walk(b);
  ASSERT_EQ(frames.size(), 3u);

  const Bytes wrapped = gif::WrapFrame(b.data(), b.size(), h, frames[1]);
  Bytes expected(b.begin(), b.begin() + 25);
  expected.insert(expected.end(), b.begin() + at[1], b.begin() + at[2]);
  expected.push_back(0x3B);
  EXPECT_EQ(wrapped, expected);

  // The wrapped file walks to exactly that one frame.
  const auto again = Walk(wrapped);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].delay, 7);
  EXPECT_EQ(again[0].left, 3);

  gif::Frame outside = frames[2];
  outside.length += 2;  // past the end of the data
  EXPECT_TRUE(gif::WrapFrame(b.data(), b.size(), h, outside).empty());
}

TEST(GifTiming, FrameWait) {
  for (int d = 0; d <= 4; ++d) EXPECT_EQ(gif::FrameWaitMs(d), 100u) << d;
  EXPECT_EQ(gif::FrameWaitMs(5), 50u);
  EXPECT_EQ(gif::FrameWaitMs(10), 100u);
  EXPECT_EQ(gif::FrameWaitMs(50), 500u);
  EXPECT_EQ(gif::FrameWaitMs(-1), 100u);
  EXPECT_EQ(gif::FrameWaitMs(65535), 655350u);
  EXPECT_EQ(gif::FrameWaitMs(0x7FFFFFFF), 0xFFFFFFFEu);
}

}  // namespace

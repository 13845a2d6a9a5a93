// CGifPicture under Wine: small GIFs built here with known colours, decoded
// by OleLoadPicture, checked pixel by pixel on the control's surface.
#include "widgets/gif_picture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/recorder.h"
#include "widgets/gif_blocks.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Global table: index 0 red, 1 green, 2 blue, 3 white.
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBack = RGB(0, 0, 0);  // set with SetBkColor; not in the table
const COLORREF kPalette[] = {kRed, kGreen, kBlue, kWhite};

struct TestFrame {
  int left, top, width, height;
  int disposal;
  int delay;             // hundredths
  std::vector<int> pixels;  // palette indices, row by row; one value fills all
  int transparent = -1;  // palette index drawn as "leave what is there"
  bool plainText = false;  // a plain text extension instead of an image
};

void Put16(Bytes* b, int v) {
  b->push_back(static_cast<uint8_t>(v & 0xFF));
  b->push_back(static_cast<uint8_t>(v >> 8));
}

// LZW with a 2-bit minimum code size, sending a clear code before every
// pixel: the table never grows, so every code stays 3 bits wide.
Bytes Lzw(const std::vector<int>& indices) {
  Bytes packed;
  unsigned accumulator = 0;
  int bits = 0;
  auto emit = [&](unsigned code) {
    accumulator |= code << bits;
    bits += 3;
    while (bits >= 8) {
      packed.push_back(static_cast<uint8_t>(accumulator & 0xFF));
      accumulator >>= 8;
      bits -= 8;
    }
  };
  for (int index : indices) {
    emit(4);  // clear
    emit(static_cast<unsigned>(index));
  }
  emit(5);  // end of information
  if (bits > 0) packed.push_back(static_cast<uint8_t>(accumulator & 0xFF));

  Bytes out = {2};
  for (size_t at = 0; at < packed.size(); at += 255) {
    const size_t n = std::min<size_t>(255, packed.size() - at);
    out.push_back(static_cast<uint8_t>(n));
    out.insert(out.end(), packed.begin() + at, packed.begin() + at + n);
  }
  out.push_back(0);
  return out;
}

Bytes BuildGif(int width, int height, const std::vector<TestFrame>& frames, bool withGce = true) {
  Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(&b, width);
  Put16(&b, height);
  b.insert(b.end(), {0x81, 3, 0});
  for (COLORREF c : kPalette)
    b.insert(b.end(), {GetRValue(c), GetGValue(c), GetBValue(c)});
  // Loop forever, as the animations shipped with the program do.
  const char* loop = "NETSCAPE2.0";
  b.insert(b.end(), {0x21, 0xFF, 11});
  b.insert(b.end(), loop, loop + 11);
  b.insert(b.end(), {3, 1, 0, 0, 0});

  for (const TestFrame& f : frames) {
    if (withGce) {
      b.insert(b.end(), {0x21, 0xF9, 4});
      b.push_back(static_cast<uint8_t>((f.disposal << 2) | (f.transparent >= 0 ? 1 : 0)));
      Put16(&b, f.delay);
      b.push_back(static_cast<uint8_t>(f.transparent >= 0 ? f.transparent : 0));
      b.push_back(0);
    }
    if (f.plainText) {
      b.insert(b.end(), {0x21, 0x01, 12});
      Put16(&b, f.left);
      Put16(&b, f.top);
      Put16(&b, f.width);
      Put16(&b, f.height);
      b.insert(b.end(), {4, 4, 1, 0, 2, 'h', 'i', 0});
      continue;
    }
    b.push_back(0x2C);
    Put16(&b, f.left);
    Put16(&b, f.top);
    Put16(&b, f.width);
    Put16(&b, f.height);
    b.push_back(0);
    std::vector<int> pixels = f.pixels;
    if (pixels.size() == 1) pixels.assign(f.width * f.height, pixels[0]);
    const Bytes data = Lzw(pixels);
    b.insert(b.end(), data.begin(), data.end());
  }
  b.push_back(0x3B);
  return b;
}

// A 24-bit bottom-up BMP, rows padded to 4 bytes.
Bytes BuildBmp(int width, int height, COLORREF (*colour)(int x, int y)) {
  const int stride = (width * 3 + 3) & ~3;
  const int imageSize = stride * height;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + imageSize;
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = imageSize;
  Bytes b(file.bfSize, 0);
  std::memcpy(b.data(), &file, sizeof file);
  std::memcpy(b.data() + sizeof file, &info, sizeof info);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = b.data() + file.bfOffBits + (height - 1 - y) * stride + x * 3;
      const COLORREF c = colour(x, y);
      p[0] = GetBValue(c);
      p[1] = GetGValue(c);
      p[2] = GetRValue(c);
    }
  return b;
}

bool LoadBytes(CGifPicture* picture, const Bytes& bytes) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return false;
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  const bool ok = picture->Load(block, static_cast<DWORD>(bytes.size()));
  GlobalFree(block);  // the control keeps nothing of the caller's block
  return ok;
}

class GifPictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 10, 10, 40, 30, nullptr,
                          nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host_, nullptr);
    ASSERT_TRUE(picture_.Subclass(host_));
  }
  void TearDown() override {
    picture_.UnLoad();
    if (host_) DestroyWindow(host_);
  }

  COLORREF Pixel(int x, int y) { return GetPixel(picture_.SurfaceDc(), x, y); }

  // Pumps messages (painting included) until the pixel has the colour, or
  // both pixels have theirs: the animation thread draws meanwhile, so two
  // pixels read one after the other may belong to different frames.
  bool WaitForPixel(int x, int y, COLORREF colour, DWORD timeoutMs = 3000) {
    return testing_support::PumpUntil([&] { return Pixel(x, y) == colour; }, timeoutMs);
  }
  bool WaitForPixels(int x1, int y1, COLORREF colour1, int x2, int y2, COLORREF colour2) {
    return testing_support::PumpUntil(
        [&] { return Pixel(x1, y1) == colour1 && Pixel(x2, y2) == colour2; }, 3000);
  }

  void LoadOrFail(const Bytes& gif) {
    ASSERT_TRUE(LoadBytes(&picture_, gif));
    picture_.SetBkColor(kBack);
  }

  HWND host_ = nullptr;
  CGifPicture picture_;
};

TEST_F(GifPictureTest, StillGifDrawsOnceWithoutAThread) {
  std::vector<int> pixels;
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) pixels.push_back((x + y) % 4);
  LoadOrFail(BuildGif(6, 5, {{0, 0, 6, 5, 0, 0, pixels}}));
  EXPECT_EQ(picture_.GetFrameCount(), 1);
  RECT rc;
  GetClientRect(host_, &rc);
  EXPECT_EQ(rc.right, 6);  // the window takes the picture's size
  EXPECT_EQ(rc.bottom, 5);

  picture_.Draw();
  EXPECT_FALSE(picture_.IsAnimating());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 6; ++x) EXPECT_EQ(Pixel(x, y), kPalette[(x + y) % 4]) << x << "," << y;
  picture_.Stop();  // nothing to stop; the picture stays
  EXPECT_EQ(Pixel(1, 0), kGreen);
}

TEST_F(GifPictureTest, DisposalToBackgroundAfterTheDelay) {
  LoadOrFail(BuildGif(8, 8, {{0, 0, 8, 8, 2, 30, {0}}, {0, 0, 4, 4, 1, 300, {1}}}));
  ASSERT_EQ(picture_.GetFrameCount(), 2);
  picture_.Draw();
  EXPECT_TRUE(picture_.IsAnimating());
  ASSERT_TRUE(WaitForPixel(6, 6, kRed));
  const DWORD redSeen = GetTickCount();
  ASSERT_TRUE(WaitForPixel(1, 1, kGreen));
  EXPECT_GE(GetTickCount() - redSeen, 200u);  // the first frame's 300 ms
  // The first frame's area went back to the background before the second.
  EXPECT_EQ(Pixel(6, 6), kBack);
  EXPECT_EQ(Pixel(3, 3), kGreen);
  EXPECT_EQ(Pixel(4, 4), kBack);
  picture_.Stop();
  EXPECT_FALSE(picture_.IsAnimating());
}

TEST_F(GifPictureTest, DisposalToPreviousRestoresThePixelsExactly) {
  std::vector<int> checker;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) checker.push_back((x + y) % 2 ? 2 : 0);
  LoadOrFail(BuildGif(8, 8, {{0, 0, 8, 8, 1, 20, checker},
                             {2, 2, 4, 4, 3, 20, {1}},
                             {7, 7, 1, 1, 1, 300, {3}}}));
  picture_.Draw();
  ASSERT_TRUE(WaitForPixel(3, 3, kGreen));
  ASSERT_TRUE(WaitForPixel(7, 7, kWhite));
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) {
      if (x == 7 && y == 7) continue;
      EXPECT_EQ(Pixel(x, y), (x + y) % 2 ? kBlue : kRed) << x << "," << y;
    }
}

TEST_F(GifPictureTest, AfterTheLastFrameTheSurfaceStartsFromBackground) {
  LoadOrFail(BuildGif(8, 8, {{0, 0, 4, 8, 1, 20, {0}}, {4, 0, 4, 8, 1, 20, {1}}}));
  picture_.Draw();
  // The first frame stays beside the second.
  ASSERT_TRUE(WaitForPixels(6, 1, kGreen, 1, 1, kRed));
  // The loop wipes the right half the second frame drew before the first
  // frame comes back.
  ASSERT_TRUE(WaitForPixels(6, 1, kBack, 1, 1, kRed));
  // And the animation keeps going round.
  ASSERT_TRUE(WaitForPixels(6, 1, kGreen, 1, 1, kRed));
}

// Wine's OleLoadPicture turns the transparent index into a mask that Render
// honours, so the pixels under it keep the previous frame.
TEST_F(GifPictureTest, TransparentPixelsLeaveThePreviousFrame) {
  std::vector<int> half;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x) half.push_back(x < 4 ? 1 : 3);
  TestFrame second = {0, 0, 8, 8, 1, 300, half, 3};
  LoadOrFail(BuildGif(8, 8, {{0, 0, 8, 8, 1, 20, {0}}, second}));
  picture_.Draw();
  // The second frame shows for 3 s; under its transparent half the first
  // frame's red stays.
  ASSERT_TRUE(WaitForPixels(1, 1, kGreen, 6, 6, kRed));
  EXPECT_EQ(Pixel(3, 7), kGreen);
  EXPECT_EQ(Pixel(4, 0), kRed);
}

TEST_F(GifPictureTest, StopWithoutDrawShowsTheFirstFrameAtOnce) {
  LoadOrFail(BuildGif(8, 8, {{2, 2, 4, 4, 1, 100, {1}},
                             {0, 0, 8, 8, 1, 100, {0}},
                             {0, 0, 2, 2, 1, 100, {2}}}));
  EXPECT_EQ(picture_.GetFrameCount(), 3);
  EXPECT_EQ(Pixel(3, 3), kBack);
  const DWORD start = GetTickCount();
  picture_.Stop();
  EXPECT_LT(GetTickCount() - start, 500u);
  EXPECT_EQ(Pixel(3, 3), kGreen);
  EXPECT_EQ(Pixel(0, 0), kBack);
  EXPECT_FALSE(picture_.IsAnimating());
}

TEST_F(GifPictureTest, StopHaltsTheThreadAndDrawStartsItAgain) {
  LoadOrFail(BuildGif(8, 8, {{2, 2, 4, 4, 1, 10, {1}}, {0, 0, 8, 8, 1, 500, {0}}}));
  picture_.Draw();
  picture_.Draw();  // a second Draw while running changes nothing
  ASSERT_TRUE(WaitForPixel(0, 0, kRed));
  const DWORD start = GetTickCount();
  picture_.Stop();  // in the middle of the second frame's 5 s wait
  EXPECT_LT(GetTickCount() - start, 1000u);
  EXPECT_FALSE(picture_.IsAnimating());
  EXPECT_EQ(Pixel(3, 3), kGreen);  // the first frame, over the second
  EXPECT_EQ(Pixel(0, 0), kRed);
  testing_support::PumpFor(200);
  EXPECT_EQ(Pixel(3, 3), kGreen);  // nothing draws any more

  picture_.Draw();
  EXPECT_TRUE(picture_.IsAnimating());
  picture_.Stop();
  EXPECT_FALSE(picture_.IsAnimating());
}

TEST_F(GifPictureTest, DestroyingTheWindowStopsTheAnimation) {
  LoadOrFail(BuildGif(4, 4, {{0, 0, 4, 4, 1, 5, {0}}, {0, 0, 4, 4, 1, 5, {1}}}));
  picture_.Draw();
  ASSERT_TRUE(WaitForPixel(0, 0, kGreen));
  DestroyWindow(host_);
  host_ = nullptr;
  EXPECT_FALSE(picture_.IsAnimating());
  EXPECT_EQ(picture_.Hwnd(), nullptr);
}

TEST_F(GifPictureTest, FramesTheDecoderRejectsAreLeftOut) {
  TestFrame text = {0, 0, 8, 8, 1, 10, {}, -1, true};
  LoadOrFail(BuildGif(8, 8, {{0, 0, 8, 8, 1, 10, {0}}, text, {0, 0, 8, 8, 1, 10, {1}}}));
  EXPECT_EQ(picture_.GetFrameCount(), 2);

  // Nothing but plain text: no frame survives, so nothing loads.
  EXPECT_FALSE(LoadBytes(&picture_, BuildGif(8, 8, {text, text})));
  EXPECT_EQ(picture_.GetFrameCount(), 0);
  EXPECT_EQ(picture_.SurfaceDc(), nullptr);
}

TEST_F(GifPictureTest, BrokenDataLoadsNothing) {
  const Bytes good = BuildGif(8, 8, {{0, 0, 8, 8, 1, 10, {0}}, {0, 0, 8, 8, 1, 10, {1}}});
  ASSERT_TRUE(LoadBytes(&picture_, good));

  Bytes noFrames(good.begin(), good.begin() + 13 + 12);  // header and table only
  noFrames.push_back(0x3B);
  EXPECT_FALSE(LoadBytes(&picture_, noFrames));
  EXPECT_EQ(picture_.GetFrameCount(), 0);  // the earlier picture is gone too
  EXPECT_FALSE(LoadBytes(&picture_, Bytes(good.begin(), good.begin() + 40)));
  EXPECT_FALSE(LoadBytes(&picture_, Bytes(good.begin(), good.begin() + 10)));
  EXPECT_FALSE(LoadBytes(&picture_, Bytes(64, 0x5A)));  // neither GIF nor picture
  EXPECT_FALSE(picture_.Load(nullptr, 10));

  picture_.Draw();  // harmless when empty
  picture_.SetBkColor(kRed);
  EXPECT_FALSE(picture_.IsAnimating());
  EXPECT_EQ(picture_.SurfaceDc(), nullptr);
}

TEST_F(GifPictureTest, OtherPicturesTakeTheirSizeFromTheDecoder) {
  const Bytes bmp = BuildBmp(5, 3, [](int x, int y) { return x == y ? kBlue : kWhite; });
  ASSERT_TRUE(LoadBytes(&picture_, bmp));
  EXPECT_EQ(picture_.GetFrameCount(), 1);
  RECT rc;
  GetClientRect(host_, &rc);
  EXPECT_EQ(rc.right, 5);
  EXPECT_EQ(rc.bottom, 3);
  picture_.Draw();
  EXPECT_FALSE(picture_.IsAnimating());
  EXPECT_EQ(Pixel(0, 0), kBlue);
  EXPECT_EQ(Pixel(2, 2), kBlue);
  EXPECT_EQ(Pixel(4, 0), kWhite);
}

TEST_F(GifPictureTest, PaintingCopiesTheSurfaceToTheWindow) {
  LoadOrFail(BuildGif(6, 4, {{0, 0, 6, 4, 0, 0, {2}}}));
  picture_.Draw();
  UpdateWindow(host_);
  fw::WindowDc dc(host_);
  EXPECT_EQ(GetPixel(dc.Get(), 1, 1), kBlue);
  EXPECT_EQ(GetPixel(dc.Get(), 5, 3), kBlue);
}

TEST_F(GifPictureTest, UnloadReleasesAnAnimationInProgress) {
  LoadOrFail(BuildGif(4, 4, {{0, 0, 4, 4, 3, 5, {0}}, {1, 1, 2, 2, 3, 5, {1}}}));
  picture_.Draw();
  ASSERT_TRUE(WaitForPixel(1, 1, kGreen));
  picture_.UnLoad();
  EXPECT_FALSE(picture_.IsAnimating());
  EXPECT_EQ(picture_.GetFrameCount(), 0);
  EXPECT_EQ(picture_.SurfaceDc(), nullptr);
  // The control can be loaded again afterwards.
  LoadOrFail(BuildGif(4, 4, {{0, 0, 4, 4, 0, 0, {3}}}));
  picture_.Draw();
  EXPECT_EQ(Pixel(2, 2), kWhite);
}

// The animation the tool dialogs show: every frame decodes, the control
// takes the logical screen size, and it plays and stops.
TEST_F(GifPictureTest, ProgramAnimationResource) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(177), "GIF");
  if (!found) GTEST_SKIP() << "GIF resource 177 is not in this build";
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  const DWORD size = SizeofResource(module, found);
  gif::Header header;
  ASSERT_TRUE(gif::ParseHeader(bytes, size, &header));

  ASSERT_TRUE(picture_.Load(MAKEINTRESOURCEA(177), "GIF"));
  EXPECT_GT(picture_.GetFrameCount(), 1);
  EXPECT_EQ(static_cast<size_t>(picture_.GetFrameCount()), gif::CountFrames(bytes, size, header));
  RECT rc;
  GetClientRect(host_, &rc);
  EXPECT_EQ(rc.right, header.width);
  EXPECT_EQ(rc.bottom, header.height);
  picture_.Draw();
  EXPECT_TRUE(picture_.IsAnimating());
  testing_support::PumpFor(300);
  picture_.Stop();
  EXPECT_FALSE(picture_.IsAnimating());
}

}  // namespace

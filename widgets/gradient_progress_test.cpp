// CGradientProgress under Wine: a real progress control in a popup window,
// painted through PaintTo onto a 32-bit DIB whose pixels are read back and
// compared with the band layout.
#include "widgets/gradient_progress.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "framework/raii.h"
#include "tests/support/recorder.h"
#include "widgets/gradient_bands.h"

namespace {

constexpr COLORREF kGreen = RGB(83, 190, 12), kBlue = RGB(3, 0, 255), kBack = RGB(40, 40, 40);

// A popup holding one progress control of the given client size and style.
class BarHost {
 public:
  BarHost(int width, int height, DWORD style = 0) {
    popup_ = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 40, 40, width + 40, height + 40,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    bar_ = CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                         popup_, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~BarHost() { DestroyWindow(popup_); }
  HWND Bar() const { return bar_; }

 private:
  HWND popup_ = nullptr, bar_ = nullptr;
};

// The bar painted by PaintTo onto a DIB of its client size; pixels as COLORREF.
class Picture {
 public:
  Picture(CGradientProgress& bar, int width, int height) : width_(width) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    fw::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    fw::MemoryDc dc(nullptr);
    {
      fw::SelectScope select(dc.Get(), bitmap.Get());
      bar.PaintTo(dc.Get(), RECT{0, 0, width, height});
      GdiFlush();
    }
    const auto* pixels = static_cast<const DWORD*>(bits);
    for (int i = 0; i < width * height; ++i) {
      const DWORD p = pixels[i];  // 0x00RRGGBB
      pixels_.push_back(RGB((p >> 16) & 255, (p >> 8) & 255, p & 255));
    }
  }
  COLORREF At(int x, int y) const { return pixels_[static_cast<size_t>(y * width_ + x)]; }
  const std::vector<COLORREF>& All() const { return pixels_; }

 private:
  int width_;
  std::vector<COLORREF> pixels_;
};

COLORREF BandColour(const GradientBand& band) { return RGB(band.red, band.green, band.blue); }

// The colour painting leaves at offset `at` along the bar, from the layout.
COLORREF Expected(const ProgressPaint& paint, int at, COLORREF background) {
  COLORREF colour = background;
  if (at >= paint.backgroundFrom) return colour;
  for (const GradientBand& band : paint.bands)
    if (band.left <= at && at < band.right) colour = BandColour(band);
  return colour;
}

void UseMemoryColours(CGradientProgress& bar) {
  bar.SetStartColor(kGreen);
  bar.SetEndColor(kBlue);
  bar.SetBkColor(kBack);
}

TEST(GradientProgress, EmptyOutsideTheRangeIsPlainButtonFaceWithoutText) {
  BarHost host(200, 20);
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Bar()));
  UseMemoryColours(bar);
  bar.ShowPercent(true);
  bar.SetTextColor(RGB(0, 0, 0));
  bar.SetRange(0, 100);
  for (int position : {0, 101, -5}) {
    bar.SetPos(position);
    const Picture picture(bar, 200, 20);
    for (COLORREF pixel : picture.All()) ASSERT_EQ(pixel, GetSysColor(COLOR_BTNFACE)) << position;
  }
}

TEST(GradientProgress, HalfBarShowsTheFirstHalfOfTheGradientUpToTheCrossingBand) {
  BarHost host(200, 20);
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Bar()));
  UseMemoryColours(bar);
  bar.SetRange(0, 100);
  bar.SetPos(50);
  const Picture picture(bar, 200, 20);
  const ProgressPaint paint = LayOutProgress(50, 0, 100, 200, {83, 190, 12}, {3, 0, 255});
  for (int y : {0, 19})
    for (int x = 0; x < 200; ++x) ASSERT_EQ(picture.At(x, y), Expected(paint, x, kBack)) << x;
  // Bands are narrower than a pixel here: band 1 also starts at pixel 0
  // and paints over band 0.
  EXPECT_EQ(picture.At(0, 10), RGB(82, 189, 13));
  EXPECT_EQ(picture.At(101, 10), RGB(42, 94, 134));  // band 122 of 243
  EXPECT_EQ(picture.At(102, 10), kBack);

  // The vertical style runs the bands from the top down.
  BarHost tall(20, 200, PBS_VERTICAL);
  CGradientProgress column;
  ASSERT_TRUE(column.Subclass(tall.Bar()));
  UseMemoryColours(column);
  column.SetRange(0, 100);
  column.SetPos(50);
  const Picture upright(column, 20, 200);
  for (int y = 0; y < 200; ++y) ASSERT_EQ(upright.At(7, y), Expected(paint, y, kBack)) << y;
}

TEST(GradientProgress, RangeBeyondSixteenBitsAndEqualColoursPaintFromTheBarsOwnValues) {
  BarHost host(300, 16);
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Bar()));
  UseMemoryColours(bar);
  bar.SetRange(0, 200000);
  EXPECT_EQ(bar.GetPos(), 0);
  bar.SetPos(100000);
  EXPECT_EQ(bar.GetPos(), 100000);
  EXPECT_EQ(SendMessageA(host.Bar(), PBM_GETPOS, 0, 0), 100000);
  EXPECT_EQ(SendMessageA(host.Bar(), PBM_GETRANGE, FALSE, 0), 200000);
  const ProgressPaint half = LayOutProgress(100000, 0, 200000, 300, {83, 190, 12}, {3, 0, 255});
  ASSERT_EQ(half.extent, 150);
  const Picture picture(bar, 300, 16);
  for (int x = 0; x < 300; ++x) ASSERT_EQ(picture.At(x, 8), Expected(half, x, kBack)) << x;

  bar.SetStartColor(RGB(10, 200, 30));
  bar.SetEndColor(RGB(10, 200, 30));
  bar.SetPos(200000);
  const Picture plain(bar, 300, 16);
  for (COLORREF pixel : plain.All()) ASSERT_EQ(pixel, RGB(10, 200, 30));

  // A new range puts the position back on its lower bound.
  bar.SetRange(-10, 10);
  EXPECT_EQ(bar.GetPos(), -10);
  EXPECT_EQ(bar.GetLower(), -10);
  EXPECT_EQ(bar.GetUpper(), 10);
}

// An unsmoothed font, so every text pixel is exactly the text colour.
fw::Font CrispFont() {
  LOGFONTA font = {};
  font.lfHeight = -14;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  std::strcpy(font.lfFaceName, "Tahoma");
  return fw::Font(CreateFontIndirectA(&font));
}

TEST(GradientProgress, PercentTextIsCentredOverTheWholeBarInItsColour) {
  BarHost host(200, 20);
  const fw::Font font = CrispFont();
  SendMessageA(host.Bar(), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Bar()));
  UseMemoryColours(bar);
  bar.SetTextColor(RGB(255, 255, 255));
  bar.SetRange(0, 100);
  bar.SetPos(50);
  const Picture plain(bar, 200, 20);
  bar.ShowPercent(true);
  const Picture labelled(bar, 200, 20);

  // Where " 50 %" lands when centred over the whole client area, drawn alone.
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, 200, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  fw::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  fw::MemoryDc dc(nullptr);
  {
    fw::SelectScope select(dc.Get(), bitmap.Get());
    fw::SelectScope useFont(dc.Get(), font.Get());
    RECT all = {0, 0, 200, 20};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    SetBkMode(dc.Get(), TRANSPARENT);
    SetTextColor(dc.Get(), RGB(255, 255, 255));
    DrawTextA(dc.Get(), " 50 %", 5, &all, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    GdiFlush();
  }
  const auto* reference = static_cast<const DWORD*>(bits);
  int ink = 0;
  for (int i = 0; i < 200 * 20; ++i) {
    const bool text = (reference[i] & 0xFFFFFF) != 0;
    ink += text;
    ASSERT_EQ(labelled.All()[i], text ? RGB(255, 255, 255) : plain.All()[i]) << i;
  }
  EXPECT_GT(ink, 20);
}

struct Job {
  CGradientProgress* bar;
  volatile LONG done;
};

DWORD WINAPI SetFullFromThread(void* argument) {
  auto* job = static_cast<Job*>(argument);
  job->bar->SetPos(100);
  InterlockedExchange(&job->done, 1);
  return 0;
}

TEST(GradientProgress, PositionSentFromAnotherThreadReachesTheScreen) {
  BarHost host(100, 10);
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Bar()));
  bar.SetStartColor(RGB(0, 128, 0));
  bar.SetEndColor(RGB(0, 128, 0));
  bar.SetBkColor(kBack);
  bar.SetRange(0, 100);
  Job job = {&bar, 0};
  HANDLE thread = CreateThread(nullptr, 0, &SetFullFromThread, &job, 0, nullptr);
  ASSERT_NE(thread, nullptr);
  ASSERT_TRUE(testing_support::PumpUntil([&] { return job.done != 0; }, 10000));
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(bar.GetPos(), 100);
  UpdateWindow(host.Bar());
  fw::WindowDc screen(host.Bar());
  EXPECT_EQ(GetPixel(screen.Get(), 99, 9), RGB(0, 128, 0));
  EXPECT_EQ(GetPixel(screen.Get(), 0, 0), RGB(0, 128, 0));
}

}  // namespace

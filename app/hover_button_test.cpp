// CHoverButton under Wine: an owner-drawn button in a popup window, drawn
// through the reflected WM_DRAWITEM onto a memory DC and compared pixel by
// pixel with the real bitmap resource.
#include "app/hover_button.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/recorder.h"

namespace {

constexpr UINT kRegistryBitmap = 135;  // 346 x 34: two frames of 173 x 34
constexpr int kWidth = 173, kHeight = 34;
constexpr COLORREF kSentinel = RGB(1, 2, 3);

// A popup window with one owner-drawn button at (10, 20), subclassed.
struct ButtonHost {
  explicit ButtonHost(CHoverButton* button) {
    parent = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 100, 100, 300, 100, nullptr,
                           nullptr, GetModuleHandleA(nullptr), nullptr);
    hwnd = CreateWindowA("BUTTON", "", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, 10, 20, 50, 20, parent,
                         reinterpret_cast<HMENU>(1000), GetModuleHandleA(nullptr), nullptr);
    EXPECT_TRUE(button->Subclass(hwnd));
  }
  ~ButtonHost() { DestroyWindow(parent); }
  HWND parent, hwnd;
};

// A memory DC holding the bitmap resource as the button loads it, or a
// frame-sized surface filled with the sentinel colour.
class Pixels {
 public:
  explicit Pixels(UINT resource = 0) : dc_(nullptr) {
    fw::WindowDc screen(nullptr);
    bitmap_.Reset(resource ? static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr),
                                                             MAKEINTRESOURCEA(resource), IMAGE_BITMAP,
                                                             0, 0, LR_LOADMAP3DCOLORS))
                           : CreateCompatibleBitmap(screen.Get(), kWidth, kHeight));
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
    fw::Brush sentinel(CreateSolidBrush(kSentinel));
    RECT all = {0, 0, kWidth, kHeight};
    if (!resource) FillRect(dc_.Get(), &all, sentinel.Get());
  }
  ~Pixels() { SelectObject(dc_.Get(), old_); }
  HDC Dc() const { return dc_.Get(); }
  COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }

 private:
  fw::MemoryDc dc_;
  fw::Bitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

// Pixels of the surface from column at on that differ from the bitmap's
// frame starting at column from.
int Mismatches(const Pixels& surface, int at, const Pixels& art, int from) {
  int count = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x + at < kWidth; ++x) count += surface.At(x + at, y) != art.At(x + from, y);
  return count;
}

// The button drawn as its dialog asks it to (the reflected WM_DRAWITEM).
std::unique_ptr<Pixels> Drawn(HWND button, UINT state) {
  auto surface = std::make_unique<Pixels>();
  DRAWITEMSTRUCT item = {ODT_BUTTON, 1000, 0, ODA_DRAWENTIRE, state, button, surface->Dc(),
                         {0, 0, kWidth, kHeight}, 0};
  EXPECT_EQ(SendMessageA(button, fw::kReflectBase + WM_DRAWITEM, 1000, reinterpret_cast<LPARAM>(&item)),
            TRUE);
  return surface;
}

TEST(HoverButton, SetBitmapResizesToOneFrameWithoutMoving) {
  CHoverButton button;
  ButtonHost host(&button);
  EXPECT_FALSE(button.SetBitmap(9999));
  ASSERT_TRUE(button.SetBitmap(kRegistryBitmap));
  RECT rect;
  GetWindowRect(host.hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, host.parent, reinterpret_cast<POINT*>(&rect), 2);
  EXPECT_EQ(rect.left, 10);
  EXPECT_EQ(rect.top, 20);
  EXPECT_EQ(rect.right - rect.left, kWidth);
  EXPECT_EQ(rect.bottom - rect.top, kHeight);
}

TEST(HoverButton, DrawsTheFrameOfItsState) {
  CHoverButton button;
  ButtonHost host(&button);
  ASSERT_TRUE(button.SetBitmap(kRegistryBitmap));
  const Pixels art(kRegistryBitmap);
  {
    // The two frames must differ, or the comparisons below prove nothing.
    const Pixels normal;
    BitBlt(normal.Dc(), 0, 0, kWidth, kHeight, art.Dc(), 0, 0, SRCCOPY);
    ASSERT_GT(Mismatches(normal, 0, art, kWidth), 500);
  }
  EXPECT_EQ(Mismatches(*Drawn(host.hwnd, 0), 0, art, 0), 0);
  EXPECT_EQ(Mismatches(*Drawn(host.hwnd, ODS_SELECTED), 0, art, kWidth), 0);
  button.highlight = true;
  EXPECT_EQ(Mismatches(*Drawn(host.hwnd, 0), 0, art, kWidth), 0);
  button.highlight = false;

  SendMessageA(host.hwnd, WM_MOUSEHOVER, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(button.IsHovering());
  const auto hover = Drawn(host.hwnd, 0);
  EXPECT_EQ(Mismatches(*hover, 1, art, kWidth), 0);
  for (int y = 0; y < kHeight; ++y) ASSERT_EQ(hover->At(0, y), RGB(255, 255, 255)) << y;
  button.noFill = true;
  const auto bare = Drawn(host.hwnd, 0);
  EXPECT_EQ(Mismatches(*bare, 1, art, kWidth), 0);
  EXPECT_EQ(bare->At(0, 0), kSentinel);

  SendMessageA(host.hwnd, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.IsHovering());
  EXPECT_EQ(Mismatches(*Drawn(host.hwnd, 0), 0, art, 0), 0);
}

TEST(HoverButton, TracksTheRealMouseInAndOut) {
  CHoverButton button;
  ButtonHost host(&button);
  ASSERT_TRUE(button.SetBitmap(kRegistryBitmap));
  POINT inside = {20, 10};
  ClientToScreen(host.hwnd, &inside);
  SetCursorPos(inside.x, inside.y);
  SendMessageA(host.hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
  EXPECT_TRUE(testing_support::PumpUntil([&] { return button.IsHovering(); }, 3000));
  SetCursorPos(inside.x + 400, inside.y + 300);
  EXPECT_TRUE(testing_support::PumpUntil([&] { return !button.IsHovering(); }, 3000));
}

}  // namespace

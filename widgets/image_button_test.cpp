// CImageButton under Wine: a real push button in a popup window, drawn
// through DrawTo onto a 32-bit DIB whose pixels are read back.
#include "widgets/image_button.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255), kPaint = RGB(200, 100, 40), kGrey = RGB(90, 90, 90);
constexpr COLORREF kFace = RGB(0, 0, 128);  // a button face no picture pixel has
constexpr int kPicture = 6, kWidth = 40, kHeight = 30;
// Where a centred 6 x 6 picture lands in a 40 x 30 button.
constexpr int kLeft = (kWidth - kPicture) / 2, kTop = (kHeight - kPicture) / 2;

// A 6 x 6 picture: white (transparent) except a 2 x 2 block of paint at
// (1, 1) and one grey pixel at (4, 4).
HBITMAP MakePicture() {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, kPicture, -kPicture, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  auto* pixels = static_cast<uint32_t*>(bits);
  auto dib = [](COLORREF c) { return static_cast<uint32_t>(GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c)); };
  for (int i = 0; i < kPicture * kPicture; ++i) pixels[i] = dib(kWhite);
  for (int y = 1; y <= 2; ++y)
    for (int x = 1; x <= 2; ++x) pixels[y * kPicture + x] = dib(kPaint);
  pixels[4 * kPicture + 4] = dib(kGrey);
  return bitmap;
}

// A popup window with one push button, subclassed by button.
class ButtonHost {
 public:
  ButtonHost(CImageButton& button, const char* text = "") {
    parent_ = CreateWindowA("STATIC", "", WS_POPUP | WS_VISIBLE, 80, 80, 200, 100, nullptr, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    hwnd_ = CreateWindowA("BUTTON", text, WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, kWidth,
                          kHeight, parent_, reinterpret_cast<HMENU>(1041), GetModuleHandleA(nullptr),
                          nullptr);
    EXPECT_TRUE(button.Subclass(hwnd_));
    button.SetColour(CImageButton::kBackgroundNormal, kFace);
    button.SetColour(CImageButton::kBackgroundHover, kFace);
    button.SetColour(CImageButton::kBackgroundFocus, kFace);
  }
  ~ButtonHost() { DestroyWindow(parent_); }
  HWND Hwnd() const { return hwnd_; }

 private:
  HWND parent_, hwnd_;
};

struct State {
  bool pressed = false, focused = false, disabled = false, hovering = false;
};

// The button drawn onto a DIB of its size (40 x 30 unless given).
class Drawn {
 public:
  Drawn(CImageButton& button, State s, int width = kWidth, int height = kHeight)
      : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
    const RECT all = {0, 0, width, height};
    button.DrawTo(dc_.Get(), all, s.pressed, s.focused, s.disabled, s.hovering);
  }
  ~Drawn() { SelectObject(dc_.Get(), old_); }
  COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
  // Where the paint block's top-left pixel is (-1, -1 when not drawn).
  POINT PaintAt(COLORREF paint) const {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if (At(x, y) == paint) return {x, y};
    return {-1, -1};
  }
  int Count(COLORREF colour) const {
    int n = 0;
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) n += At(x, y) == colour;
    return n;
  }

 private:
  int width_, height_;
  fw::MemoryDc dc_;
  fw::Bitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

bool SamePoint(POINT a, POINT b) { return a.x == b.x && a.y == b.y; }

TEST(ImageButton, PictureIsTransparentCentredAndTheButtonsToDispose) {
  {
    CImageButton button;
    ButtonHost host(button);
    // The button takes the bitmap over: it keeps what it needs and deletes
    // the handle, so the caller must not (nor may anyone else later).
    HBITMAP picture = MakePicture();
    EXPECT_EQ(button.SetBitmaps(picture, kWhite), CImageButton::kOk);
    EXPECT_EQ(GetObjectType(picture), 0u);
    EXPECT_EQ(GetWindowLongPtrA(host.Hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    const Drawn normal(button, {});
    EXPECT_TRUE(SamePoint(normal.PaintAt(kPaint), {kLeft + 1, kTop + 1}));
    EXPECT_EQ(normal.Count(kPaint), 4);
    EXPECT_EQ(normal.At(kLeft + 4, kTop + 4), kGrey);
    EXPECT_EQ(normal.Count(kWhite), 0) << "transparent pixels show the face";
    EXPECT_EQ(normal.Count(kFace), kWidth * kHeight - 5);  // flat, no border when idle

    // The dialog manager's default-button style keeps it owner-drawn.
    SendMessageA(host.Hwnd(), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    EXPECT_EQ(GetWindowLongPtrA(host.Hwnd(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);

    button.SizeToContent();
    RECT r;
    GetWindowRect(host.Hwnd(), &r);
    EXPECT_EQ(r.right - r.left, kPicture);
    EXPECT_EQ(r.bottom - r.top, kPicture);
  }

  // A handle that is no bitmap: result 1 and no picture.
  CImageButton button;
  ButtonHost host(button);
  EXPECT_EQ(button.SetBitmaps(reinterpret_cast<HBITMAP>(GetStockObject(WHITE_BRUSH)), kWhite),
            CImageButton::kNoBitmapSize);
  EXPECT_EQ(button.PictureSize().cx, 0);
  EXPECT_EQ(Drawn(button, {}).Count(kFace), kWidth * kHeight);
}

TEST(ImageButton, HoverShowsTheGreyOrDarkenedVariantWithTheSameShape) {
  CImageButton button;
  ButtonHost host(button);
  button.DrawBorder(false);  // the raised edge of a hovered button is white
  State hover;
  hover.hovering = true;

  ASSERT_EQ(button.SetBitmaps(MakePicture(), kWhite, CImageButton::kGreyOfIn), CImageButton::kOk);
  const COLORREF grey = RGB(123, 123, 123);  // 0.299 x 200 + 0.587 x 100 + 0.114 x 40
  const Drawn greyed(button, hover);
  EXPECT_TRUE(SamePoint(greyed.PaintAt(grey), {kLeft + 1, kTop + 1}));
  EXPECT_EQ(greyed.Count(grey), 4);
  EXPECT_EQ(greyed.At(kLeft + 4, kTop + 4), kGrey);
  EXPECT_EQ(greyed.Count(kWhite), 0);
  EXPECT_EQ(Drawn(button, {}).Count(kPaint), 4) << "not hovering: the picture itself";
  SendMessageA(host.Hwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(button.IsHovering());
  SendMessageA(host.Hwnd(), WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(button.IsHovering());

  ASSERT_EQ(button.SetBitmaps(MakePicture(), kWhite, CImageButton::kDarkerOfIn), CImageButton::kOk);
  const Drawn darker(button, hover);
  EXPECT_EQ(darker.Count(RGB(150, 75, 30)), 4);
  EXPECT_EQ(darker.At(kLeft + 4, kTop + 4), RGB(67, 67, 67));
  EXPECT_EQ(darker.Count(kWhite), 0);

  // A disabled button shows the picture's shape embossed, never its colours.
  State disabled;
  disabled.disabled = true;
  const Drawn embossed(button, disabled);
  EXPECT_EQ(embossed.Count(kPaint), 0);
  EXPECT_EQ(embossed.At(kLeft + 1, kTop + 1), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(embossed.At(kLeft + 3, kTop + 3), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(ImageButton, PressedStylesMoveThePictureAndTheBorderFollowsItsFlag) {
  CImageButton button;
  ButtonHost host(button);
  ASSERT_EQ(button.SetBitmaps(MakePicture(), kWhite), CImageButton::kOk);
  State pressed;
  pressed.pressed = true;
  const POINT idle = {kLeft + 1, kTop + 1};
  EXPECT_TRUE(SamePoint(Drawn(button, pressed).PaintAt(kPaint), {idle.x + 1, idle.y + 1}));
  EXPECT_EQ(button.SetPressedStyle(1), CImageButton::kOk);
  EXPECT_TRUE(SamePoint(Drawn(button, pressed).PaintAt(kPaint), {idle.x, idle.y + 2}));
  EXPECT_EQ(button.SetPressedStyle(2), CImageButton::kOk);
  EXPECT_TRUE(SamePoint(Drawn(button, pressed).PaintAt(kPaint), idle));
  EXPECT_EQ(button.SetPressedStyle(3), CImageButton::kInvalidStyle);
  EXPECT_EQ(button.SetPressedStyle(-1), CImageButton::kInvalidStyle);
  EXPECT_TRUE(SamePoint(Drawn(button, pressed).PaintAt(kPaint), idle)) << "style 2 kept";

  // Flat: a sunken edge while pressed, a raised one while hovered; none
  // with the border flag off.
  State hover;
  hover.hovering = true;
  EXPECT_EQ(Drawn(button, pressed).At(0, 0), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(Drawn(button, hover).At(0, 0), GetSysColor(COLOR_BTNHIGHLIGHT));
  button.DrawBorder(false);
  EXPECT_EQ(Drawn(button, pressed).At(0, 0), kFace);
  EXPECT_EQ(Drawn(button, hover).At(0, 0), kFace);
}

TEST(ImageButton, FocusRectangleOnlyWhenNotFlatOrAskedFor) {
  CImageButton button;
  ButtonHost host(button);
  State focused;
  focused.focused = true;
  // The focus rectangle runs 3 pixels inside the edge.
  auto focusDrawn = [&] {
    const Drawn drawn(button, focused);
    int marked = 0;
    for (int y = 4; y < kHeight - 4; ++y) marked += drawn.At(3, y) != kFace;
    return marked > 0;
  };
  EXPECT_FALSE(focusDrawn());
  button.DrawFlatFocus(true);
  EXPECT_TRUE(focusDrawn());
  button.DrawFlatFocus(false);
  button.SetFlat(false);
  EXPECT_TRUE(focusDrawn());
  EXPECT_NE(Drawn(button, {}).At(0, 0), kFace) << "a raised edge when not flat";
}

TEST(ImageButton, TextSitsBesideThePictureAndASizedToPictureButtonShowsNone) {
  CImageButton button;
  ButtonHost host(button, "Button1");
  ASSERT_EQ(button.SetBitmaps(MakePicture(), kWhite), CImageButton::kOk);
  button.SetColour(CImageButton::kTextNormal, RGB(255, 255, 0));
  const Drawn left(button, {});
  EXPECT_TRUE(SamePoint(left.PaintAt(kPaint), {1, kTop + 1}));
  const POINT text = left.PaintAt(RGB(255, 255, 0));
  EXPECT_GE(text.x, kPicture) << "the text starts right of the picture";
  button.SetAlignment(CImageButton::kPictureAbove);
  EXPECT_TRUE(SamePoint(Drawn(button, {}).PaintAt(kPaint), {kLeft + 1, 1}));
  button.SetAlignment(CImageButton::kPictureRight);
  EXPECT_TRUE(SamePoint(Drawn(button, {}).PaintAt(kPaint), {kWidth - kPicture + 1, kTop + 1}));

  // Sized to the picture (the thermometer): the picture fills the button and
  // its template text "Button1" is not drawn over it.
  button.SetAlignment(CImageButton::kPictureLeft);
  button.SizeToContent();
  const Drawn sized(button, {}, kPicture, kPicture);
  EXPECT_EQ(sized.At(1, 1), kPaint);
  EXPECT_EQ(sized.Count(kFace), kPicture * kPicture - 5);
}

}  // namespace

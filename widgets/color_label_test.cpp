// CColorLabel under Wine: real static controls in a popup window, painted
// through PaintTo onto a 32-bit DIB whose pixels are read back.
#include "widgets/color_label.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "framework/site.h"
#include "tests/support/recorder.h"

namespace {

constexpr int kLabelId = 4711;
constexpr COLORREF kSentinel = RGB(1, 2, 3), kBack = RGB(0, 0, 128), kInk = RGB(255, 255, 0);

std::vector<std::pair<WPARAM, LPARAM>> g_commands;  // WM_COMMANDs the popup received

LRESULT CALLBACK ParentProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND) g_commands.emplace_back(wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A popup window holding one 200 x 40 static control, subclassed by label.
class LabelHost {
 public:
  LabelHost(CColorLabel* label, DWORD style, const char* text) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "SpruceLabelTestParent";
    RegisterClassA(&wc);  // fails harmlessly once registered
    parent_ = CreateWindowA(wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 50, 50, 300, 100, nullptr,
                            nullptr, wc.hInstance, nullptr);
    label_ = CreateWindowA("STATIC", text, WS_CHILD | WS_VISIBLE | style, 10, 10, 200, 40, parent_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelId)), wc.hInstance,
                           nullptr);
    g_commands.clear();
    if (label) {
      EXPECT_TRUE(label->Subclass(label_));
    }
  }
  ~LabelHost() { DestroyWindow(parent_); }
  HWND Label() const { return label_; }
  LONG_PTR Style(int index) const { return GetWindowLongPtrA(label_, index); }

 private:
  HWND parent_ = nullptr, label_ = nullptr;
};

// The label painted onto a 32-bit DIB pre-filled with the sentinel colour.
class Surface {
 public:
  Surface(CColorLabel& label, int width, int height, RECT rect = {0, 0, 200, 40})
      : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info = {};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    old_ = SelectObject(dc_.Get(), bitmap_.Get());
    fw::Brush sentinel(CreateSolidBrush(kSentinel));
    RECT all = {0, 0, width, height};
    FillRect(dc_.Get(), &all, sentinel.Get());
    label.PaintTo(dc_.Get(), rect);
  }
  ~Surface() { SelectObject(dc_.Get(), old_); }
  COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
  // Bounding box of the pixels of one colour (with invert: of all others).
  RECT Box(COLORREF color, bool invert = false) const {
    RECT box = {width_, height_, 0, 0};
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x)
        if ((At(x, y) == color) != invert) {
          RECT pixel = {x, y, x + 1, y + 1};
          UnionRect(&box, IsRectEmpty(&box) ? &pixel : &box, &pixel);
        }
    return IsRectEmpty(&box) ? RECT{} : box;
  }

 private:
  int width_, height_;
  fw::MemoryDc dc_;
  fw::Bitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

// An unsmoothed font, so every text pixel is exactly the text colour.
LOGFONTA CrispFont(int height = -16) {
  LOGFONTA font = {};
  font.lfHeight = height;
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = DEFAULT_CHARSET;
  font.lfQuality = NONANTIALIASED_QUALITY;
  std::strcpy(font.lfFaceName, "Tahoma");
  return font;
}

TEST(ColorLabel, BackgroundIsTheButtonFaceBrushOrAGradientOfBands) {
  CColorLabel label;
  LabelHost host(&label, SS_LEFT, "");
  EXPECT_EQ(Surface(label, 20, 4, {0, 0, 20, 4}).At(19, 3), GetSysColor(COLOR_BTNFACE));

  // Red rises 0 -> 200 and green falls 200 -> 0: 100 bands of 2 px step 2.
  label.SetBkColor(RGB(0, 200, 100), RGB(200, 0, 100), true);
  const Surface wide(label, 220, 4, {10, 0, 210, 4});
  EXPECT_EQ(wide.At(9, 0), kSentinel);
  EXPECT_EQ(wide.At(11, 3), RGB(0, 200, 100));
  EXPECT_EQ(wide.At(12, 0), RGB(2, 198, 100));
  EXPECT_EQ(wide.At(110, 2), RGB(100, 100, 100));
  EXPECT_EQ(wide.At(209, 0), RGB(198, 2, 100));
  EXPECT_EQ(wide.At(210, 0), kSentinel);
  // 50 bands of 1 px step 4.
  const Surface narrow(label, 50, 4, {0, 0, 50, 4});
  EXPECT_EQ(narrow.At(1, 0), RGB(4, 196, 100));
  EXPECT_EQ(narrow.At(25, 1), RGB(100, 100, 100));
  EXPECT_EQ(narrow.At(49, 3), RGB(196, 4, 100));

  label.SetBkColor(kBack);
  EXPECT_EQ(Surface(label, 50, 4, {0, 0, 50, 4}).At(49, 3), kBack);
  // The window itself shows it too (WM_PAINT through the off-screen copy).
  fw::WindowDc screen(host.Label());
  EXPECT_EQ(GetPixel(screen.Get(), 199, 39), kBack);
}

TEST(ColorLabel, TransparentLabelPaintsOnlyItsText) {
  CColorLabel label;
  LabelHost host(&label, SS_LEFT, "IIII");
  label.SetFont(CrispFont()).SetTextColor(kInk).SetTransparent(true);
  EXPECT_TRUE(host.Style(GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  const Surface surface(label, 200, 40);
  const RECT ink = surface.Box(kInk), touched = surface.Box(kSentinel, true);
  EXPECT_FALSE(IsRectEmpty(&ink));
  EXPECT_TRUE(EqualRect(&ink, &touched)) << "something besides the text was painted";

  label.SetTransparent(false);
  EXPECT_FALSE(host.Style(GWL_EXSTYLE) & WS_EX_TRANSPARENT);
  EXPECT_EQ(Surface(label, 200, 40).At(199, 39), GetSysColor(COLOR_BTNFACE));
}

TEST(ColorLabel, FlashingHidesTheTextInTheDarkPhaseEveryHalfSecond) {
  CColorLabel label;
  LabelHost host(&label, SS_LEFT, "Flash");
  label.SetFont(CrispFont()).SetTextColor(kInk).SetBkColor(kBack).Set3DText(true);
  label.FlashText(true);
  EXPECT_EQ(label.Flash(), CColorLabel::kFlashText);
  auto inkShown = [&] {
    const RECT other = Surface(label, 200, 40).Box(kBack, true);
    return !IsRectEmpty(&other);
  };
  const bool firstPhase = label.FlashPhase();
  EXPECT_EQ(inkShown(), !firstPhase);
  const DWORD start = GetTickCount();
  ASSERT_TRUE(testing_support::PumpUntil([&] { return label.FlashPhase() != firstPhase; }, 3000));
  EXPECT_GE(GetTickCount() - start, 300u);
  EXPECT_EQ(inkShown(), firstPhase);
  ASSERT_TRUE(testing_support::PumpUntil([&] { return label.FlashPhase() == firstPhase; }, 3000));
  EXPECT_EQ(inkShown(), !firstPhase);

  // Stopped in the dark phase: the text shows and the timer is gone.
  if (!label.FlashPhase()) SendMessageA(host.Label(), WM_TIMER, 1, 0);
  label.FlashText(false);
  EXPECT_EQ(label.Flash(), CColorLabel::kFlashNone);
  EXPECT_TRUE(inkShown());
  testing_support::PumpFor(700);
  EXPECT_TRUE(label.FlashPhase());
}

TEST(ColorLabel, FontRecordComesFromTheControlAndChangesOnlyWhatIsAsked) {
  LabelHost host(nullptr, SS_LEFT, "");
  const LOGFONTA ownRecord = CrispFont(-13);
  fw::Font own(CreateFontIndirectA(&ownRecord));
  SendMessageA(host.Label(), WM_SETFONT, reinterpret_cast<WPARAM>(own.Get()), FALSE);
  CColorLabel label;
  ASSERT_TRUE(label.Subclass(host.Label()));
  EXPECT_STREQ(label.FontRecord().lfFaceName, "Tahoma");
  EXPECT_EQ(label.FontRecord().lfHeight, -13);

  LOGFONTA record = CrispFont(-20);
  record.lfWeight = FW_BOLD;
  record.lfItalic = TRUE;
  label.SetFont(record).SetFontBold(false);
  EXPECT_STREQ(label.FontRecord().lfFaceName, "Tahoma");
  EXPECT_EQ(label.FontRecord().lfHeight, -20);
  EXPECT_EQ(label.FontRecord().lfWeight, FW_NORMAL);
  EXPECT_TRUE(label.FontRecord().lfItalic);

  label.SetFontSize(12).SetRotationAngle(90, true);
  fw::WindowDc screen(nullptr);
  EXPECT_EQ(label.FontRecord().lfHeight, -MulDiv(12, GetDeviceCaps(screen.Get(), LOGPIXELSY), 72));
  EXPECT_STREQ(label.FontRecord().lfFaceName, "Tahoma");
  EXPECT_EQ(label.FontRecord().lfEscapement, 900);
  EXPECT_EQ(label.FontRecord().lfOrientation, 900);
}

TEST(ColorLabel, TextFollowsTheStaticStyleAndThe3DCopyItsDirection) {
  auto box = [](DWORD style, COLORREF color, const std::function<void(CColorLabel&)>& setUp) {
    CColorLabel label;
    LabelHost host(&label, style, "Spruce label");
    label.SetFont(CrispFont()).SetTextColor(kInk).SetBkColor(kBack);
    setUp(label);
    return Surface(label, 200, 40).Box(color);
  };
  auto none = [](CColorLabel&) {};
  const RECT left = box(SS_LEFT, kInk, none), right = box(SS_RIGHT, kInk, none);
  EXPECT_LT(left.left, 5);
  EXPECT_GT(right.right, 195);
  const RECT middle = box(SS_CENTER | SS_CENTERIMAGE, kInk, none);
  EXPECT_NEAR((middle.left + middle.right) / 2, 100, 3);
  EXPECT_GT(middle.top, left.top + 5);

  const RECT raised = box(SS_LEFT, RGB(255, 255, 255), [](CColorLabel& l) { l.Set3DText(true, true); });
  const RECT sunken = box(SS_LEFT, RGB(255, 255, 255), [](CColorLabel& l) { l.Set3DText(true, false); });
  EXPECT_EQ(raised.left, left.left + 1);
  EXPECT_EQ(raised.top, left.top + 1);
  EXPECT_EQ(sunken.left, left.left - 1);
  EXPECT_EQ(sunken.top, left.top - 1);
}

// Records what a click would start instead of starting it.
class RecordingLabel : public CColorLabel {
 public:
  std::vector<std::pair<std::string, std::string>> launched;

 private:
  void Launch(const std::string& file, const std::string& parameters) override {
    launched.emplace_back(file, parameters);
  }
};

TEST(ColorLabel, ClickNotifiesTheParentOrOpensTheLink) {
  RecordingLabel label;
  LabelHost host(&label, SS_LEFT, "www.spruce.test");
  auto click = [&] { SendMessageA(host.Label(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3)); };
  label.SetLink(true, true);
  EXPECT_TRUE(host.Style(GWL_STYLE) & SS_NOTIFY);
  click();
  ASSERT_EQ(g_commands.size(), 1u);  // and no STN_CLICKED from the static itself
  EXPECT_EQ(g_commands[0].first, MAKEWPARAM(kLabelId, 0x8200));
  EXPECT_EQ(g_commands[0].second, reinterpret_cast<LPARAM>(host.Label()));
  EXPECT_TRUE(label.launched.empty());

  label.SetLink(true, false);
  click();  // no address: the label's text
  label.SetLinkURL("http://127.0.0.1/page");
  click();
  label.SetMailLink(true, false);
  label.SetText("help@spruce.test");
  click();
  label.SetMailLink(false, false);
  EXPECT_FALSE(host.Style(GWL_STYLE) & SS_NOTIFY);
  click();

  EXPECT_EQ(std::count_if(g_commands.begin(), g_commands.end(),
                          [](const auto& c) { return HIWORD(c.first) == 0x8200; }),
            1);
  const std::vector<std::pair<std::string, std::string>> expected = {
      {kBrowserPath, "www.spruce.test"},
      {kBrowserPath, "http://127.0.0.1/page"},
      {"mailto:help@spruce.test", ""}};
  EXPECT_EQ(label.launched, expected);
}

}  // namespace

#include "widgets/color_label.h"

#include <shellapi.h>

#include <cstring>

#include "framework/site.h"
#include "widgets/gradient_bands.h"

namespace {

constexpr UINT_PTR kFlashTimer = 1;
constexpr UINT kFlashPeriodMs = 500;

std::string WindowText(HWND hwnd) {
  if (!hwnd) return {};
  const int length = GetWindowTextLengthA(hwnd);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int got = GetWindowTextA(hwnd, &text[0], length + 1);
  text.resize(got > 0 ? static_cast<size_t>(got) : 0);
  return text;
}

// Sets or clears bits of GWL_STYLE or GWL_EXSTYLE. Frame styles only show
// once the non-client area is recomputed, hence frameChanged.
void ChangeStyle(HWND hwnd, int index, LONG_PTR bits, bool on, bool frameChanged) {
  if (!hwnd) return;
  const LONG_PTR style = GetWindowLongPtrA(hwnd, index);
  const LONG_PTR next = on ? (style | bits) : (style & ~bits);
  if (next == style) return;
  SetWindowLongPtrA(hwnd, index, next);
  if (frameChanged)
    SetWindowPos(hwnd, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

// DrawText flags that make the label lay out its text as the static
// control's own style asks.
UINT TextFormat(LONG_PTR style, const std::string& text) {
  UINT format;
  switch (style & SS_TYPEMASK) {
    case SS_CENTER: format = DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format = DT_RIGHT | DT_WORDBREAK; break;
    case SS_LEFTNOWORDWRAP: format = DT_LEFT; break;
    default: format = DT_LEFT | DT_WORDBREAK; break;
  }
  if (style & SS_CENTERIMAGE) {
    // DT_SINGLELINE would join the lines of a multi-line text into one.
    format = text.find("\r\n") == std::string::npos ? (DT_CENTER | DT_VCENTER | DT_SINGLELINE)
                                                    : DT_CENTER;
  }
  // A leading tab is left alone; any later one is expanded. Tab (0x09) is
  // never a CP949 trail byte, so a byte search is safe.
  if (text.size() > 1 && text.find('\t', 1) != std::string::npos) format |= DT_EXPANDTABS;
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  return format;
}

}  // namespace

CColorLabel::CColorLabel()
    : textColor_(GetSysColor(COLOR_WINDOWTEXT)),
      bkColor_(GetSysColor(COLOR_BTNFACE)),
      bkBrush_(CreateSolidBrush(bkColor_)) {}

CColorLabel::~CColorLabel() {
  // The timer belongs to the window, which may outlive this object.
  if (Hwnd()) KillTimer(Hwnd(), kFlashTimer);
}

void CColorLabel::OnSubclassed() {
  auto font = reinterpret_cast<HFONT>(SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
  // A static control without a font of its own draws with the system font.
  if (!font) font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  LOGFONTA record = {};
  if (GetObjectA(font, sizeof record, &record) == sizeof record) logFont_ = record;
  RebuildFont();
  // Settings made before the window was attached take effect now.
  if (transparent_) ChangeStyle(Hwnd(), GWL_EXSTYLE, WS_EX_TRANSPARENT, true, false);
  if (linkMode_ != kLinkNone) ChangeStyle(Hwnd(), GWL_STYLE, SS_NOTIFY, true, false);
  if (flashMode_ == kFlashText) SetTimer(Hwnd(), kFlashTimer, kFlashPeriodMs, nullptr);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CColorLabel::RebuildFont() { font_.Reset(CreateFontIndirectA(&logFont_)); }

void CColorLabel::Redraw() {
  HWND hwnd = Hwnd();
  if (!hwnd) return;
  RedrawWindow(hwnd, nullptr, nullptr, RDW_UPDATENOW | RDW_ERASE | RDW_INVALIDATE);
  HWND parent = GetParent(hwnd);
  if (!parent) return;
  // A transparent label shows whatever the parent paints behind it.
  RECT rect;
  GetWindowRect(hwnd, &rect);
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rect), 2);
  InvalidateRect(parent, &rect, TRUE);
  UpdateWindow(parent);
}

CColorLabel& CColorLabel::SetBkColor(COLORREF color, COLORREF gradientEnd, bool gradient) {
  bkColor_ = color;
  gradientEnd_ = gradientEnd;
  gradient_ = gradient;
  defaultBrush_ = false;
  bkBrush_.Reset(CreateSolidBrush(color));
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetTextColor(COLORREF color) {
  textColor_ = color;
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetText(const std::string& text) {
  if (Hwnd()) SetWindowTextA(Hwnd(), text.c_str());
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFontBold(bool bold) {
  logFont_.lfWeight = bold ? FW_BOLD : FW_NORMAL;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFontName(const std::string& face, BYTE charset) {
  // lfFaceName holds 31 characters and a terminator; longer names are cut.
  std::strncpy(logFont_.lfFaceName, face.c_str(), LF_FACESIZE - 1);
  logFont_.lfFaceName[LF_FACESIZE - 1] = '\0';
  logFont_.lfCharSet = charset;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFontUnderline(bool underline) {
  logFont_.lfUnderline = underline ? TRUE : FALSE;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFontItalic(bool italic) {
  logFont_.lfItalic = italic ? TRUE : FALSE;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFontSize(int points) {
  // As a point-size font is made: negative height = character height in
  // pixels of the screen.
  fw::WindowDc screen(nullptr);
  const int dpi = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 96;
  logFont_.lfHeight = -MulDiv(points, dpi, 72);
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetSunken(bool sunken) {
  ChangeStyle(Hwnd(), GWL_EXSTYLE, WS_EX_STATICEDGE, sunken, true);
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetBorder(bool border) {
  ChangeStyle(Hwnd(), GWL_STYLE, WS_BORDER, border, true);
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetTransparent(bool transparent) {
  transparent_ = transparent;
  // WS_EX_TRANSPARENT makes the parent and siblings paint first, so the
  // label can draw over them. An opaque label drops it again, or it would
  // keep being painted last and skipped by some hit tests.
  ChangeStyle(Hwnd(), GWL_EXSTYLE, WS_EX_TRANSPARENT, transparent, false);
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::FlashText(bool flash) {
  if (Hwnd()) KillTimer(Hwnd(), kFlashTimer);
  if (flash) {
    flashPhase_ = false;
    flashMode_ = kFlashText;
    if (Hwnd()) SetTimer(Hwnd(), kFlashTimer, kFlashPeriodMs, nullptr);
  } else {
    flashMode_ = kFlashNone;
  }
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetLink(bool link, bool notifyParent) {
  linkMode_ = link ? kLinkWeb : kLinkNone;
  notifyParent_ = notifyParent;
  // A static control without SS_NOTIFY is transparent to the mouse.
  ChangeStyle(Hwnd(), GWL_STYLE, SS_NOTIFY, link, false);
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetLinkCursor(HCURSOR cursor) {
  linkCursor_ = cursor;
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::Set3DText(bool on, bool raised) {
  text3D_ = on;
  raised_ = raised;
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetRotationAngle(int degrees, bool rotate) {
  logFont_.lfEscapement = degrees * 10;
  logFont_.lfOrientation = degrees * 10;
  rotate_ = rotate;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::Set3DTextColor(COLORREF color) {
  text3DColor_ = color;
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetFont(const LOGFONTA& font) {
  logFont_ = font;
  RebuildFont();
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetMailLink(bool link, bool notifyParent) {
  linkMode_ = link ? kLinkMail : kLinkNone;
  notifyParent_ = notifyParent;
  ChangeStyle(Hwnd(), GWL_STYLE, SS_NOTIFY, link, false);
  Redraw();
  return *this;
}

CColorLabel& CColorLabel::SetLinkURL(const std::string& url) {
  url_ = url;
  Redraw();
  return *this;
}

void CColorLabel::PaintTo(HDC dc, const RECT& rect) {
  fw::DcState state(dc);
  if (!transparent_) PaintBackground(dc, rect);
  PaintText(dc, rect);
}

void CColorLabel::PaintBackground(HDC dc, const RECT& rect) {
  if (!gradient_) {
    FillRect(dc, &rect, bkBrush_.Get());
    return;
  }
  const int width = rect.right - rect.left;
  const int n = GradientBandCount(width);
  for (int i = 0; i < n; ++i) {
    const GradientBand band =
        GradientBandAt(i, n, width, GetRValue(bkColor_), GetGValue(bkColor_), GetBValue(bkColor_),
                       GetRValue(gradientEnd_), GetGValue(gradientEnd_), GetBValue(gradientEnd_));
    const RECT area = {rect.left + band.left, rect.top, rect.left + band.right, rect.bottom};
    fw::Brush brush(CreateSolidBrush(RGB(band.red, band.green, band.blue)));
    if (brush) FillRect(dc, &area, brush.Get());
  }
}

void CColorLabel::PaintText(HDC dc, const RECT& rect) {
  const std::string text = WindowText(Hwnd());
  if (text.empty()) return;
  // In the dark phase of a flash the text (and its 3-D copy) takes the
  // background colour and so disappears.
  const bool dark = flashMode_ == kFlashText && flashPhase_;
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, dark ? bkColor_ : textColor_);
  if (font_) SelectObject(dc, font_.Get());

  if (rotate_) {
    SetTextAlign(dc, TA_LEFT | TA_BASELINE);
    TextOutA(dc, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2, text.c_str(),
             static_cast<int>(text.size()));
    return;
  }

  const UINT format = TextFormat(GetWindowLongPtrA(Hwnd(), GWL_STYLE), text);
  RECT area = rect;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  if (text3D_) {
    ::SetTextColor(dc, dark ? bkColor_ : text3DColor_);
    area = rect;
    const int offset = raised_ ? 1 : -1;
    OffsetRect(&area, offset, offset);
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &area, format);
  }
}

void CColorLabel::OnPaint() {
  HWND hwnd = Hwnd();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(hwnd, &client);
  if (transparent_ || client.right <= 0 || client.bottom <= 0) {
    PaintTo(dc, client);
  } else {
    // Off-screen first, so the background and the text reach the screen
    // together and the label does not flicker.
    fw::Bitmap bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    fw::MemoryDc memory(dc);
    if (bitmap && memory) {
      fw::SelectScope select(memory.Get(), bitmap.Get());
      PaintTo(memory.Get(), client);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
    } else {
      PaintTo(dc, client);
    }
  }
  EndPaint(hwnd, &ps);
}

bool CColorLabel::OnClick() {
  HWND hwnd = Hwnd();
  if (notifyParent_) {
    HWND parent = GetParent(hwnd);
    if (parent)
      SendMessageA(parent, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(hwnd), kClickNotification),
                   reinterpret_cast<LPARAM>(hwnd));
    return true;
  }
  if (linkMode_ == kLinkWeb)
    Launch(kBrowserPath, url_.empty() ? WindowText(hwnd) : url_);
  else if (linkMode_ == kLinkMail)
    Launch("mailto:" + WindowText(hwnd), std::string());
  return false;
}

void CColorLabel::Launch(const std::string& file, const std::string& parameters) {
  // A link that cannot be opened (no browser, no mail program) simply does
  // nothing; the label has no way to report it and the user sees no change.
  ShellExecuteA(nullptr, "open", file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                nullptr, SW_SHOWNORMAL);
}

LRESULT CColorLabel::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // painting covers the whole client area
    case WM_TIMER:
      if (wp != kFlashTimer) break;
      flashPhase_ = !flashPhase_;
      Redraw();
      return 0;
    case WM_LBUTTONDOWN:
      // The parent may destroy the label (and this object) while it handles
      // the notification: touch nothing afterwards.
      if (OnClick()) return 0;
      break;
    case WM_SETCURSOR:
      if (!linkCursor_) break;
      SetCursor(linkCursor_);
      return TRUE;
    case WM_SYSCOLORCHANGE:
      if (defaultBrush_) {
        bkColor_ = GetSysColor(COLOR_BTNFACE);
        bkBrush_.Reset(CreateSolidBrush(bkColor_));
      }
      break;
    case WM_SETTEXT:
    case WM_ENABLE: {
      // The static control paints its own text straight onto the screen
      // for these; paint ours over it.
      const LRESULT result = DefaultProc(msg, wp, lp);
      Redraw();
      return result;
    }
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

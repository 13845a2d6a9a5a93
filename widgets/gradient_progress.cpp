#include "widgets/gradient_progress.h"

#include <commctrl.h>

#include <string>

#include "framework/raii.h"
#include "widgets/gradient_bands.h"

namespace {

GradientColor ToGradientColor(COLORREF color) {
  return {GetRValue(color), GetGValue(color), GetBValue(color)};
}

// Fills rect with one colour without making a brush: an opaque, empty text
// output paints its rectangle in the background colour. The bar fills up to
// 255 bands per paint, so this saves as many brushes.
void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
  SetBkColor(dc, color);
  ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, "", 0, nullptr);
}

}  // namespace

CGradientProgress::CGradientProgress() : background_(GetSysColor(COLOR_BTNFACE)) {}

void CGradientProgress::SetRange(int lower, int upper) {
  if (Hwnd()) {
    SendMessageA(Hwnd(), PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
    return;
  }
  lower_ = lower;
  upper_ = upper;
  position_ = lower;
}

void CGradientProgress::SetPos(int position) {
  if (Hwnd()) {
    SendMessageA(Hwnd(), PBM_SETPOS, static_cast<WPARAM>(position), 0);
    return;
  }
  position_ = position;
}

int CGradientProgress::GetPos() const {
  if (Hwnd()) return static_cast<int>(SendMessageA(Hwnd(), PBM_GETPOS, 0, 0));
  return position_;
}

void CGradientProgress::SetStartColor(COLORREF color) {
  start_ = color;
  Repaint();
}

void CGradientProgress::SetEndColor(COLORREF color) {
  end_ = color;
  Repaint();
}

void CGradientProgress::SetBkColor(COLORREF color) {
  background_ = color;
  Repaint();
}

void CGradientProgress::SetTextColor(COLORREF color) {
  textColor_ = color;
  Repaint();
}

void CGradientProgress::ShowPercent(bool show) {
  showPercent_ = show;
  Repaint();
}

void CGradientProgress::Repaint() {
  if (Hwnd()) InvalidateRect(Hwnd(), nullptr, FALSE);
}

HFONT CGradientProgress::TextFont() const {
  auto font = reinterpret_cast<HFONT>(SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
  // A control that was never given a font writes in its dialog's font.
  HWND parent = Hwnd() ? GetParent(Hwnd()) : nullptr;
  if (!font && parent) font = reinterpret_cast<HFONT>(SendMessageA(parent, WM_GETFONT, 0, 0));
  if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  return font;
}

void CGradientProgress::PaintTo(HDC dc, const RECT& client) {
  fw::DcState state(dc);
  const bool vertical = Hwnd() && (GetWindowLongPtrA(Hwnd(), GWL_STYLE) & PBS_VERTICAL);
  const int length = vertical ? client.bottom - client.top : client.right - client.left;
  const ProgressPaint paint = LayOutProgress(position_, lower_, upper_, length,
                                             ToGradientColor(start_), ToGradientColor(end_));
  if (paint.empty) {
    FillSolid(dc, client, GetSysColor(COLOR_BTNFACE));
    return;
  }

  // Offsets along the bar become a rectangle across its whole thickness,
  // kept inside the client area (the last band's extra pixel may pass it).
  auto area = [&](int from, int to) {
    RECT r = vertical ? RECT{client.left, client.top + from, client.right, client.top + to}
                      : RECT{client.left + from, client.top, client.left + to, client.bottom};
    IntersectRect(&r, &r, &client);
    return r;
  };
  for (const GradientBand& band : paint.bands)
    FillSolid(dc, area(band.left, band.right), RGB(band.red, band.green, band.blue));
  if (paint.backgroundFrom < length) FillSolid(dc, area(paint.backgroundFrom, length), background_);

  if (!showPercent_) return;
  const std::string text = ProgressPercentText(position_, lower_, upper_);
  SetBkMode(dc, TRANSPARENT);
  ::SetTextColor(dc, textColor_);
  SelectObject(dc, TextFont());
  RECT box = client;
  DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &box,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
}

void CGradientProgress::OnPaint() {
  HWND hwnd = Hwnd();
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  if (!dc) return;
  RECT client;
  GetClientRect(hwnd, &client);
  // The whole bar is drawn off-screen and reaches the screen in one copy,
  // so the text never flickers over the gradient.
  fw::Bitmap bitmap(client.right > 0 && client.bottom > 0
                        ? CreateCompatibleBitmap(dc, client.right, client.bottom)
                        : nullptr);
  fw::MemoryDc memory(dc);
  if (bitmap && memory) {
    fw::SelectScope select(memory.Get(), bitmap.Get());
    PaintTo(memory.Get(), client);
    BitBlt(dc, 0, 0, client.right, client.bottom, memory.Get(), 0, 0, SRCCOPY);
  } else {
    // Out of GDI memory: straight onto the screen, flicker and all.
    PaintTo(dc, client);
  }
  EndPaint(hwnd, &ps);
}

LRESULT CGradientProgress::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_ERASEBKGND:
      return TRUE;  // painting covers the whole client area

    // The range and position live here. The underlying control is told too
    // (its own range may be only 16 bits wide), but only these values are
    // painted and answered.
    case PBM_SETRANGE:
    case PBM_SETRANGE32: {
      const LRESULT previous = MAKELONG(LOWORD(lower_), LOWORD(upper_));
      if (msg == PBM_SETRANGE) {
        lower_ = LOWORD(lp);
        upper_ = HIWORD(lp);
      } else {
        lower_ = static_cast<int>(wp);
        upper_ = static_cast<int>(lp);
      }
      position_ = lower_;
      DefaultProc(msg, wp, lp);
      DefaultProc(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
      Repaint();
      return previous;
    }
    case PBM_GETRANGE: {
      if (auto* range = reinterpret_cast<PBRANGE*>(lp)) {
        range->iLow = lower_;
        range->iHigh = upper_;
      }
      return wp ? lower_ : upper_;
    }
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT: {
      const int previous = position_;
      if (msg == PBM_SETPOS) position_ = static_cast<int>(wp);
      if (msg == PBM_DELTAPOS) position_ += static_cast<int>(wp);
      if (msg == PBM_STEPIT) {
        position_ += step_;
        // A step past the end starts over from the beginning, as the
        // standard control does.
        if (position_ > upper_ && upper_ > lower_)
          position_ = lower_ + static_cast<int>((static_cast<int64_t>(position_) - lower_) %
                                                (static_cast<int64_t>(upper_) - lower_));
      }
      DefaultProc(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
      if (position_ != previous) Repaint();
      return previous;
    }
    case PBM_GETPOS:
      return position_;
    case PBM_SETSTEP: {
      const int previous = step_;
      step_ = static_cast<int>(wp);
      DefaultProc(msg, wp, lp);
      return previous;
    }
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

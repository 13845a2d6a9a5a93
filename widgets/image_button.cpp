#include "widgets/image_button.h"

#include <cstring>
#include <vector>

#include "framework/mouse_tracking.h"
#include "widgets/image_pixels.h"

namespace {

// A colour as a 32-bit DIB stores it (0x00RRGGBB).
uint32_t DibColour(COLORREF c) {
  return static_cast<uint32_t>(GetRValue(c)) << 16 | static_cast<uint32_t>(GetGValue(c)) << 8 |
         GetBValue(c);
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

bool BitmapSize(HBITMAP bitmap, SIZE* size) {
  BITMAP info = {};
  if (!bitmap || GetObjectType(bitmap) != OBJ_BITMAP || !GetObjectA(bitmap, sizeof info, &info) ||
      info.bmWidth <= 0 || info.bmHeight <= 0)
    return false;
  *size = {info.bmWidth, info.bmHeight};
  return true;
}

// The bitmap's pixels, top row first.
bool ReadPixels(HBITMAP bitmap, SIZE size, std::vector<uint32_t>* pixels) {
  pixels->assign(static_cast<size_t>(size.cx) * static_cast<size_t>(size.cy), 0);
  BITMAPINFO info = TopDown32(size.cx, size.cy);
  fw::WindowDc screen(nullptr);
  return screen.Get() && GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(size.cy),
                                   pixels->data(), &info, DIB_RGB_COLORS) == size.cy;
}

// A 32-bit bitmap holding pixels.
HBITMAP MakeBitmap(const std::vector<uint32_t>& pixels, SIZE size) {
  BITMAPINFO info = TopDown32(size.cx, size.cy);
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap && bits) std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  return bitmap;
}

// Where the system cannot track the mouse (Windows 95), a timer notices the
// mouse leaving.
constexpr UINT_PTR kLeaveTimer = 0x1B17;
constexpr UINT kLeaveInterval = 100;

// Ternary raster operation "PSDPxax": the brush where the (monochrome)
// source is black, the destination where it is white.
constexpr DWORD kBrushThroughBlack = 0x00B8074A;

}  // namespace

const HBITMAP CImageButton::kGreyOfIn = reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(-2));
const HBITMAP CImageButton::kDarkerOfIn = reinterpret_cast<HBITMAP>(static_cast<INT_PTR>(-3));

CImageButton::CImageButton() {
  for (int slot = 0; slot < kColourSlots; slot += 2) {
    colours_[slot] = GetSysColor(COLOR_BTNFACE);
    colours_[slot + 1] = GetSysColor(COLOR_BTNTEXT);
  }
}

CImageButton::~CImageButton() = default;

void CImageButton::OnSubclassed() {
  // The button draws itself; the dialog hands WM_DRAWITEM on to it.
  const LONG_PTR style = GetWindowLongPtrA(Hwnd(), GWL_STYLE);
  SetWindowLongPtrA(Hwnd(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW);
  InvalidateRect(Hwnd(), nullptr, TRUE);
}

int CImageButton::SetBitmaps(HBITMAP in, COLORREF inTransparent, HBITMAP out,
                             COLORREF outTransparent) {
  const bool variant = out == kGreyOfIn || out == kDarkerOfIn;
  fw::Bitmap ownedIn(in), ownedOut(variant ? nullptr : out);
  in_ = Picture();
  out_ = Picture();

  SIZE inSize, outSize = {0, 0};
  if (!BitmapSize(in, &inSize) || (ownedOut && !BitmapSize(out, &outSize))) {
    Repaint(true);
    return kNoBitmapSize;
  }

  // Makes a picture from shown, transparent where shape has the transparent
  // colour: the mask, and the pixels blacked out there for drawing with it.
  auto make = [](std::vector<uint32_t> shown, const std::vector<uint32_t>& shape, SIZE size,
                 uint32_t transparent, Picture* picture) {
    const std::vector<uint8_t> bits = image::MaskBits(shape, size.cx, size.cy, transparent);
    if (bits.empty()) return false;
    for (size_t i = 0; i < shown.size(); ++i)
      if (image::SameColour(shape[i], transparent)) shown[i] = 0;
    picture->mask.Reset(CreateBitmap(size.cx, size.cy, 1, 1, bits.data()));
    picture->colour.Reset(MakeBitmap(shown, size));
    picture->size = size;
    return picture->mask && picture->colour;
  };

  std::vector<uint32_t> inPixels, outPixels;
  Picture newIn, newOut;
  const uint32_t inKey = DibColour(inTransparent);
  bool made = ReadPixels(in, inSize, &inPixels) && make(inPixels, inPixels, inSize, inKey, &newIn);
  if (made && variant) {
    // The variant keeps the "in" picture's transparent pixels and shape.
    outPixels = inPixels;
    for (uint32_t& p : outPixels)
      if (!image::SameColour(p, inKey))
        p = out == kGreyOfIn ? image::GreyPixel(p) : image::DarkerPixel(p);
    made = make(outPixels, inPixels, inSize, inKey, &newOut);
  } else if (made && ownedOut) {
    const uint32_t outKey = DibColour(outTransparent);
    made = ReadPixels(out, outSize, &outPixels) &&
           make(outPixels, outPixels, outSize, outKey, &newOut);
  }
  if (!made) {
    Repaint(true);
    return kNoMask;
  }
  in_ = std::move(newIn);
  out_ = std::move(newOut);
  Repaint(true);
  return kOk;
}

void CImageButton::SizeToContent() {
  if (!Hwnd() || !in_.colour) return;
  SetWindowPos(Hwnd(), nullptr, 0, 0, in_.size.cx, in_.size.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CImageButton::DrawBorder(bool border, bool repaint) {
  border_ = border;
  Repaint(repaint);
}

int CImageButton::SetPressedStyle(int style, bool repaint) {
  switch (style) {
    case kPressedDiagonal: pressedOffset_ = {1, 1}; break;
    case kPressedDown: pressedOffset_ = {0, 2}; break;
    case kPressedNone: pressedOffset_ = {0, 0}; break;
    default: return kInvalidStyle;
  }
  Repaint(repaint);
  return kOk;
}

void CImageButton::SetColour(ColourSlot slot, COLORREF colour, bool repaint) {
  if (slot < 0 || slot >= kColourSlots) return;
  colours_[slot] = colour;
  Repaint(repaint);
}

void CImageButton::SetAlignment(Alignment alignment, bool repaint) {
  alignment_ = alignment;
  Repaint(repaint);
}

void CImageButton::SetFlat(bool flat, bool repaint) {
  flat_ = flat;
  Repaint(repaint);
}

void CImageButton::DrawFlatFocus(bool draw, bool repaint) {
  flatFocus_ = draw;
  Repaint(repaint);
}

void CImageButton::Repaint(bool repaint) {
  if (repaint && Hwnd()) InvalidateRect(Hwnd(), nullptr, TRUE);
}

void CImageButton::DrawPicture(HDC dc, const Picture& picture, int x, int y, bool disabled) {
  fw::MemoryDc source(dc);
  if (!source) return;
  fw::SelectScope mask(source.Get(), picture.mask.Get());
  const SIZE size = picture.size;
  // Monochrome to colour: mask white (transparent) keeps the background.
  SetBkColor(dc, RGB(255, 255, 255));
  SetTextColor(dc, RGB(0, 0, 0));
  if (disabled) {
    // Embossed: the picture's shape in the highlight colour one pixel down
    // and right, and in the shadow colour over it.
    const struct {
      int offset;
      int colour;
    } layers[] = {{1, COLOR_BTNHIGHLIGHT}, {0, COLOR_BTNSHADOW}};
    for (const auto& layer : layers) {
      fw::Brush brush(CreateSolidBrush(GetSysColor(layer.colour)));
      fw::SelectScope select(dc, brush.Get());
      BitBlt(dc, x + layer.offset, y + layer.offset, size.cx, size.cy, source.Get(), 0, 0,
             kBrushThroughBlack);
    }
    return;
  }
  // Black out the opaque pixels, then lay the picture (black where
  // transparent) over them.
  BitBlt(dc, x, y, size.cx, size.cy, source.Get(), 0, 0, SRCAND);
  fw::SelectScope colour(source.Get(), picture.colour.Get());
  BitBlt(dc, x, y, size.cx, size.cy, source.Get(), 0, 0, SRCPAINT);
}

void CImageButton::DrawTo(HDC dc, const RECT& rect, bool pressed, bool focused, bool disabled,
                          bool hovering) {
  fw::DcState state(dc);
  const int slot = (hovering || pressed) ? kBackgroundHover
                   : focused             ? kBackgroundFocus
                                         : kBackgroundNormal;
  fw::Brush background(CreateSolidBrush(colours_[slot]));
  FillRect(dc, &rect, background.Get());

  RECT frame = rect;
  if (!flat_) {
    DrawEdge(dc, &frame, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  } else if (border_ && pressed) {
    DrawEdge(dc, &frame, BDR_SUNKENOUTER, BF_RECT);
  } else if (border_ && hovering) {
    DrawEdge(dc, &frame, BDR_RAISEDINNER, BF_RECT);
  }

  char buffer[256] = {};
  const int length = Hwnd() ? GetWindowTextA(Hwnd(), buffer, sizeof buffer) : 0;
  RECT text = rect;
  if (in_.colour) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    const SIZE size = in_.size;
    int x = rect.left + (width - size.cx) / 2, y = rect.top + (height - size.cy) / 2;
    if (length > 0) {
      switch (alignment_) {
        case kPictureLeft:
          x = rect.left;
          text.left = x + size.cx;
          break;
        case kPictureRight:
          x = rect.right - size.cx;
          text.right = x;
          break;
        case kPictureAbove:
          y = rect.top;
          text.top = y + size.cy;
          break;
      }
    }
    if (pressed) {
      x += pressedOffset_.x;
      y += pressedOffset_.y;
    }
    const bool showOut = hovering && out_.colour && !disabled;
    DrawPicture(dc, showOut ? out_ : in_, x, y, disabled);
  }

  // A text squeezed out by the picture (a button sized to it) is not drawn.
  if (length > 0 && text.right > text.left && text.bottom > text.top) {
    const auto font = reinterpret_cast<HFONT>(SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
    if (font) SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, disabled ? GetSysColor(COLOR_GRAYTEXT) : colours_[slot + 1]);
    DrawTextA(dc, buffer, length, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }

  if (focused && (!flat_ || flatFocus_)) {
    RECT focus = rect;
    InflateRect(&focus, -3, -3);
    DrawFocusRect(dc, &focus);
  }
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
  const RECT& r = item.rcItem;
  const int width = r.right - r.left, height = r.bottom - r.top;
  const bool pressed = (item.itemState & ODS_SELECTED) != 0;
  const bool focused = (item.itemState & ODS_FOCUS) != 0;
  const bool disabled = (item.itemState & ODS_DISABLED) != 0;
  // Off-screen first, so the button does not flicker.
  fw::MemoryDc memory(item.hDC);
  fw::Bitmap bitmap(CreateCompatibleBitmap(item.hDC, width, height));
  if (!memory || !bitmap) {
    DrawTo(item.hDC, r, pressed, focused, disabled, hovering_);
    return;
  }
  fw::SelectScope select(memory.Get(), bitmap.Get());
  const RECT local = {0, 0, width, height};
  DrawTo(memory.Get(), local, pressed, focused, disabled, hovering_);
  BitBlt(item.hDC, r.left, r.top, width, height, memory.Get(), 0, 0, SRCCOPY);
}

void CImageButton::TrackLeave() {
  TRACKMOUSEEVENT request = {};
  request.cbSize = sizeof request;
  request.dwFlags = TME_LEAVE;
  request.hwndTrack = Hwnd();
  tracking_ = fw::TrackMouse(request) ||
              SetTimer(Hwnd(), kLeaveTimer, kLeaveInterval, nullptr) != 0;
}

LRESULT CImageButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case fw::kReflectBase + WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (!item) return FALSE;
      DrawItem(*item);
      return TRUE;
    }
    case WM_ERASEBKGND:
      return TRUE;  // drawing covers the whole button
    case BM_SETSTYLE:
      // The dialog manager sets the default-button style on buttons that
      // take the focus; that must not turn this one back into a plain button.
      wp = (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW;
      break;
    case WM_LBUTTONDBLCLK:
      // An owner-drawn button turns a second quick click into a double-click
      // notification; a user means a second press.
      msg = WM_LBUTTONDOWN;
      break;
    case WM_MOUSEMOVE:
      if (!tracking_) TrackLeave();
      if (!hovering_) {
        hovering_ = true;
        InvalidateRect(Hwnd(), nullptr, FALSE);
      }
      break;
    case WM_TIMER: {
      if (wp != kLeaveTimer) break;
      POINT cursor;
      if (GetCursorPos(&cursor) && WindowFromPoint(cursor) == Hwnd()) return 0;
      KillTimer(Hwnd(), kLeaveTimer);
      return WindowProc(WM_MOUSELEAVE, 0, 0);
    }
    case WM_MOUSELEAVE:
      hovering_ = false;
      tracking_ = false;
      InvalidateRect(Hwnd(), nullptr, FALSE);
      return 0;
    default:
      break;
  }
  return DefaultProc(msg, wp, lp);
}

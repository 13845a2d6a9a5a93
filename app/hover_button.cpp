#include "app/hover_button.h"

#include <commctrl.h>

#include "framework/mouse_tracking.h"

bool CHoverButton::SetBitmap(UINT resourceId) {
  auto bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr),
                                                MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0,
                                                LR_LOADMAP3DCOLORS));
  if (!bitmap) return false;
  BITMAP info = {};
  if (!GetObjectA(bitmap, sizeof info, &info)) {
    DeleteObject(bitmap);
    return false;
  }
  bitmap_.Reset(bitmap);
  frame_ = {info.bmWidth / 2, info.bmHeight};
  if (Hwnd()) {
    SetWindowPos(Hwnd(), nullptr, 0, 0, frame_.cx, frame_.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Hwnd(), nullptr, TRUE);
  }
  return true;
}

void CHoverButton::OnSubclassed() {
  // A bitmap set before the window was attached still decides its size.
  if (bitmap_)
    SetWindowPos(Hwnd(), nullptr, 0, 0, frame_.cx, frame_.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CHoverButton::DrawTo(HDC dc, const RECT& client, bool pressed) {
  if (!bitmap_) return;
  fw::MemoryDc source(dc);
  if (!source) return;
  fw::SelectScope select(source.Get(), bitmap_.Get());
  const int x = client.left, y = client.top;
  const int lit = frame_.cx;  // the lit frame is the right half
  if (pressed) {
    BitBlt(dc, x, y, frame_.cx, frame_.cy, source.Get(), lit, 0, SRCCOPY);
  } else if (hovering_) {
    if (!noFill) FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    BitBlt(dc, x + 1, y, frame_.cx, frame_.cy, source.Get(), lit, 0, SRCCOPY);
  } else {
    BitBlt(dc, x, y, frame_.cx, frame_.cy, source.Get(), highlight ? lit : 0, 0, SRCCOPY);
  }
}

void CHoverButton::TrackMouse() {
  TRACKMOUSEEVENT track = {};
  track.cbSize = sizeof track;
  track.dwFlags = TME_HOVER | TME_LEAVE;
  track.hwndTrack = Hwnd();
  track.dwHoverTime = 1;
  // Without tracking (Windows 95 before Internet Explorer 3) the button
  // simply never lights up.
  tracking_ = fw::TrackMouse(track);
}

LRESULT CHoverButton::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case fw::kReflectBase + WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
      if (!item) return FALSE;
      DrawTo(item->hDC, item->rcItem, (item->itemState & ODS_SELECTED) != 0);
      return TRUE;
    }
    case WM_MOUSEMOVE:
      // Hover tracking ends with the first WM_MOUSEHOVER, leave tracking
      // with WM_MOUSELEAVE; asking again on every move would only repeat
      // the hover message and repaint the button for nothing.
      if (!tracking_) TrackMouse();
      break;
    case WM_MOUSEHOVER:
      if (!hovering_) {
        hovering_ = true;
        InvalidateRect(Hwnd(), nullptr, FALSE);
      }
      return 0;
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

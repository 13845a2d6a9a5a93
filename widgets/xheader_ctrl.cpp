#include "widgets/xheader_ctrl.h"

#include <commctrl.h>

#include "framework/raii.h"

namespace {

// Room between an item's edge and its caption, as the standard header leaves.
constexpr int kCaptionInset = 6;

void FillWithSysColor(HDC dc, const RECT& rect, int index) {
  FillRect(dc, &rect, GetSysColorBrush(index));
}

// One-pixel lines: highlight at the top and left, shadow at the bottom and right.
void DrawItemEdge(HDC dc, const RECT& r) {
  RECT top = {r.left, r.top, r.right, r.top + 1};
  RECT left = {r.left, r.top, r.left + 1, r.bottom};
  RECT bottom = {r.left, r.bottom - 1, r.right, r.bottom};
  RECT right = {r.right - 1, r.top, r.right, r.bottom};
  FillWithSysColor(dc, top, COLOR_BTNHIGHLIGHT);
  FillWithSysColor(dc, left, COLOR_BTNHIGHLIGHT);
  FillWithSysColor(dc, bottom, COLOR_BTNSHADOW);
  FillWithSysColor(dc, right, COLOR_BTNSHADOW);
}

}  // namespace

LRESULT CXHeaderCtrl::WindowProc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(Hwnd(), &ps);
      if (dc) PaintTo(dc);
      EndPaint(Hwnd(), &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      PaintTo(reinterpret_cast<HDC>(wp));
      return 0;
    case WM_ERASEBKGND:
      return 1;  // PaintTo covers every pixel
  }
  return DefaultProc(msg, wp, lp);
}

void CXHeaderCtrl::PaintTo(HDC dc) {
  fw::DcState state(dc);
  RECT client;
  GetClientRect(Hwnd(), &client);
  FillWithSysColor(dc, client, COLOR_BTNFACE);
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(Hwnd(), WM_GETFONT, 0, 0));
  SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const int count = static_cast<int>(SendMessageA(Hwnd(), HDM_GETITEMCOUNT, 0, 0));
  int right = client.left;
  for (int i = 0; i < count; ++i) {
    RECT item;
    if (!SendMessageA(Hwnd(), HDM_GETITEMRECT, i, reinterpret_cast<LPARAM>(&item))) continue;
    PaintItem(dc, i, item);
    if (item.right > right) right = item.right;
  }
  // The free space right of the last column: plain face with its lines.
  if (right < client.right) DrawItemEdge(dc, {right, client.top, client.right + 1, client.bottom});
}

void CXHeaderCtrl::PaintItem(HDC dc, int index, const RECT& rect) {
  DrawItemEdge(dc, rect);
  char caption[256] = {};
  HDITEMA item = {};
  item.mask = HDI_TEXT | HDI_FORMAT;
  item.pszText = caption;
  item.cchTextMax = sizeof caption;
  if (!SendMessageA(Hwnd(), HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item))) return;
  UINT align = DT_LEFT;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
  if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
  RECT text = {rect.left + kCaptionInset, rect.top, rect.right - kCaptionInset, rect.bottom};
  if (text.right > text.left)
    DrawTextA(dc, caption, -1, &text,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
}

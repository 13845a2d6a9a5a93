#include "framework/font.h"

namespace fw {

Font MakeFontCopy(HWND window, LONG weight) {
  HFONT current = reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
  if (!current) current = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  LOGFONTA lf = {};
  if (!GetObjectA(current, sizeof lf, &lf)) return Font();
  lf.lfWeight = weight;
  return Font(CreateFontIndirectA(&lf));
}

Font SetBoldCaption(HWND dialog, int controlId) {
  Font bold = MakeFontCopy(dialog, FW_BOLD);
  if (bold) SendDlgItemMessageA(dialog, controlId, WM_SETFONT, reinterpret_cast<WPARAM>(bold.Get()), TRUE);
  return bold;
}

}  // namespace fw

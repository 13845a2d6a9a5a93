// CXHeaderCtrl: the header of a CCellListCtrl, painted by hand in the
// system's button colours (button-face background, a highlight line at the
// top and left of every item, a shadow line at its bottom and right, captions
// in the header's font and button-text colour) so that it looks like the
// standard header while every pixel of the list is the control's own.
// UI thread only.
#pragma once
#include <windows.h>

#include "framework/subclass.h"

class CXHeaderCtrl : public fw::SubclassedWindow {
 public:
  // Paints the whole header into dc (what WM_PAINT and WM_PRINTCLIENT do).
  void PaintTo(HDC dc);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void PaintItem(HDC dc, int index, const RECT& rect);
};

// CGradientProgress: a progress bar (msctls_progress32) that paints itself.
// The filled part is a colour gradient laid over the full length of the bar,
// from the start colour at the near end to the end colour at the far end, so
// a half-full bar shows the first half of it; the rest of the bar is the
// background colour, and an optional percentage text sits in the middle.
//
// The bar keeps its own 32-bit bounds and position and paints from them, so
// ranges beyond the 16 bits of the oldest progress controls paint correctly.
// Range and position messages sent to the window (PBM_SETRANGE, PBM_SETPOS,
// PBM_GETPOS, ...) read and change those same values.
#pragma once
#include <windows.h>

#include "framework/subclass.h"

class CGradientProgress : public fw::SubclassedWindow {
 public:
  CGradientProgress();

  // Stores both bounds and puts the position on the lower bound. Like
  // SetPos, callable from any thread: once the window is attached both go
  // through its messages, so the values change on the window's own thread.
  void SetRange(int lower, int upper);
  // Stores the position as it is, without clamping: a position outside
  // (lower, upper] paints an empty bar.
  void SetPos(int position);
  int GetPos() const;
  int GetLower() const { return lower_; }
  int GetUpper() const { return upper_; }

  // The colours and the text settings; UI thread only. Each change
  // repaints the bar when the window is attached.
  void SetStartColor(COLORREF color);
  void SetEndColor(COLORREF color);
  void SetBkColor(COLORREF color);
  void SetTextColor(COLORREF color);
  void ShowPercent(bool show);
  COLORREF GetStartColor() const { return start_; }
  COLORREF GetEndColor() const { return end_; }
  COLORREF GetBkColor() const { return background_; }
  COLORREF GetTextColor() const { return textColor_; }
  bool IsPercentShown() const { return showPercent_; }

  // Paints the bar into dc over client (what WM_PAINT does, minus the
  // off-screen buffer); exposed so rendering can be checked on a memory DC.
  void PaintTo(HDC dc, const RECT& client);

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void Repaint();
  void OnPaint();
  HFONT TextFont() const;

  int lower_ = 0;
  int upper_ = 100;
  int step_ = 10;
  int position_ = 0;
  COLORREF start_ = RGB(255, 0, 0);
  COLORREF end_ = RGB(0, 0, 255);
  COLORREF background_;
  COLORREF textColor_ = RGB(255, 255, 255);
  bool showPercent_ = false;
};

// Test support for painted controls: what a window shows, printed
// (WM_PRINTCLIENT, which runs the same painting and custom draw as the
// screen) onto a 32-bit DIB whose pixels the tests read back, and a font
// whose text pixels are exact.
#pragma once
#include <windows.h>

#include <functional>

#include "framework/raii.h"

namespace testing_support {

class WindowPrintout {
 public:
  explicit WindowPrintout(HWND window);
  ~WindowPrintout();
  WindowPrintout(const WindowPrintout&) = delete;
  WindowPrintout& operator=(const WindowPrintout&) = delete;

  COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }
  // How many pixels inside rect (cut to the printout) satisfy test.
  int Count(const RECT& rect, const std::function<bool(COLORREF)>& test) const;
  int CountOf(const RECT& rect, COLORREF color) const {
    return Count(rect, [color](COLORREF c) { return c == color; });
  }

 private:
  int width_ = 0, height_ = 0;
  fw::MemoryDc dc_{nullptr};
  fw::Bitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

// A Tahoma font of the given height without smoothing, so that every text
// pixel is exactly the text colour.
fw::Font CrispFont(int height);

}  // namespace testing_support

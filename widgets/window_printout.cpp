#include "widgets/window_printout.h"

#include <algorithm>
#include <cstring>

namespace testing_support {

WindowPrintout::WindowPrintout(HWND window) {
  RECT client;
  GetClientRect(window, &client);
  width_ = client.right;
  height_ = client.bottom;
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width_, -height_, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  bitmap_.Reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  old_ = SelectObject(dc_.Get(), bitmap_.Get());
  // A colour no control paints, so unpainted pixels stand out.
  fw::Brush sentinel(CreateSolidBrush(RGB(1, 2, 3)));
  FillRect(dc_.Get(), &client, sentinel.Get());
  SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_.Get()),
               PRF_CLIENT | PRF_ERASEBKGND);
}

WindowPrintout::~WindowPrintout() {
  if (old_) SelectObject(dc_.Get(), old_);
}

int WindowPrintout::Count(const RECT& rect, const std::function<bool(COLORREF)>& test) const {
  int n = 0;
  for (int y = std::max<int>(rect.top, 0); y < std::min<int>(rect.bottom, height_); ++y)
    for (int x = std::max<int>(rect.left, 0); x < std::min<int>(rect.right, width_); ++x)
      if (test(At(x, y))) ++n;
  return n;
}

fw::Font CrispFont(int height) {
  LOGFONTA lf = {};
  lf.lfHeight = height;
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  lf.lfQuality = NONANTIALIASED_QUALITY;
  std::strcpy(lf.lfFaceName, "Tahoma");
  return fw::Font(CreateFontIndirectA(&lf));
}

}  // namespace testing_support

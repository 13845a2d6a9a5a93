#include "tests/support/recorder.h"

#include <commctrl.h>

#include "framework/msgbox.h"

namespace testing_support {

MessageBoxRecorder::MessageBoxRecorder() {
  fw::SetMessageBoxHook([this](HWND, const std::string& caption, const std::string& text, UINT style) {
    std::lock_guard<std::mutex> guard(lock_);
    boxes_.push_back(RecordedBox{caption, text, style});
    if (!answers_.empty()) {
      int a = answers_.front();
      answers_.pop_front();
      return a;
    }
    return (style & 0xF) == MB_YESNO ? IDYES : IDOK;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { fw::SetMessageBoxHook(nullptr); }

void MessageBoxRecorder::QueueAnswer(int answer) {
  std::lock_guard<std::mutex> guard(lock_);
  answers_.push_back(answer);
}

std::vector<RecordedBox> MessageBoxRecorder::Boxes() const {
  std::lock_guard<std::mutex> guard(lock_);
  return boxes_;
}

size_t MessageBoxRecorder::Count() const {
  std::lock_guard<std::mutex> guard(lock_);
  return boxes_.size();
}

std::string MessageBoxRecorder::LastText() const {
  std::lock_guard<std::mutex> guard(lock_);
  return boxes_.empty() ? std::string() : boxes_.back().text;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeoutMs) return done();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void PumpFor(DWORD ms) {
  DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; }, ms + 1000);
}

// Startup programs (and any report list).
std::vector<ListColumn> ListColumns(HWND list) {
  std::vector<ListColumn> columns;
  for (int c = 0;; ++c) {
    char text[256] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    if (!SendMessageA(list, LVM_GETCOLUMNA, c, reinterpret_cast<LPARAM>(&column))) break;
    columns.push_back({text, column.cx});
  }
  return columns;
}

}  // namespace testing_support

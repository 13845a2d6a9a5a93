#include "framework/subclass.h"

#include <commctrl.h>

namespace fw {

SubclassedWindow::~SubclassedWindow() { Unsubclass(); }

bool SubclassedWindow::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_) return false;
  if (!SetWindowSubclass(hwnd, &SubclassedWindow::Thunk, 1, reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = hwnd;
  OnSubclassed();
  return true;
}

void SubclassedWindow::Unsubclass() {
  if (hwnd_) RemoveWindowSubclass(hwnd_, &SubclassedWindow::Thunk, 1);
  hwnd_ = nullptr;
}

LRESULT SubclassedWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefSubclassProc(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK SubclassedWindow::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<SubclassedWindow*>(ref);
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->WindowProc(msg, wp, lp);
    RemoveWindowSubclass(hwnd, &SubclassedWindow::Thunk, 1);
    self->hwnd_ = nullptr;
    return r;
  }
  return self->WindowProc(msg, wp, lp);
}

}  // namespace fw

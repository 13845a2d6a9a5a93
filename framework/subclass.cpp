#include "framework/subclass.h"

#include <commctrl.h>

namespace fw {

SubclassedWindow::~SubclassedWindow() { Unsubclass(); }

// Each object subclasses under its own id, so several objects can hook the
// same window (a control and, say, a widget that watches its parent).
bool SubclassedWindow::Subclass(HWND hwnd) {
  if (!hwnd || hwnd_) return false;
  if (!SetWindowSubclass(hwnd, &SubclassedWindow::Thunk, reinterpret_cast<UINT_PTR>(this),
                         reinterpret_cast<DWORD_PTR>(this)))
    return false;
  hwnd_ = hwnd;
  OnSubclassed();
  return true;
}

void SubclassedWindow::Unsubclass() {
  if (hwnd_)
    RemoveWindowSubclass(hwnd_, &SubclassedWindow::Thunk, reinterpret_cast<UINT_PTR>(this));
  hwnd_ = nullptr;
}

LRESULT SubclassedWindow::DefaultProc(UINT msg, WPARAM wp, LPARAM lp) {
  return DefSubclassProc(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK SubclassedWindow::Thunk(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR id, DWORD_PTR ref) {
  auto* self = reinterpret_cast<SubclassedWindow*>(ref);
  if (msg == WM_NCDESTROY) {
    LRESULT r = self->WindowProc(msg, wp, lp);
    RemoveWindowSubclass(hwnd, &SubclassedWindow::Thunk, id);
    self->hwnd_ = nullptr;
    return r;
  }
  return self->WindowProc(msg, wp, lp);
}

}  // namespace fw

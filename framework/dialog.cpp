#include "framework/dialog.h"

#include <exception>
#include <string>

#include "framework/msgbox.h"
#include "framework/object.h"
#include "framework/subclass.h"
#include "framework/ui_feed.h"

namespace fw {

Dialog::~Dialog() {
  if (modeless_ && hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND parent) {
  modeless_ = false;
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent,
                         &Dialog::Proc, reinterpret_cast<LPARAM>(this));
}

bool Dialog::CreateModeless(HWND parent) {
  modeless_ = true;
  HWND h = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), parent,
                              &Dialog::Proc, reinterpret_cast<LPARAM>(this));
  if (h) ShowWindow(h, SW_SHOW);
  return h != nullptr;
}

void Dialog::EndDialog(INT_PTR result) {
  if (!hwnd_) return;
  if (modeless_)
    DestroyWindow(hwnd_);
  else
    ::EndDialog(hwnd_, result);
}

INT_PTR CALLBACK Dialog::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Dialog* self;
  if (msg == WM_INITDIALOG) {
    self = reinterpret_cast<Dialog*>(lp);
    self->hwnd_ = hwnd;
    SetWindowLongPtrA(hwnd, DWLP_USER, lp);
  } else {
    self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  // No exception may cross into the dialog manager: report it here.
  try {
    INT_PTR r = self->Route(msg, wp, lp);
    if (msg == WM_NCDESTROY) {
      SetWindowLongPtrA(hwnd, DWLP_USER, 0);
      self->hwnd_ = nullptr;
    }
    return r;
  } catch (const Exception& e) {
    e.ReportError();
  } catch (const std::exception& e) {
    AppMessageBox(e.what(), MB_OK | MB_ICONEXCLAMATION);
  }
  return FALSE;
}

INT_PTR Dialog::Route(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) return OnInitDialog();
  if (msg == kFeedMessage) {
    reinterpret_cast<UiFeed*>(lp)->Deliver();
    return TRUE;
  }
  INT_PTR result = FALSE;
  if (HandleMessage(msg, wp, lp, result)) return result;
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    if (LOWORD(wp) == IDOK) { OnOK(); return TRUE; }
    if (LOWORD(wp) == IDCANCEL) { OnCancel(); return TRUE; }
  }
  // Owner-drawn controls draw themselves: hand the request on to them.
  if (msg == WM_DRAWITEM && lp) {
    HWND item = reinterpret_cast<DRAWITEMSTRUCT*>(lp)->hwndItem;
    if (item) return SendMessageA(item, kReflectBase + WM_DRAWITEM, wp, lp);
  }
  return FALSE;
}

}  // namespace fw

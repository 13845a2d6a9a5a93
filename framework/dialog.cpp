#include "framework/dialog.h"

#include <algorithm>
#include <exception>
#include <string>
#include <vector>

#include "framework/msgbox.h"
#include "framework/object.h"
#include "framework/subclass.h"
#include "framework/sync.h"
#include "framework/ui_feed.h"

namespace fw {
namespace {
// Keeps waking the modal loop of an ended dialog until the loop has seen the
// end (see EndDialog). Well clear of the ids the dialogs use themselves.
constexpr UINT_PTR kEndWakeTimer = 0x5E1D;
constexpr UINT kEndWakeInterval = 20;

// Modal dialogs that have ended and whose loops have not returned yet, of
// every thread (each window knows its thread).
CriticalSection g_endedLock;
std::vector<HWND> g_endedModal;

void ForgetGoneDialogs() {
  ScopedLock guard(g_endedLock);
  g_endedModal.erase(std::remove_if(g_endedModal.begin(), g_endedModal.end(),
                                    [](HWND h) { return !IsWindow(h); }),
                     g_endedModal.end());
}
}  // namespace

Dialog::~Dialog() {
  if (modeless_ && hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

INT_PTR Dialog::DoModal(HWND parent) {
  modeless_ = false;
  INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_),
                                   parent, &Dialog::Proc, reinterpret_cast<LPARAM>(this));
  ForgetGoneDialogs();
  return result;
}

void Dialog::WakeEndedModalLoops() {
  ForgetGoneDialogs();
  ScopedLock guard(g_endedLock);
  for (HWND h : g_endedModal)
    if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) PostMessageA(h, WM_NULL, 0, 0);
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
  if (modeless_) {
    DestroyWindow(hwnd_);
    return;
  }
  ::EndDialog(hwnd_, result);
  // The modal loop notices the end only after it fetches a message, and the
  // system wakes it with one posted message. A nested pump running now or
  // later in the same handler (a wait for a worker, a message box) may take
  // that message; the loop then sleeps in GetMessage until the next input,
  // and a program closed by message never ends (worse: the loop drops the
  // message that finally wakes it, say the main window's WM_CLOSE). So the
  // waits post the wake-up again when they return (WakeEndedModalLoops),
  // ahead of anything posted later; and for pumps that are not ours a
  // repeating timer goes on waking the loop until it has returned and the
  // window, timer and all, is gone.
  {
    ScopedLock guard(g_endedLock);
    if (std::find(g_endedModal.begin(), g_endedModal.end(), hwnd_) == g_endedModal.end())
      g_endedModal.push_back(hwnd_);
  }
  SetTimer(hwnd_, kEndWakeTimer, kEndWakeInterval, nullptr);
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
  if (msg == WM_TIMER && wp == kEndWakeTimer) return TRUE;
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

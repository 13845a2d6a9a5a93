#include "framework/settling_button.h"

#include "framework/controls.h"

namespace fw {

void SettlingButton::Settle(HWND dialog, const char* text) {
  HWND button = GetDlgItem(dialog, id_);
  // Disabling the focused button leaves the dialog without focus: the
  // button takes it back when it is usable again.
  hadFocus_ = hadFocus_ || GetFocus() == button;
  SetControlText(button, text);
  EnableWindow(button, FALSE);
  // Without the timer the button would stay disabled for good: enable it
  // at once instead (the guard is lost, the dialog stays usable).
  if (!SetTimer(dialog, timerId_, kSettleMs, nullptr)) OnTimer(dialog, timerId_);
}

void SettlingButton::Hold(HWND dialog) {
  HWND button = GetDlgItem(dialog, id_);
  hadFocus_ = hadFocus_ || GetFocus() == button;
  EnableWindow(button, FALSE);
}

void SettlingButton::Activate(HWND dialog, const char* text) {
  KillTimer(dialog, timerId_);
  hadFocus_ = false;
  HWND button = GetDlgItem(dialog, id_);
  SetControlText(button, text);
  EnableWindow(button, TRUE);
}

bool SettlingButton::OnTimer(HWND dialog, WPARAM timerId) {
  if (timerId != timerId_) return false;
  KillTimer(dialog, timerId_);
  HWND button = GetDlgItem(dialog, id_);
  EnableWindow(button, TRUE);
  // Only while the dialog is the active window and nothing else took the
  // focus meanwhile: never pulls the user away from another window.
  if (hadFocus_ && !GetFocus() && GetActiveWindow() == dialog)
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
  hadFocus_ = false;
  return true;
}

bool SettlingButton::Accepts(HWND dialog) const {
  return IsWindowEnabled(GetDlgItem(dialog, id_)) != FALSE;
}

}  // namespace fw

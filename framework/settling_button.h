// A push button that changes its meaning when a job ends: "중지" (stop) while
// a scan or deletion runs, "삭제" (delete) once it is over. A stop click can
// still be on its way to the dialog at the moment the job ends (queued behind
// the job's last messages, or sent by another program); landing on the new
// meaning it would start a deletion nobody asked for. So the button takes
// its new text disabled and becomes usable only a moment later, through a
// window timer of the dialog, and its commands act only while it is enabled.
// The system makes WM_TIMER only when no posted or input message is waiting,
// so a click queued before the moment always finds the button disabled.
// Clicks are not judged by their message time: clicks sent by other programs
// carry stale times. Everything here runs on the dialog's thread.
#pragma once
#include <windows.h>

namespace fw {

class SettlingButton {
 public:
  // How long the button stays disabled after its meaning changed.
  static constexpr UINT kSettleMs = 500;

  // id: the button's control id; timerId: a timer id of the dialog that
  // nothing else of the dialog uses.
  SettlingButton(int id, UINT_PTR timerId) : id_(id), timerId_(timerId) {}

  // The job has ended: text disabled now, usable after kSettleMs.
  void Settle(HWND dialog, const char* text);
  // A stop was asked: disabled, text kept, until the job ends and settles.
  void Hold(HWND dialog);
  // A job starts: text, enabled at once; a pending settle is dropped.
  void Activate(HWND dialog, const char* text);
  // For the dialog's WM_TIMER: true when timerId was this button's (it is
  // then enabled, and gets back the keyboard focus it lost by being
  // disabled).
  bool OnTimer(HWND dialog, WPARAM timerId);
  // Whether a command from the button may act: only while it is enabled.
  bool Accepts(HWND dialog) const;

 private:
  int id_;
  UINT_PTR timerId_;
  bool hadFocus_ = false;
};

}  // namespace fw

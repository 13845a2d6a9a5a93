// A click that reaches a dialog in the instant its job ends, for the dialogs
// whose delete/stop button settles after a job (fw::SettlingButton).
#pragma once
#include <windows.h>

#include <functional>

namespace testing_support {

// Serves the calling thread's messages, timer messages excepted, until
// ended() holds, then sends the click of button id to the dialog. No timer
// of the dialog has run since the job ended, just as for a click that was
// already queued then. False when ended() did not hold within timeoutMs.
inline bool ClickAsTheJobEnds(HWND dialog, int id, const std::function<bool()>& ended,
                              DWORD timeoutMs = 180000) {
  const DWORD start = GetTickCount();
  while (!ended()) {
    if (GetTickCount() - start > timeoutMs) return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, WM_TIMER - 1, PM_REMOVE) ||
           PeekMessageA(&msg, nullptr, WM_TIMER + 1, 0xFFFFFFFF, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    // A waiting timer message would end this wait at once: not asked for.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT & ~QS_TIMER);
  }
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  return true;
}

}  // namespace testing_support

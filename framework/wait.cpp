#include "framework/wait.h"

#include "framework/app.h"
#include "framework/dialog.h"

namespace fw {

bool PumpMessages() {
  Application* app = Application::Current();
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
    if (app) {
      if (!app->PumpMessage()) {
        PostQuitMessage(0);
        return false;
      }
      continue;
    }
    if (!GetMessageA(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (app) {
    for (LONG count = 0; app->OnIdle(count); ++count) {
    }
  }
  return true;
}

void WaitWhilePumping(const std::function<bool()>& done, HANDLE wake) {
  // A dialog ended while this wait pumped may have lost its wake-up to it.
  struct WakeOnReturn {
    ~WakeOnReturn() { Dialog::WakeEndedModalLoops(); }
  } wakeEndedLoops;
  const DWORD handles = wake ? 1 : 0;
  bool quit = false;
  while (!done()) {
    if (!quit && !PumpMessages()) quit = true;
    if (done()) break;
    if (quit) {
      MSG msg;
      PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
      MsgWaitForMultipleObjects(handles, &wake, FALSE, 10, QS_SENDMESSAGE);
    } else {
      MsgWaitForMultipleObjects(handles, &wake, FALSE, 10, QS_ALLINPUT);
    }
  }
}

void WaitForHandleWhilePumping(HANDLE handle) {
  WaitWhilePumping(
      [handle] {
        // WAIT_FAILED (a closed or reused handle) counts as ended: waiting
        // on would never end.
        return WaitForSingleObject(handle, 0) != WAIT_TIMEOUT;
      },
      handle);
}

}  // namespace fw

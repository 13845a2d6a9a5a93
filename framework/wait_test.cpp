// Ending a modal dialog from inside a wait that pumps messages: the modal
// loop must still return at once, with no input at all, and a window closed
// by message right afterwards must close.
#include "framework/wait.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "framework/dialog.h"
#include "resources/resource.h"

namespace {

// Sent by another thread, so that the handler runs while the modal loop
// sleeps in GetMessage, the way a worker's messages arrive.
constexpr UINT kEndInsideWait = WM_APP + 1;
constexpr UINT kOpenTool = WM_APP + 2;

// A tool dialog whose end comes from a message that a wait for a worker
// dispatches, so that the wait also takes the system's wake-up message.
class ToolDialog : public fw::Dialog {
 public:
  ToolDialog() : fw::Dialog(IDD_ABOUTBOX) {}
  std::atomic<HWND> window{nullptr};
  DWORD waitEnded = 0;  // when the wait inside the handler returned

 protected:
  BOOL OnInitDialog() override {
    window = Hwnd();
    return TRUE;
  }
  bool HandleMessage(UINT msg, WPARAM, LPARAM, INT_PTR& result) override {
    if (msg != kEndInsideWait) return false;
    PostMessageA(Hwnd(), WM_COMMAND, IDCANCEL, 0);
    fw::WaitWhilePumping([this] { return ended_; });
    waitEnded = GetTickCount();
    result = TRUE;
    return true;
  }
  void OnCancel() override {
    ended_ = true;
    EndDialog(IDCANCEL);
  }

 private:
  bool ended_ = false;
};

// The main window's part: opens the tool from a button-like message.
class MainDialog : public fw::Dialog {
 public:
  MainDialog() : fw::Dialog(IDD_ABOUTBOX) {}
  std::atomic<HWND> window{nullptr};
  ToolDialog tool;

 protected:
  BOOL OnInitDialog() override {
    window = Hwnd();
    PostMessageA(Hwnd(), kOpenTool, 0, 0);
    return TRUE;
  }
  bool HandleMessage(UINT msg, WPARAM, LPARAM, INT_PTR& result) override {
    if (msg != kOpenTool) return false;
    tool.DoModal(Hwnd());
    result = TRUE;
    return true;
  }
};

HWND WaitForWindow(const std::atomic<HWND>& window) {
  for (int i = 0; i < 500 && !window.load(); ++i) Sleep(10);
  return window.load();
}

// After five seconds keeps posting message to window, so that a fault fails
// the test instead of hanging it.
class Watchdog {
 public:
  Watchdog(const std::atomic<HWND>& window, UINT message)
      : thread_([this, &window, message] {
          for (int i = 0; i < 500 && !done_; ++i) Sleep(10);
          while (!done_) {
            if (window.load()) PostMessageA(window.load(), message, 0, 0);
            Sleep(100);
          }
        }) {}
  ~Watchdog() {
    done_ = true;
    thread_.join();
  }

 private:
  std::atomic<bool> done_{false};
  std::thread thread_;
};

}  // namespace

TEST(ModalEnd, DialogEndedInsideAWaitReturnsWithoutInput) {
  ToolDialog dialog;
  std::thread worker([&] {
    HWND h = WaitForWindow(dialog.window);
    if (h) SendMessageA(h, kEndInsideWait, 0, 0);
  });
  Watchdog watchdog(dialog.window, WM_NULL);
  EXPECT_EQ(IDCANCEL, dialog.DoModal());
  DWORD returned = GetTickCount();
  worker.join();
  ASSERT_NE(0u, dialog.waitEnded);
  EXPECT_LT(returned - dialog.waitEnded, 1000u);
}

TEST(ModalEnd, MainWindowClosedRightAfterSuchAToolCloses) {
  MainDialog main;
  std::atomic<DWORD> closed{0};
  std::thread user([&] {
    HWND tool = WaitForWindow(main.tool.window);
    if (!tool) return;
    SendMessageA(tool, kEndInsideWait, 0, 0);
    // At once, as a shutdown or a test would: the message must not be lost
    // to the tool's loop that is still on its way out.
    closed = GetTickCount();
    PostMessageA(main.window.load(), WM_CLOSE, 0, 0);
  });
  Watchdog watchdog(main.window, WM_CLOSE);
  EXPECT_EQ(IDCANCEL, main.DoModal());
  DWORD returned = GetTickCount();
  user.join();
  ASSERT_NE(0u, closed.load());
  EXPECT_LT(returned - closed.load(), 1000u);
}

// The framework's own subclass chain, which Windows 95 and NT 4.0 use (their
// comctl32 has no SetWindowSubclass): every test runs in a process of its
// own and switches to the chain before anything is subclassed.
#include "framework/subclass.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "widgets/gradient_progress.h"

namespace {

class Recorder : public fw::SubclassedWindow {
 public:
  Recorder(char name, std::string& log) : name_(name), log_(log) {}

 protected:
  LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override {
    if (msg == WM_APP) log_ += name_;
    return DefaultProc(msg, wp, lp);
  }

 private:
  char name_;
  std::string& log_;
};

// A top-level window with one static control, destroyed with the test.
class Host {
 public:
  Host() {
    frame_ = CreateWindowExA(0, "Static", "", WS_POPUP, 0, 0, 200, 60, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    control_ = CreateWindowExA(0, "msctls_progress32", "", WS_CHILD | WS_VISIBLE, 0, 0, 200, 20,
                               frame_, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~Host() {
    if (IsWindow(frame_)) DestroyWindow(frame_);
  }
  HWND Frame() const { return frame_; }
  HWND Control() const { return control_; }

 private:
  HWND frame_;
  HWND control_;
};

class OwnChain : public ::testing::Test {
 protected:
  OwnChain() { fw::SubclassedWindow::ForceOwnChainForTests() = true; }
};

}  // namespace

TEST_F(OwnChain, MessagesPassNewestFirstAndObjectsLeaveInAnyOrder) {
  Host host;
  const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host.Control(), GWLP_WNDPROC));
  std::string log;
  Recorder a('a', log), b('b', log), c('c', log);
  ASSERT_TRUE(a.Subclass(host.Control()));
  ASSERT_TRUE(b.Subclass(host.Control()));
  ASSERT_TRUE(c.Subclass(host.Control()));
  EXPECT_FALSE(c.Subclass(host.Control()));  // once per object
  SendMessageA(host.Control(), WM_APP, 0, 0);
  EXPECT_EQ(log, "cba");

  b.Unsubclass();  // from the middle
  log.clear();
  SendMessageA(host.Control(), WM_APP, 0, 0);
  EXPECT_EQ(log, "ca");

  c.Unsubclass();
  a.Unsubclass();
  EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(host.Control(), GWLP_WNDPROC)), original);
  log.clear();
  SendMessageA(host.Control(), WM_APP, 0, 0);
  EXPECT_EQ(log, "");
}

TEST_F(OwnChain, DestroyingTheWindowDetachesEveryObject) {
  Host host;
  std::string log;
  Recorder a('a', log), b('b', log);
  ASSERT_TRUE(a.Subclass(host.Control()));
  ASSERT_TRUE(b.Subclass(host.Control()));
  DestroyWindow(host.Frame());
  EXPECT_EQ(a.Hwnd(), nullptr);
  EXPECT_EQ(b.Hwnd(), nullptr);
}

TEST_F(OwnChain, AWidgetWorksThroughIt) {
  Host host;
  CGradientProgress bar;
  ASSERT_TRUE(bar.Subclass(host.Control()));
  SendMessageA(host.Control(), PBM_SETRANGE32, 0, 200000);
  SendMessageA(host.Control(), PBM_SETPOS, 150000, 0);
  EXPECT_EQ(bar.GetUpper(), 200000);
  EXPECT_EQ(bar.GetPos(), 150000);
  EXPECT_EQ(SendMessageA(host.Control(), PBM_GETPOS, 0, 0), 150000);
}

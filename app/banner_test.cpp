// The advertising banner and its browser-control host, under Wine: the HTML
// engine is switched off there, so the banner must stay hidden and silent.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/browser_host.h"
#include "app/html_banner.h"
#include "framework/site.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using testing_support::MessageBoxRecorder;
using testing_support::PumpFor;
using testing_support::PumpUntil;

namespace {

// A plain visible top-level window to own the banner, as the main window does.
class OwnerWindow {
 public:
  OwnerWindow() {
    hwnd_ = CreateWindowExA(0, "STATIC", "banner owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                            450, 490, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }
  ~OwnerWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  HWND Get() const { return hwnd_; }

 private:
  HWND hwnd_;
};

BOOL CALLBACK CountVisibleDialog(HWND hwnd, LPARAM lp) {
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  char cls[64] = {};
  GetClassNameA(hwnd, cls, sizeof cls);
  if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && std::string(cls) == "#32770")
    ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

// Visible top-level dialog windows (message boxes, prompts) of this process.
int VisibleDialogs() {
  int n = 0;
  EnumWindows(&CountVisibleDialog, reinterpret_cast<LPARAM>(&n));
  return n;
}

BOOL CALLBACK CountChild(HWND, LPARAM lp) {
  ++*reinterpret_cast<int*>(lp);
  return TRUE;
}

int ChildCount(HWND parent) {
  int n = 0;
  EnumChildWindows(parent, &CountChild, reinterpret_cast<LPARAM>(&n));
  return n;
}

TEST(Banner, WithoutHtmlEngineStaysHiddenAndSilentThroughCreateNavigateShowAndMove) {
  MessageBoxRecorder boxes;
  OwnerWindow owner;
  ASSERT_NE(owner.Get(), nullptr);
  {
    CHtmlBannerDlg banner;
    ASSERT_TRUE(banner.Create(owner.Get()));
    ASSERT_NE(banner.Hwnd(), nullptr);
    EXPECT_EQ(banner.HasBrowser(), BrowserHost::HtmlEngineAvailable());
    bool navigated = banner.Navigate(SiteUrl("/spruce/adpan.htm"));
    EXPECT_EQ(navigated, banner.HasBrowser());

    // What the main window does on show and move.
    ShowWindow(banner.Hwnd(), SW_SHOW);
    RECT r = BannerRect(POINT{50, 80}, SIZE{418, 66});
    banner.MoveTo(r.left, r.top, r.right - r.left, r.bottom - r.top);
    PumpFor(500);

    if (!banner.HasBrowser()) {
      EXPECT_FALSE(IsWindowVisible(banner.Hwnd())) << "an empty banner covers the frame picture";
      EXPECT_EQ(ChildCount(banner.Hwnd()), 0);
      EXPECT_FALSE(banner.Navigate("http://127.0.0.1:1/"));
    }
    RECT placed;
    GetWindowRect(banner.Hwnd(), &placed);
    EXPECT_EQ(placed.left, 70);
    EXPECT_EQ(placed.top, 469);
    EXPECT_EQ(placed.right - placed.left, 408);
    EXPECT_EQ(placed.bottom - placed.top, 56);
    EXPECT_EQ(VisibleDialogs(), 0);
  }
  PumpFor(200);
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_EQ(VisibleDialogs(), 0);
}

TEST(Banner, RectangleIsClientOriginPlus20And389SizedToTheFrameLess10) {
  RECT r = BannerRect(POINT{100, 200}, SIZE{418, 66});
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.top, 589);
  EXPECT_EQ(r.right - r.left, 408);
  EXPECT_EQ(r.bottom - r.top, 56);

  r = BannerRect(POINT{-300, -20}, SIZE{100, 30});  // a window partly off screen
  EXPECT_EQ(r.left, -280);
  EXPECT_EQ(r.top, 369);
  EXPECT_EQ(r.right - r.left, 90);
  EXPECT_EQ(r.bottom - r.top, 20);

  r = BannerRect(POINT{0, 0}, SIZE{4, 0});  // a collapsed frame gives an empty banner
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_EQ(r.bottom - r.top, 0);
}

TEST(Banner, OkAndCancelElementsEndTheBannerAndLinksLeaveIt) {
  OwnerWindow owner;
  struct Case {
    const char* id;
    bool ends;
  };
  const Case cases[] = {{"ButtonOK", true}, {"ButtonCancel", true}, {"Link1", false},
                        {"Link2", false},   {"buttonok", false},    {"", false}};
  for (const Case& c : cases) {
    CHtmlBannerDlg banner;
    ASSERT_TRUE(banner.Create(owner.Get()));
    banner.OnElementClick(c.id);
    PumpUntil([&] { return banner.Hwnd() == nullptr; }, c.ends ? 5000 : 300);
    EXPECT_EQ(banner.Hwnd() == nullptr, c.ends) << c.id;
    // Operations on an ended banner do nothing and report no browser.
    if (c.ends) {
      EXPECT_FALSE(banner.HasBrowser());
      EXPECT_FALSE(banner.Navigate("http://127.0.0.1/"));
      banner.MoveTo(0, 0, 10, 10);
    }
  }
  // An ended banner can be created again.
  CHtmlBannerDlg banner;
  ASSERT_TRUE(banner.Create(owner.Get()));
  banner.OnElementClick("ButtonOK");
  ASSERT_TRUE(PumpUntil([&] { return banner.Hwnd() == nullptr; }, 5000));
  EXPECT_TRUE(banner.Create(owner.Get()));
  EXPECT_NE(banner.Hwnd(), nullptr);
}

TEST(Banner, InitialPageIsTheHtmlResourceOfTheProgram) {
  HMODULE module = GetModuleHandleA(nullptr);
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDR_BANNER_HTML), MAKEINTRESOURCEA(23));
  ASSERT_NE(found, nullptr) << "resource 115 must have the HTML type (23)";
  const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
  std::string page(data, SizeofResource(module, found));
  EXPECT_NE(page.find("id=\"CHtmlBannerDlg\""), std::string::npos);

  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  EXPECT_EQ(BrowserHost::ResourceUrl(IDR_BANNER_HTML), "res://" + std::string(path) + "/115");
}

// The container itself, with the engine requirement waived: whatever the
// control can do under Wine, hosting, sizing, navigating and closing it must
// be quiet and leave nothing behind.
TEST(BrowserHostTest, HostsSizesNavigatesAndClosesTheControlQuietly) {
  MessageBoxRecorder boxes;
  OwnerWindow parent;
  std::vector<std::string> clicks;
  for (int round = 0; round < 2; ++round) {
    BrowserHost host;
    bool opened = host.Open(parent.Get(), [&](const std::string& id) {
      clicks.push_back(id);
      return true;
    }, false);
    // Wine's control frame exists even without the engine behind it.
    ASSERT_TRUE(opened);
    EXPECT_TRUE(host.IsOpen());
    HWND control = GetWindow(parent.Get(), GW_CHILD);
    ASSERT_NE(control, nullptr) << "the control's window is a child of its parent";

    SetWindowPos(parent.Get(), nullptr, 0, 0, 300 + 40 * round, 200, SWP_NOMOVE | SWP_NOZORDER);
    host.FitToParent();
    RECT client, placed;
    GetClientRect(parent.Get(), &client);
    GetWindowRect(control, &placed);
    EXPECT_EQ(placed.right - placed.left, client.right);
    EXPECT_EQ(placed.bottom - placed.top, client.bottom);

    host.Navigate(BrowserHost::ResourceUrl(IDR_BANNER_HTML));
    host.Navigate("http://127.0.0.1:1/spruce/adpan.htm");  // nothing listens there
    PumpFor(500);
    host.Close();
    EXPECT_FALSE(host.IsOpen());
    EXPECT_EQ(ChildCount(parent.Get()), 0) << "closing removes the control's windows";
    EXPECT_FALSE(host.Navigate("http://127.0.0.1:1/"));
    host.Close();  // twice is harmless
    PumpFor(200);
  }
  EXPECT_EQ(boxes.Count(), 0u);
  EXPECT_EQ(VisibleDialogs(), 0);
  EXPECT_TRUE(clicks.empty());
}

TEST(BrowserHostTest, RefusesAParentThatIsNoWindow) {
  BrowserHost host;
  EXPECT_FALSE(host.Open(nullptr, nullptr, false));
  EXPECT_FALSE(host.Open(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0)), nullptr, false));
  EXPECT_FALSE(host.IsOpen());
}

}  // namespace

// The main window's Upgrade button against the site server in scripted mode:
// a window closed while the check runs, or while its question is shown,
// asks and starts nothing more.
#include "app/main_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "framework/msgbox.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

const char kQuestion[] = "새버전(9.9.9)이 나왔습니다. 업그레이드 하시겠습니까?";

class MainDlgUpgrade : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(site_.Ok()) << "the site server did not start";
    SetEnvironmentVariableA("SPRUCE_SITE", site_.Origin().c_str());
    // A program folder without the updater: starting it would fail and say
    // so, rather than end the test program.
    savedFolder_ = ProgramFolder();
    TheApp().SetProgramFolder(folder_.Path());
    ServeVersionFile(R"({"body": "Version: 9.9.9\n"})");
  }
  void TearDown() override {
    TheApp().SetProgramFolder(savedFolder_);
    SetEnvironmentVariableA("SPRUCE_SITE", nullptr);
  }

  void ServeVersionFile(const std::string& rule) {
    ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": " + rule + "}"));
  }
  static void PressUpgrade(HWND window) {
    PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_BTN_UPGRADE, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, IDC_BTN_UPGRADE)));
  }

  ScriptedSite site_;
  TempFolder folder_{"main-upgrade"};
  std::string savedFolder_;
};

TEST_F(MainDlgUpgrade, WindowClosedWhileTheCheckRunsAsksNothingAfterwards) {
  MessageBoxRecorder boxes;  // would answer the question Yes
  CMainDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  const HWND window = dialog.Hwnd();
  // The version file arrives 2 s after its headers; the window is closed
  // while the check waits for it.
  ServeVersionFile(R"({"body": "Version: 9.9.9\n", "stall": 2})");
  site_.ClearRequests();
  PressUpgrade(window);
  PostMessageA(window, WM_CLOSE, 0, 0);
  // The button's handler runs inside this pump, so it has returned when the
  // condition is next looked at.
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  PumpFor(300);
  const std::vector<std::string> requests = site_.Requests();
  EXPECT_NE(std::find(requests.begin(), requests.end(), "GET /spruce/version.dat"), requests.end());
  EXPECT_EQ(boxes.Count(), 0u) << boxes.LastText();
}

TEST_F(MainDlgUpgrade, YesAfterTheWindowWasClosedStartsNoUpdater) {
  CMainDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  const HWND window = dialog.Hwnd();
  std::vector<std::string> texts;
  // The window is closed while the question is on screen (from the task
  // bar, say), and then the user answers Yes. The box's own loop would
  // deliver the close meanwhile.
  fw::SetMessageBoxHook([&](HWND, const std::string&, const std::string& text, UINT) {
    texts.push_back(text);
    PostMessageA(window, WM_CLOSE, 0, 0);
    PumpUntil([&] { return !IsWindow(window); }, 10000);
    return IDYES;
  });
  struct Unhook {
    ~Unhook() { fw::SetMessageBoxHook(nullptr); }
  } unhook;
  PressUpgrade(window);
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  PumpFor(300);
  EXPECT_EQ(texts, std::vector<std::string>{kQuestion});
}

}  // namespace

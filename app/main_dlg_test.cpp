// The main window's Upgrade button against the site server in scripted mode:
// a window closed while the check runs, or while its question is shown,
// asks and starts nothing more; an upgrade page opens even where the fixed
// browser path is missing.
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

TEST_F(MainDlgUpgrade, StartKeepsTheUpdatersBackupWhenTheUpdaterIsMissing) {
  // The only copy of the updater left by a swap cut short: the window's
  // start must not delete it.
  ASSERT_TRUE(WriteFileBytes(folder_.File("SpruceUp.exe___old"), "the only updater"));
  {
    CMainDlg dialog;
    ASSERT_TRUE(dialog.CreateModeless());
    const HWND window = dialog.Hwnd();
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(window); }));
  }
  EXPECT_EQ(ReadFileBytes(folder_.File("SpruceUp.exe___old")), "the only updater");
}

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

// Takes the browser away from its fixed path and makes a stand-in the
// system's handler for web addresses, for the life of the object.
class BrowserMissing {
 public:
  BrowserMissing() {
    char old[1024] = {};
    LONG size = sizeof old;
    hadHandler_ = RegQueryValueA(HKEY_CLASSES_ROOT, kHandlerKey, old, &size) == ERROR_SUCCESS;
    oldHandler_ = old;
    const std::string stub = "\"" + BinFolder() + "\\browser_stub.exe\" \"%1\"";
    ok_ = RegSetValueA(HKEY_CLASSES_ROOT, kHandlerKey, REG_SZ, stub.c_str(),
                       static_cast<DWORD>(stub.size())) == ERROR_SUCCESS &&
          (GetFileAttributesA(kBrowser) == INVALID_FILE_ATTRIBUTES ||
           MoveFileA(kBrowser, kSaved) != FALSE);
  }
  ~BrowserMissing() {
    MoveFileA(kSaved, kBrowser);
    if (hadHandler_)
      RegSetValueA(HKEY_CLASSES_ROOT, kHandlerKey, REG_SZ, oldHandler_.c_str(),
                   static_cast<DWORD>(oldHandler_.size()));
  }
  bool Ok() const { return ok_; }

 private:
  static constexpr const char* kHandlerKey = "http\\shell\\open\\command";
  static constexpr const char* kBrowser = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
  static constexpr const char* kSaved = "C:\\Program Files\\Internet Explorer\\iexplore.exe.spruce-test";
  bool ok_ = false;
  bool hadHandler_ = false;
  std::string oldHandler_;
};

TEST_F(MainDlgUpgrade, UpgradePageOpensWithTheSystemHandlerWhenTheBrowserIsMissing) {
  MessageBoxRecorder boxes;
  const std::string log = folder_.File("browser.log");
  SetEnvironmentVariableA("SPRUCE_BROWSER_LOG", log.c_str());
  BrowserMissing browser;
  ASSERT_TRUE(browser.Ok());
  CMainDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  // The address is followed only from a version file the publisher signed.
  const std::string file = "Version: 9.9.9\nUpgradeURL: www.spruce.co.kr/new.htm\n";
  ASSERT_TRUE(site_.SetScript("{\"/spruce/version.dat\": {\"body\": " + JsonString(file) +
                              "}, \"/spruce/version.sig\": {\"sign_key\": \"fresh\"}}"));
  PressUpgrade(dialog.Hwnd());
  EXPECT_TRUE(PumpUntil([&] { return boxes.Count() > 0; }, 30000));
  EXPECT_EQ(boxes.LastText(), "서버로 부터 업그레이드 버전파일을 다운받을 수 없습니다.");
  PumpFor(1000);
  EXPECT_EQ(ReadFileBytes(log), "") << "no browser for an unsigned address";

  ServeVersionFile("{\"body\": " + JsonString(file) + "}");
  PressUpgrade(dialog.Hwnd());
  EXPECT_TRUE(PumpUntil([&] { return !ReadFileBytes(log).empty(); }, 30000));
  EXPECT_NE(ReadFileBytes(log).find("\"http://www.spruce.co.kr/new.htm\""), std::string::npos)
      << ReadFileBytes(log);
  EXPECT_EQ(boxes.Count(), 1u) << boxes.LastText();
  SetEnvironmentVariableA("SPRUCE_BROWSER_LOG", nullptr);
}

}  // namespace

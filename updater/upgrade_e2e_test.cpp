// The whole upgrade seen from outside, as a user sees it: Spruce.exe finds a
// newer version at start and blinks its Upgrade button; the button and Yes
// start SpruceUp.exe, which downloads, replaces both programs and records the
// version; "완료" starts the new Spruce.exe.
#include <gtest/gtest.h>

#include <set>

#include "framework/program_window.h"
#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"
#include "updater/updater_res.h"
#include "upgrade/testing/scripted_site.h"

using namespace testing_support;

namespace {

const char kUpdaterTitle[] = "스프루스 업그레이드";

// The window's pixels as the screen shows them.
std::string ScreenBits(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  const int width = r.right - r.left, height = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::string bits(static_cast<size_t>(width) * height * 4, '\0');
  GetDIBits(memory, bitmap, 0, height, &bits[0], &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return bits;
}

std::string VersionFile(const std::string& version, const std::string& main,
                        const std::string& updater) {
  return "Version: " + version + "\r\n" + ListedFile("Spruce.exe", main) + ListedFile("SpruceUp.exe", updater);
}

TEST(UpgradeEndToEnd, SpruceBlinksThenTheUpdaterReplacesBothProgramsAndRestartsIt) {
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  TempFolder folder("e2e-upgrade");
  // Both programs as built, told apart by bytes after their image (which
  // the loader ignores).
  const std::string main = ReadFileBytes(BinFolder() + "\\Spruce.exe");
  const std::string updater = ReadFileBytes(BinFolder() + "\\SpruceUp.exe");
  ASSERT_FALSE(main.empty());
  ASSERT_FALSE(updater.empty());
  ASSERT_TRUE(WriteFileBytes(folder.File("Spruce.exe"), main + "installed 1.0.0"));
  ASSERT_TRUE(WriteFileBytes(folder.File("SpruceUp.exe"), updater + "installed 1.0.0"));
  ASSERT_TRUE(WriteFileBytes(folder.File("version.dat"), "1.0.0"));
  const std::string newMain = main + "served 1.0.1", newUpdater = updater + "served 1.0.1";
  ASSERT_TRUE(site.PutFile("Spruce.exe", newMain));
  ASSERT_TRUE(site.PutFile("SpruceUp.exe", newUpdater));
  // The main program trickles in, so that the progress can be seen.
  ASSERT_TRUE(site.SetScript("{\"/spruce/version.dat\": {\"body\": " +
                             JsonString(VersionFile("1.0.1", newMain, newUpdater)) +
                             "}, \"/spruce/Spruce.exe\": {\"body_file\": \"spruce/Spruce.exe\", \"rate\": " +
                             std::to_string(newMain.size() / 3) + "}}"));

  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + folder.File("Spruce.exe") + "\"", folder.Path(),
                           {"SPRUCE_SITE=" + site.Origin()}));
  HWND window = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(window, nullptr);
  // Lit and unlit in turn, every half second.
  HWND button = GetDlgItem(window, IDC_BTN_UPGRADE);
  std::set<std::string> looks;
  for (int i = 0; i < 8; ++i, Sleep(200)) looks.insert(ScreenBits(button));
  EXPECT_GE(looks.size(), 2u) << "the Upgrade button blinks";
  e2e::KeepScreenshot(window, "upgrade-main-window");

  driver::Click(window, IDC_BTN_UPGRADE);
  driver::MessageBoxInfo box;
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), "업그레이드", box, 60000));
  EXPECT_EQ(box.text, "새버전(1.0.1)이 나왔습니다. 업그레이드 하시겠습니까?");
  e2e::KeepScreenshot(box.window, "upgrade-question");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDYES));
  ASSERT_TRUE(spruce.WaitExit(30000)) << "Spruce ends once the updater has started";
  DWORD code = 1;
  GetExitCodeProcess(spruce.Handle(), &code);
  EXPECT_EQ(code, 0u);

  HWND up = driver::WaitForWindow(kUpdaterTitle, 0, 60000);
  ASSERT_NE(up, nullptr);
  if (driver::WaitForControlText(up, IDC_UP_FILE_TEXT, "Spruce.exe 파일 다운로드중 ...", 30000)) {
    Sleep(700);
    e2e::KeepScreenshot(up, "readme-updater");
  }
  ASSERT_TRUE(driver::WaitForControlText(up, IDCANCEL, "완료", 120000));
  EXPECT_EQ(driver::ControlText(up, IDC_UP_FILE_TEXT), "SpruceUp.exe 파일 다운로드 완료");
  EXPECT_EQ(driver::ControlText(up, IDC_UP_COUNT_TEXT), "2 / 2 ");
  e2e::KeepScreenshot(up, "updater-done");
  PostMessageA(up, WM_SYSCOMMAND, fw::kAboutCommand, 0);
  HWND about = driver::WaitForWindow("TamarackUp 정보", 0, 30000);
  ASSERT_NE(about, nullptr);
  e2e::KeepScreenshot(about, "readme-updater-about");
  driver::Click(about, IDOK);
  ASSERT_TRUE(driver::WaitForWindowGone(about, 30000));
  EXPECT_EQ(ReadFileBytes(folder.File("Spruce.exe")), newMain);
  EXPECT_EQ(ReadFileBytes(folder.File("SpruceUp.exe")), newUpdater);
  EXPECT_EQ(ReadFileBytes(folder.File("version.dat")), "1.0.1");

  // "완료" starts the new main program, which shows the new version.
  driver::Click(up, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(up, 30000));
  HWND restarted = driver::WaitForWindow(e2e::kMainTitle, 0, 120000);
  ASSERT_NE(restarted, nullptr);
  EXPECT_EQ(driver::ControlText(restarted, IDC_VERSION), "버전: 1.0.1");
  driver::Click(restarted, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(restarted, 30000));
  // Only the programs and the version remain: no staging, backup or
  // temporary copies.
  std::set<std::string> names;
  for (const auto& file : FolderFiles(folder.Path())) names.insert(file.first);
  EXPECT_EQ(names, (std::set<std::string>{"Spruce.exe", "SpruceUp.exe", "version.dat"}));
}

// Puts the browser stub where the main window starts the browser, for the
// life of the object.
class StubBrowser {
 public:
  StubBrowser() {
    MoveFileA(kBrowser, kSaved);
    ok_ = CopyFileA((BinFolder() + "\\browser_stub.exe").c_str(), kBrowser, FALSE) != FALSE;
  }
  ~StubBrowser() {
    DeleteFileA(kBrowser);
    MoveFileA(kSaved, kBrowser);
  }
  bool Ok() const { return ok_; }

 private:
  static constexpr const char* kBrowser = "C:\\Program Files\\Internet Explorer\\iexplore.exe";
  static constexpr const char* kSaved = "C:\\Program Files\\Internet Explorer\\iexplore.exe.spruce-test";
  bool ok_ = false;
};

TEST(UpgradeEndToEnd, UpgradeButtonOpensTheUpgradePageOrTellsWhatIsWrong) {
  ScriptedSite site;
  ASSERT_TRUE(site.Ok());
  StubBrowser browser;
  ASSERT_TRUE(browser.Ok());
  TempFolder folder("e2e-upgrade-url");
  const std::string log = folder.File("browser.log");
  ASSERT_TRUE(site.SetScript(R"({"/spruce/version.dat": {"body": "Version: 1.0.1\nUpgradeURL: www.spruce.co.kr/new.htm\n"}})"));
  driver::Process spruce;
  ASSERT_TRUE(spruce.Start("\"" + BinFolder() + "\\Spruce.exe\"", folder.Path(),
                           {"SPRUCE_SITE=" + site.Origin(), "SPRUCE_BROWSER_LOG=" + log}));
  HWND window = driver::WaitForWindow(e2e::kMainTitle, spruce.Id(), 120000);
  ASSERT_NE(window, nullptr);

  driver::Click(window, IDC_BTN_UPGRADE);
  for (int i = 0; i < 300 && ReadFileBytes(log).empty(); ++i) Sleep(100);
  EXPECT_NE(ReadFileBytes(log).find("www.spruce.co.kr/new.htm"), std::string::npos) << ReadFileBytes(log);
  EXPECT_FALSE(spruce.WaitExit(500)) << "Spruce keeps running";

  // The same version as installed ("1.0.0" without a version.dat).
  ASSERT_TRUE(site.SetScript(R"({"/spruce/version.dat": {"body": "Version: 1.0.0\n"}})"));
  driver::Click(window, IDC_BTN_UPGRADE);
  driver::MessageBoxInfo box;
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), "업그레이드", box, 60000));
  EXPECT_EQ(box.text, "최신버전이므로 업그레이드 할 필요가 없습니다.");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDOK));

  // Yes with no updater in the program folder: Spruce says so and stays.
  ASSERT_TRUE(site.SetScript(R"({"/spruce/version.dat": {"body": "Version: 1.0.1\n"}})"));
  driver::Click(window, IDC_BTN_UPGRADE);
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), "업그레이드", box, 60000));
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDYES));
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), "업그레이드", box, 60000));
  EXPECT_EQ(box.text, "SpruceUp.exe를 실행할 수 없습니다.");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDOK));
  EXPECT_FALSE(spruce.WaitExit(500));
  ASSERT_TRUE(e2e::CloseSpruce(spruce, window));
}

}  // namespace

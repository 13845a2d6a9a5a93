// The main window seen from outside, as a user sees it.
#include <gtest/gtest.h>

#include <ctime>

#include "framework/program_window.h"
#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kHelpKey2[] = "TypeLib\\{FC7D9000-3F9E-11D3-93C0-00C04F72DAF7}\\1.0\\0\\win32";
const char kHelpKey1[] = "TypeLib\\{FC7D9E00-3F9E-11D3-93C0-00C04F72DAF7}\\1.0\\0\\win32";

std::string Today() {
  char buf[32];
  std::time_t now = std::time(nullptr);
  std::strftime(buf, sizeof buf, "%Y.%m.%d", std::localtime(&now));
  return buf;
}

std::string DefaultValue(HKEY root, const char* path) {
  char data[600] = {};
  LONG size = sizeof data;
  if (RegQueryValueA(root, path, data, &size) != ERROR_SUCCESS) return "<missing>";
  return data;
}

TEST(MainWindow, ShowsVersionPreviousRunAndRepairsHelpCenter) {
  DeleteFileA(e2e::ProfileIniPath().c_str());
  DeleteKeyTree(HKEY_CLASSES_ROOT, "TypeLib\\{FC7D9000-3F9E-11D3-93C0-00C04F72DAF7}");
  DeleteKeyTree(HKEY_CLASSES_ROOT, "TypeLib\\{FC7D9E00-3F9E-11D3-93C0-00C04F72DAF7}");
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, kHelpKey2, REG_SZ, "broken", 6), ERROR_SUCCESS);

  TempFolder folder("e2e-main");
  ASSERT_TRUE(WriteFileBytes(folder.File("version.dat"), std::string("2.5.1\r\n\0junk", 12)));

  driver::Process first;
  HWND main = e2e::StartSpruce(first, folder.Path());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::ControlText(main, IDC_VERSION), "버전: 2.5.1\r\n");
  EXPECT_EQ(driver::ControlText(main, IDC_PREVIOUS_RUN), "최근 실행일:없음");
  RECT r;
  GetWindowRect(main, &r);
  EXPECT_EQ(r.right - r.left, 450);
  EXPECT_EQ(r.bottom - r.top, 490);
  RECT button;
  GetWindowRect(GetDlgItem(main, IDC_BTN_REGISTRY), &button);
  EXPECT_EQ(button.right - button.left, 173);  // one frame of its bitmap
  EXPECT_EQ(button.bottom - button.top, 34);
  POINT origin = {0, 0};
  ClientToScreen(main, &origin);
  EXPECT_EQ(button.left - origin.x, 25);
  EXPECT_EQ(button.top - origin.y, 55);
  e2e::KeepScreenshot(main, "readme-main-window");

  // The about box, from the system menu.
  PostMessageA(main, WM_SYSCOMMAND, fw::kAboutCommand, 0);
  HWND about = driver::WaitForWindow("Tamarack 정보", first.Id(), 30000);
  ASSERT_NE(about, nullptr);
  e2e::KeepScreenshot(about, "readme-about");
  driver::Click(about, IDOK);
  ASSERT_TRUE(driver::WaitForWindowGone(about, 30000));
  ASSERT_TRUE(e2e::CloseSpruce(first, main));

  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, kHelpKey2),
            std::string(windows) + "\\PCHealth\\HelpCtr\\Binaries\\HelpCtr.exe\\2");
  EXPECT_EQ(DefaultValue(HKEY_CLASSES_ROOT, kHelpKey1), "<missing>");  // not created

  // Without version.dat the version is 1.0.0; the previous run is today.
  DeleteFileA(folder.File("version.dat").c_str());
  driver::Process second;
  main = e2e::StartSpruce(second, folder.Path());
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(driver::ControlText(main, IDC_VERSION), "버전: 1.0.0");
  EXPECT_EQ(driver::ControlText(main, IDC_PREVIOUS_RUN), "최근 실행일:" + Today());
  ASSERT_TRUE(e2e::CloseSpruce(second, main));
  DeleteKeyTree(HKEY_CLASSES_ROOT, "TypeLib\\{FC7D9000-3F9E-11D3-93C0-00C04F72DAF7}");
}

TEST(MainWindow, NtOnlyToolsAreRefusedOnWindows98WithTheirOwnTitles) {
  struct Restore {
    ~Restore() { e2e::SetSpruceWindowsVersion(""); }
  } restore;
  e2e::SetSpruceWindowsVersion("win98");
  TempFolder folder("e2e-98");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);
  const struct {
    int id;
    const char* title;
  } tools[] = {{IDC_BTN_SMART, "하드디스크 상태점검"},
               {IDC_BTN_TEMPERATURE, "하드디스크 온도"},
               {IDC_BTN_USAGETIME, "컴퓨터 사용시간 체크"},
               {IDC_BTN_FORCEDEL, "파일 강제삭제"}};
  for (const auto& tool : tools) {
    driver::Click(main, tool.id);
    driver::MessageBoxInfo box;
    ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), tool.title, box, 30000)) << tool.title;
    EXPECT_EQ(box.text, "Windows 95/98/ME는 지원하지 않습니다.");
    if (tool.id == IDC_BTN_SMART) e2e::KeepScreenshot(box.window, "main-window-win98-refusal");
    EXPECT_TRUE(driver::AnswerMessageBox(box, IDOK));
  }
  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
}

}  // namespace

// The startup-program manager driven from the main window: a planted Run
// entry of each root is listed, the user's one is deleted from the registry.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kTitle[] = "시작프로그램 관리";
const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

void SetRunValue(HKEY root, const char* name, const std::string& command) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                 static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
}

bool RunValueExists(HKEY root, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, kRun, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  const bool exists = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  RegCloseKey(key);
  return exists;
}

void DeleteRunValue(HKEY root, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(root, kRun, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
  RegDeleteValueA(key, name);
  RegCloseKey(key);
}

TEST(StartupEndToEnd, ListsBothRootsAndDeletesTheCheckedEntry) {
  SetRunValue(HKEY_CURRENT_USER, "SpruceE2EUpdater", "C:\\Program Files\\SpruceGone\\updater.exe /background");
  SetRunValue(HKEY_LOCAL_MACHINE, "SpruceE2ETray", "C:\\Program Files\\SpruceGone\\tray.exe");

  TempFolder folder("e2e-startup");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);
  HWND dialog = e2e::OpenTool(spruce, main, IDC_BTN_STARTUP, kTitle);
  ASSERT_NE(dialog, nullptr);

  HWND list = GetDlgItem(dialog, IDC_LIST);
  const std::vector<driver::ListRow> rows = driver::ReadList(list, 4);
  int updater = -1, tray = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_FALSE(rows[i].checked);
    EXPECT_EQ(rows[i].cells[3], "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    if (rows[i].cells[1] == "SpruceE2EUpdater") updater = static_cast<int>(i);
    if (rows[i].cells[1] == "SpruceE2ETray") tray = static_cast<int>(i);
  }
  ASSERT_GE(updater, 0);
  ASSERT_GT(tray, updater) << "the user's entries come first";
  EXPECT_EQ(rows[updater].cells[2], "C:\\Program Files\\SpruceGone\\updater.exe /background");

  ASSERT_TRUE(driver::SetRowChecked(list, updater, true));
  e2e::KeepScreenshot(dialog, "readme-startup");
  driver::Click(dialog, IDC_DELETE);
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kTitle, 30000), "삭제 완료되었습니다.");
  EXPECT_FALSE(RunValueExists(HKEY_CURRENT_USER, "SpruceE2EUpdater"));
  EXPECT_TRUE(RunValueExists(HKEY_LOCAL_MACHINE, "SpruceE2ETray"));
  EXPECT_EQ(driver::ReadList(list, 4).size(), rows.size() - 1);

  driver::Click(dialog, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(dialog, 30000));
  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
  DeleteRunValue(HKEY_LOCAL_MACHINE, "SpruceE2ETray");
  DeleteRunValue(HKEY_CURRENT_USER, "SpruceE2EUpdater");
}

}  // namespace

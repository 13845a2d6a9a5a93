// The registry optimizer and its restore, driven from the main window.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kKey[] = "SOFTWARE\\SpruceEndToEnd\\App";
const char kOptimizer[] = "레지스트리 최적화";
const char kRestore[] = "레지스트리 복원";

std::string PathValue() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<no key>";
  char data[256] = {};
  DWORD size = sizeof data, type = 0;
  LONG status = RegQueryValueExA(key, "Path", nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(data) : "<no value>";
}

TEST(RegistryEndToEnd, FindsDeletesBacksUpAndRestoresAnOrphanedPath) {
  const std::string dead = "C:\\SpruceEndToEndGone\\app.exe";
  DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\SpruceEndToEnd");
  ASSERT_EQ(RegSetValueA(HKEY_CURRENT_USER, kKey, REG_SZ, "", 0), ERROR_SUCCESS);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "");
  RegSetValueExA(key, "Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(dead.c_str()),
                 static_cast<DWORD>(dead.size() + 1));
  RegCloseKey(key);

  TempFolder folder("e2e-registry");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);

  HWND dialog = e2e::OpenTool(spruce, main, IDC_BTN_REGISTRY, kOptimizer);
  ASSERT_NE(dialog, nullptr);
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kOptimizer, 240000), "검색이 완료되었습니다.");
  EXPECT_TRUE(driver::WaitForControlText(dialog, IDC_STATE, "검색완료", 10000));

  // Keep only our finding checked: the prefix's own entries stay alone.
  HWND list = GetDlgItem(dialog, IDC_LIST);
  std::vector<driver::ListRow> rows = driver::ReadList(list, 5);
  int ours = -1;
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_TRUE(rows[i].checked);
    if (rows[i].cells[1] == "HKCU" && rows[i].cells[2] == kKey) ours = static_cast<int>(i);
  }
  ASSERT_GE(ours, 0) << "the planted orphan was not listed";
  EXPECT_EQ(rows[ours].cells[3], "Path");
  EXPECT_EQ(rows[ours].cells[4], dead);
  for (size_t i = 0; i < rows.size(); ++i)
    if (static_cast<int>(i) != ours) driver::SetRowChecked(list, static_cast<int>(i), false);
  e2e::KeepScreenshot(dialog, "readme-registry-optimizer");

  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDC_DELETE));
  driver::Click(dialog, IDC_DELETE);
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kOptimizer, 60000), "삭제 완료되었습니다.");
  EXPECT_EQ(PathValue(), "<no value>");
  EXPECT_EQ(driver::ReadList(list, 5).size(), rows.size() - 1);
  driver::Click(dialog, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(dialog, 30000));

  HWND restore = e2e::OpenTool(spruce, main, IDC_BTN_RESTORE, kRestore);
  ASSERT_NE(restore, nullptr);
  HWND files = GetDlgItem(restore, IDC_LIST);
  std::vector<driver::ListRow> backups = driver::ReadList(files, 2);
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_NE(backups[0].cells[1].find(".reg"), std::string::npos);
  driver::SetRowChecked(files, 0, true);
  e2e::KeepScreenshot(restore, "readme-registry-restore");
  driver::Click(restore, IDC_RESTORE);
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kRestore, 30000), "복원이 완료되었습니다.");
  EXPECT_EQ(PathValue(), dead);

  driver::Click(restore, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(restore, 30000));
  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
  DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\SpruceEndToEnd");
}

}  // namespace

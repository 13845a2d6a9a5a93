// The hard-disk optimizer driven from outside, as a user drives it: opened
// from the main window, its scan waited for, the planted junk deleted, the
// deletion list checked in the program folder.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kCaption[] = "하드디스크 최적화";

TEST(DiskCleanerEndToEnd, ScansDeletesThePlantedJunkAndKeepsTheList) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetLongPathNameA(temp, temp, MAX_PATH);
  const std::string sub =
      std::string(temp) + "spruce-e2e-disk-" + std::to_string(GetCurrentProcessId());
  const std::string listed =
      std::string(temp) + "\\spruce-e2e-disk-" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\one.tmp", "1"));
  ASSERT_TRUE(WriteFileBytes(sub + "\\two.tmp", std::string(2048, '2')));
  TempFolder program("e2e-disk");

  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, program.Path());
  ASSERT_NE(main, nullptr);
  HWND dialog = e2e::OpenTool(spruce, main, IDC_BTN_HARDDISK, kCaption);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(e2e::AnswerBox(spruce.Id(), kCaption), "검색이 완료되었습니다.");
  ASSERT_TRUE(driver::WaitForControlText(dialog, IDC_STATE, "검색완료"));

  // Only the planted rows stay ticked: the prefix's other junk is not ours.
  HWND list = GetDlgItem(dialog, IDC_LIST);
  std::vector<driver::ListRow> rows = driver::ReadList(list, 4);
  int mine = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].cells[1] == listed) {
      ++mine;
      EXPECT_TRUE(rows[i].checked);
      EXPECT_EQ(rows[i].cells[3], rows[i].cells[2] == "one.tmp" ? "1 Byte" : "2 KB");
    } else {
      driver::SetRowChecked(list, static_cast<int>(i), false);
    }
  }
  EXPECT_EQ(mine, 2);
  e2e::KeepScreenshot(dialog, "readme-disk-cleaner");

  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDC_DELETE));
  driver::Click(dialog, IDC_DELETE);
  EXPECT_EQ(e2e::AnswerBox(spruce.Id(), kCaption), "삭제 완료되었습니다");
  ASSERT_TRUE(driver::WaitForControlText(dialog, IDC_STATE, "삭제완료"));
  EXPECT_EQ(driver::ReadList(list, 4).size(), rows.size() - 2);
  EXPECT_FALSE(FileExists(sub + "\\one.tmp"));
  EXPECT_FALSE(FileExists(sub + "\\two.tmp"));

  EXPECT_EQ(ReadFileBytes(program.File("backup\\diskclean.idx")), "2");
  WIN32_FIND_DATAA found;
  HANDLE find = FindFirstFileA(program.File("backup\\disk-*-1.txt").c_str(), &found);
  ASSERT_NE(find, INVALID_HANDLE_VALUE);
  FindClose(find);
  const std::string record = ReadFileBytes(program.File("backup\\" + std::string(found.cFileName)));
  EXPECT_NE(record.find(listed + "\\one.tmp\r\n"), std::string::npos) << record;
  EXPECT_NE(record.find(listed + "\\two.tmp\r\n"), std::string::npos) << record;
  EXPECT_EQ(record.size(), 2 * (listed.size() + 10));

  driver::Click(dialog, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(dialog));
  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
  RemoveTree(sub);
}

}  // namespace

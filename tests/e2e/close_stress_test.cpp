// Closing the program by message after many tool sessions, as a shutdown or
// the updater's restart closes it: the registry and hard-disk optimizers are
// opened, stopped at varying moments (or left to finish), answered and
// closed, round after round; a deletion is tried to be closed while it runs;
// then WM_CLOSE alone must end the process with exit code 0. No input
// reaches the program other than these messages.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

struct Tool {
  int button;
  const char* caption;
};
const Tool kRegistry = {IDC_BTN_REGISTRY, "레지스트리 최적화"};
const Tool kDisk = {IDC_BTN_HARDDISK, "하드디스크 최적화"};

// One session: open the tool, stop its scan after delayMs (when it is still
// running), answer the scan's box, close with the exit button. A stop click
// that reaches the dialog only after its scan ended finds button 5 settling
// (disabled) and starts nothing.
void StopAndClose(const driver::Process& spruce, HWND main, const Tool& tool, DWORD delayMs) {
  driver::Click(main, tool.button);
  HWND dialog = driver::WaitForWindow(tool.caption, spruce.Id());
  ASSERT_NE(dialog, nullptr) << tool.caption;
  Sleep(delayMs);
  if (driver::ControlText(dialog, IDC_DELETE) == "중지") driver::Click(dialog, IDC_DELETE);
  const std::string text = e2e::AnswerBox(spruce.Id(), tool.caption);
  EXPECT_TRUE(text == "검색이 중지되었습니다." || text == "검색이 완료되었습니다.") << text;
  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDCANCEL, 30000)) << tool.caption;
  driver::Click(dialog, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(dialog, 30000)) << tool.caption;
}

}  // namespace

TEST(CloseStress, ManyStoppedToolSessionsThenWmCloseEndsTheProgram) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string planted =
      std::string(temp) + "spruce-close-stress-" + std::to_string(GetCurrentProcessId()) + ".tmp";
  TempFolder program("e2e-close");

  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, program.Path());
  ASSERT_NE(main, nullptr);

  // Stops early, mid-scan and late, and scans left to finish.
  const DWORD delays[] = {0, 15, 40, 90, 200, 5000};
  for (DWORD delay : delays) {
    StopAndClose(spruce, main, kRegistry, delay);
    StopAndClose(spruce, main, kDisk, delay);
    if (HasFatalFailure()) break;
  }

  // A deletion that the user tries to close while it runs, then closes.
  ASSERT_TRUE(WriteFileBytes(planted, std::string(4096, 'x')));
  driver::Click(main, kDisk.button);
  HWND dialog = driver::WaitForWindow(kDisk.caption, spruce.Id());
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(e2e::AnswerBox(spruce.Id(), kDisk.caption), "검색이 완료되었습니다.");
  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDCANCEL, 30000));
  HWND list = GetDlgItem(dialog, IDC_LIST);
  const std::vector<driver::ListRow> rows = driver::ReadList(list, 4);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].cells[2] != planted.substr(planted.rfind('\\') + 1))
      driver::SetRowChecked(list, static_cast<int>(i), false);
  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDC_DELETE, 30000));
  driver::Click(dialog, IDC_DELETE);
  driver::Click(dialog, IDCANCEL);  // refused while the deletion runs
  EXPECT_EQ(e2e::AnswerBox(spruce.Id(), kDisk.caption), "삭제 완료되었습니다");
  EXPECT_FALSE(FileExists(planted));
  ASSERT_TRUE(driver::WaitForEnabled(dialog, IDCANCEL, 30000));
  driver::Click(dialog, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(dialog, 30000));

  // Closed by message alone, at once.
  PostMessageA(main, WM_CLOSE, 0, 0);
  const bool ended = spruce.WaitExit(30000);
  if (!ended) spruce.Kill();
  ASSERT_TRUE(ended) << "the program did not end after WM_CLOSE";
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(spruce.Handle(), &code);
  EXPECT_EQ(code, 0u);
  DeleteFileA(planted.c_str());
}

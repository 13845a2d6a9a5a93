// The memory optimizer driven from the main window: the figures appear and
// refresh, one run ends with its message, a second press does nothing.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kTitle[] = "메모리 최적화";

bool EndsWithMegabytes(const std::string& text) {
  return text.size() > 3 && text.compare(text.size() - 3, 3, " MB") == 0;
}

TEST(MemoryEndToEnd, ShowsTheFiguresAndRunsOncePerOpening) {
  TempFolder folder("e2e-memory");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);
  HWND dialog = e2e::OpenTool(spruce, main, IDC_BTN_MEMORY, kTitle);
  ASSERT_NE(dialog, nullptr);

  for (int id : {IDC_MEM_TOTAL_PHYSICAL, IDC_MEM_AVAILABLE_PHYSICAL, IDC_MEM_TOTAL_VIRTUAL,
                 IDC_MEM_AVAILABLE_VIRTUAL})
    EXPECT_TRUE(EndsWithMegabytes(driver::ControlText(dialog, id))) << driver::ControlText(dialog, id);
  EXPECT_NE(driver::ControlText(dialog, IDC_MEM_TOTAL_PHYSICAL), "0.0 MB");
  e2e::KeepScreenshot(dialog, "readme-memory");

  driver::Click(dialog, IDOK);
  driver::MessageBoxInfo box;
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kTitle, 120000), "작업이 완료되었습니다");
  EXPECT_EQ(SendMessageA(GetDlgItem(dialog, IDC_MEM_RUN_PROGRESS), PBM_GETPOS, 0, 0), 2);
  e2e::KeepScreenshot(dialog, "memory-after-run");

  // Once per opening: a second press starts nothing.
  driver::Click(dialog, IDOK);
  EXPECT_FALSE(driver::WaitForMessageBox(spruce.Id(), kTitle, box, 1500));

  driver::Click(dialog, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(dialog, 30000));
  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
}

}  // namespace

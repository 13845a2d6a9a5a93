// System information and PC usage time, opened from the main window of a
// running Spruce.exe the way a user opens them.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "sysinfo/event_records_testing.h"
#include "sysinfo/usage_time_dlg.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kSysInfo[] = "시스템 정보";
const char kUsageTime[] = "컴퓨터 사용시간 체크";

bool StartsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

TEST(SysInfoEndToEnd, OpensSystemInformationAndUsageTimeFromTheMainWindow) {
  TempFolder folder("e2e-sysinfo");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);

  HWND info = e2e::OpenTool(spruce, main, IDC_BTN_SYSINFO, kSysInfo);
  ASSERT_NE(info, nullptr);
  EXPECT_FALSE(driver::ControlText(info, IDC_SYSINFO_CPU).empty());
  EXPECT_EQ(driver::ControlText(info, IDC_SYSINFO_DRIVES), " C 드라이브");
  EXPECT_TRUE(StartsWith(driver::ControlText(info, IDC_SYSINFO_DISK_USED), "사용중인 용량 : "));
  EXPECT_TRUE(StartsWith(driver::ControlText(info, IDC_SYSINFO_DISK_TOTAL), "전체 용량 : "));
  EXPECT_EQ(driver::ControlText(info, IDC_SYSINFO_INSTALL_CAPTION), "윈도우 설치일자:");
  EXPECT_NE(driver::ControlText(info, IDC_SYSINFO_TOTAL_PHYS).find(" MB"), std::string::npos);
  e2e::KeepScreenshot(info, "readme-system-info");
  driver::Click(info, IDCANCEL);
  ASSERT_TRUE(driver::WaitForWindowGone(info, 30000));

  // Wine's System log is always empty: one blank row, not the list's notice.
  HWND usage = e2e::OpenTool(spruce, main, IDC_BTN_USAGETIME, kUsageTime);
  ASSERT_NE(usage, nullptr);
  std::vector<driver::ListRow> rows = driver::ReadList(GetDlgItem(usage, IDC_LIST), 3);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"", "", ""}));
  e2e::KeepScreenshot(usage, "usage-time-empty-log");
  PostMessageA(usage, WM_CLOSE, 0, 0);  // the close box
  ASSERT_TRUE(driver::WaitForWindowGone(usage, 30000));

  ASSERT_TRUE(e2e::CloseSpruce(spruce, main));
}

// The usage-time list as it looks on a machine with a System log: a week of
// starts and shutdowns built as raw records (Wine has no log to show).
TEST(SysInfoEndToEnd, UsageTimeWithAWeekOfRecords) {
  QueuedRecordSource log;
  RecordBytes week;
  const uint32_t monday = 1709510400;  // 2024-03-04 00:00:00 UTC
  for (int day = 6; day >= 0; --day) {
    const uint32_t base = monday + day * 86400;
    for (const RecordBytes& r :
         {EventRecord(6006, base + 18 * 3600 + 41 * 60 + 7), EventRecord(7036, base + 12 * 3600),
          EventRecord(0x80000000 | 6009, base + 8 * 3600 + 55 * 60 + 30)})
      week.insert(week.end(), r.begin(), r.end());
  }
  log.reads.push_back(week);
  CMyUseTimeDlg dialog(&log);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(SendMessageA(dialog.Item(IDC_LIST), LVM_GETITEMCOUNT, 0, 0), 14);
  e2e::KeepScreenshot(dialog.Hwnd(), "readme-usage-time");
}

}  // namespace

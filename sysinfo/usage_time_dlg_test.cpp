// The usage-time dialog under Wine: rows from built event records (the
// prefix's own log is always empty), their colours read from the painted
// list, and the single blank row of an empty or unreadable log.
#include "sysinfo/usage_time_dlg.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "framework/controls.h"
#include "resources/resource.h"
#include "sysinfo/event_records_testing.h"
#include "widgets/window_printout.h"

using testing_support::EventRecord;
using testing_support::JoinRecords;
using testing_support::QueuedRecordSource;
using testing_support::WindowPrintout;

namespace {

constexpr COLORREF kOrange = RGB(242, 101, 34);

// The texts a generation time must show, worked out through the system's own
// local-time conversion (with the daylight-saving rule of that date, as the C
// runtime applies it) rather than the C runtime's.
std::pair<std::string, std::string> Expected(uint32_t secondsSince1970) {
  ULONGLONG ticks = (secondsSince1970 + 11644473600ull) * 10000000ull;
  FILETIME utc = {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
  SYSTEMTIME universal, t;
  FileTimeToSystemTime(&utc, &universal);
  SystemTimeToTzSpecificLocalTime(nullptr, &universal, &t);
  char date[32], clock[32];
  std::snprintf(date, sizeof date, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
  std::snprintf(clock, sizeof clock, "%s %02u:%02u:%02u", t.wHour < 12 ? "오전" : "오후",
                t.wHour % 12 == 0 ? 12u : t.wHour % 12u, t.wMinute, t.wSecond);
  return {date, clock};
}

RECT CellRect(HWND list, int row, int column) {
  RECT r = {};
  r.top = column;
  r.left = LVIR_BOUNDS;
  SendMessageA(list, LVM_GETSUBITEMRECT, row, reinterpret_cast<LPARAM>(&r));
  return {r.left + 1, r.top + 1, r.right - 2, r.bottom - 2};
}

TEST(UsageTimeDlg, ListsStartsAndShutdownsNewestFirstWithTheStartsInOrange) {
  const uint32_t newest = 1709647384, middle = 1709629200, oldest = 1709596799;
  QueuedRecordSource log;
  log.reads.push_back(
      JoinRecords({EventRecord(0x80000000 | 6009, newest), EventRecord(7036, newest),
                   EventRecord(0x40000000 | 6006, middle)}));
  log.reads.push_back(EventRecord(0xC0000000 | 6009, oldest));
  std::setlocale(LC_ALL, "C");

  CMyUseTimeDlg dialog(&log);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_NE(std::setlocale(LC_ALL, nullptr), std::string("C"));  // switched to Korean
  HWND list = dialog.Item(IDC_LIST);
  ASSERT_EQ(fw::list::Count(list), 3);
  const uint32_t times[] = {newest, middle, oldest};
  const char* what[] = {"켜진시간", "꺼진시간", "켜진시간"};
  for (int row = 0; row < 3; ++row) {
    EXPECT_EQ(fw::list::Text(list, row, 0), Expected(times[row]).first) << row;
    EXPECT_EQ(fw::list::Text(list, row, 1), Expected(times[row]).second) << row;
    EXPECT_EQ(fw::list::Text(list, row, 2), what[row]) << row;
  }

  // The starts' third cells are orange on white; nothing else is orange.
  WindowPrintout shot(list);
  EXPECT_GT(shot.CountOf(CellRect(list, 0, 2), kOrange), 20);
  EXPECT_GT(shot.CountOf(CellRect(list, 2, 2), kOrange), 20);
  EXPECT_EQ(shot.CountOf(CellRect(list, 1, 2), kOrange), 0);
  EXPECT_EQ(shot.CountOf(CellRect(list, 0, 1), kOrange), 0);
  // White behind the (smoothed) orange text.
  const RECT start = CellRect(list, 0, 2);
  EXPECT_GT(shot.CountOf(start, RGB(255, 255, 255)),
            shot.Count(start, [](COLORREF) { return true; }) / 2);
}

int BlankRows(CMyUseTimeDlg& dialog) {
  HWND list = dialog.Item(IDC_LIST);
  int blank = 0;
  for (int row = 0; row < fw::list::Count(list); ++row)
    if (fw::list::Text(list, row, 0).empty() && fw::list::Text(list, row, 2).empty()) ++blank;
  return fw::list::Count(list) == 1 ? blank : -fw::list::Count(list);
}

TEST(UsageTimeDlg, AnEmptyOrUnreadableLogShowsExactlyOneBlankRow) {
  // The prefix's own System log: it opens but has nothing to read.
  CMyUseTimeDlg real;
  ASSERT_TRUE(real.CreateModeless(nullptr));
  EXPECT_EQ(BlankRows(real), 1);

  std::setlocale(LC_ALL, "C");
  QueuedRecordSource closed;
  closed.opens = false;
  CMyUseTimeDlg unreadable(&closed);
  ASSERT_TRUE(unreadable.CreateModeless(nullptr));
  EXPECT_EQ(BlankRows(unreadable), 1);
  EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "C");  // switched only once the log opened

  // A log whose reads succeed with nothing in them is not read for ever.
  QueuedRecordSource hollow;
  hollow.zeroForever = true;
  CMyUseTimeDlg empty(&hollow);
  ASSERT_TRUE(empty.CreateModeless(nullptr));
  EXPECT_EQ(BlankRows(empty), 1);
  EXPECT_EQ(hollow.readCount, 1);

  // Records that are not power events leave the list as empty as no records.
  QueuedRecordSource other;
  other.reads.push_back(
      JoinRecords({EventRecord(7036, 1709647384), EventRecord(6005, 1709647384)}));
  CMyUseTimeDlg none(&other);
  ASSERT_TRUE(none.CreateModeless(nullptr));
  EXPECT_EQ(BlankRows(none), 1);
}

}  // namespace

#include "sysinfo/korean_time.h"

#include <gtest/gtest.h>

namespace {

std::tm At(int year, int month, int day, int hour, int minute, int second, int weekday) {
  std::tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  t.tm_wday = weekday;
  return t;
}

TEST(KoreanTime, TwelveHourClockWithMorningAndAfternoonMarkers) {
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 0, 0, 0, 2)), "오전 12:00:00");
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 9, 5, 7, 2)), "오전 09:05:07");
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 11, 59, 59, 2)), "오전 11:59:59");
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 12, 0, 0, 2)), "오후 12:00:00");
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 14, 3, 4, 2)), "오후 02:03:04");
  EXPECT_EQ(KoreanClock(At(2024, 3, 5, 23, 0, 9, 2)), "오후 11:00:09");
}

TEST(KoreanTime, DateAndLongDateTime) {
  EXPECT_EQ(KoreanDate(At(2024, 3, 5, 14, 3, 4, 2)), "2024-03-05");
  EXPECT_EQ(KoreanDateTime(At(2024, 3, 5, 14, 3, 4, 2)), "2024년 03월 05일 화요일 오후 02:03:04");
  EXPECT_EQ(KoreanDateTime(At(2003, 12, 28, 8, 30, 0, 0)), "2003년 12월 28일 일요일 오전 08:30:00");
  EXPECT_EQ(KoreanDateTime(At(2003, 12, 27, 8, 30, 0, 6)), "2003년 12월 27일 토요일 오전 08:30:00");
  EXPECT_EQ(KoreanDateTime(At(2003, 12, 27, 8, 30, 0, 9)), "2003년 12월 27일  오전 08:30:00");
}

}  // namespace

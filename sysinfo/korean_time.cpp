#include "sysinfo/korean_time.h"

#include <cstdio>

namespace {

const char* const kWeekdays[] = {"일요일", "월요일", "화요일", "수요일",
                                 "목요일", "금요일", "토요일"};

std::string TwoDigits(int n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d", n);
  return buf;
}

std::string Year(const std::tm& t) { return std::to_string(t.tm_year + 1900); }

}  // namespace

std::string KoreanDate(const std::tm& t) {
  return Year(t) + "-" + TwoDigits(t.tm_mon + 1) + "-" + TwoDigits(t.tm_mday);
}

std::string KoreanClock(const std::tm& t) {
  const int hour12 = t.tm_hour % 12 == 0 ? 12 : t.tm_hour % 12;
  return std::string(t.tm_hour < 12 ? "오전 " : "오후 ") + TwoDigits(hour12) + ":" +
         TwoDigits(t.tm_min) + ":" + TwoDigits(t.tm_sec);
}

std::string KoreanDateTime(const std::tm& t) {
  const std::string weekday = t.tm_wday >= 0 && t.tm_wday <= 6 ? kWeekdays[t.tm_wday] : "";
  return Year(t) + "년 " + TwoDigits(t.tm_mon + 1) + "월 " + TwoDigits(t.tm_mday) + "일 " +
         weekday + " " + KoreanClock(t);
}

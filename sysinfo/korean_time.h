// Date and time texts in the Korean forms the tools show, assembled from a
// broken-down local time. Pure code: no <windows.h>.
//
// They are built by hand rather than with strftime: the C runtime's strftime
// gives "AM"/"PM" for %p (and under Wine returns nothing at all for a format
// holding Korean bytes), while the texts must read "오전"/"오후" everywhere.
#pragma once
#include <ctime>
#include <string>

// "2024-03-05" (strftime "%Y-%m-%d").
std::string KoreanDate(const std::tm& t);
// "오후 02:03:04" (strftime "%p %I:%M:%S" in the Korean locale): a 12-hour
// clock from 12 to 11, "오전" before noon and "오후" from noon on.
std::string KoreanClock(const std::tm& t);
// "2024년 03월 05일 화요일 오후 02:03:04" (strftime "%Y년 %m월 %d일 %A %p %I:%M:%S"
// in the Korean locale). A weekday outside 0..6 leaves its name empty.
std::string KoreanDateTime(const std::tm& t);

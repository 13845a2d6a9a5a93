// The arithmetic of the system-information dialog: memory figures and
// shares, and the disk section's texts and bar. Pure code: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>

// The memory figures are the memory optimizer's (memory/memory_figures.h:
// MebibyteText, AvailablePercent, kWhiteTextFromPercent). The virtual ones
// here read "0 MB" when exactly zero, each on its own.
std::string VirtualMemoryFigureText(uint64_t bytes);

// What the disk section shows for a drive with total bytes of which free
// bytes are free.
struct DiskFigures {
  int barRange;           // total in mebibytes (the bar runs 0..barRange)
  int barPosition;        // used in mebibytes
  bool whiteText;         // used share of at least 50 %
  std::string usedText;   // "사용중인 용량 : %I64d GB", whole gibibytes, cut
  std::string freeText;   // "남은 용량 : %I64d GB"
  std::string totalText;  // "전체 용량 : %I64d GB"
};
// A total of 0 (a pseudo file system under a drive letter, some virtual
// volumes) gives share 0, black text and an empty bar; free space above the
// total counts as nothing used.
DiskFigures ComputeDiskFigures(uint64_t total, uint64_t free);

// The three texts shown while a drive's space is not (or can't be) known.
extern const char kDiskUsedUnknown[];   // "사용중인 용량 : 읽을수 없음"
extern const char kDiskFreeUnknown[];   // "남은 용량 : 읽을수 없음"
extern const char kDiskTotalUnknown[];  // "전체 용량 : 읽을수 없음"

// The drive combo's text for a root path: its first letter in upper case,
// formatted " %s 드라이브" (so "c:\" gives " C 드라이브").
std::string DriveItemText(const std::string& root);

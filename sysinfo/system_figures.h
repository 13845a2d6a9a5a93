// The arithmetic of the system-information dialog: memory figures and
// shares, and the disk section's texts and bar. Pure code: no <windows.h>.
#pragma once
#include <cstdint>
#include <string>

// "%d.%d MB": whole mebibytes (bytes >> 20), a point, and the tenths of a
// mebibyte left over, cut rather than rounded so the text never claims
// memory that is not there (511 MiB + 524,288 B reads "511.5 MB").
std::string MemoryFigureText(uint64_t bytes);
// The virtual-memory figures: like MemoryFigureText, but exactly zero reads
// "0 MB".
std::string VirtualMemoryFigureText(uint64_t bytes);

// part ÷ whole × 100, truncated towards zero; 0 when whole is 0 (nothing to
// share), 100 at most.
int SharePercent(uint64_t part, uint64_t whole);
// A bar's percentage text is white from 50 % on, black below.
inline bool WhiteTextAt(int percent) { return percent >= 50; }

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

// Processor texts are shown with the white space around them removed.
std::string TrimBlanks(const std::string& text);

// The texts of the hard-disk optimizer that involve no system call: the
// rotating deletion lists ("disk-<stamp>-<slot>.txt" beside "diskclean.idx"),
// their lines, and the cut of the status line. Pure code: no <windows.h>.
#pragma once
#include <string>

namespace diskclean {

// Slots of the deletion lists; at most one list per slot exists.
constexpr int kFirstSlot = 1;
constexpr int kLastSlot = 3;

// The slot (1 to 3) a backup-folder file name belongs to: the name begins
// with "disk-" (case-sensitive), ends in ".txt" (any case) and its fifth
// character from the end is the slot's digit. 0 for every other name, also
// for the digits 0 and 4 to 9, which are never a live slot.
int SlotOfFileName(const std::string& name);

// The slot that "diskclean.idx" names: its first line read as a decimal
// number (leading blanks and a sign allowed, reading stops at the first
// non-digit). Text without a number and numbers outside 1 to 3 give 1.
int SlotFromIndexText(const std::string& text);

// The slot after slot: 1 -> 2 -> 3 -> 1.
int NextSlot(int slot);

// "%Y년%m월%d일-%H시%M분%S초" of the given local time (four-digit year,
// the other fields two digits).
std::string StampText(int year, int month, int day, int hour, int minute, int second);

// "disk-" + stamp + "-" + slot digit + ".txt".
std::string ListFileName(const std::string& stamp, int slot);

// A deleted file's line: path + "\" + name + CR LF. The path text keeps
// whatever trailing backslash the scan gave it, as the list shows it.
std::string FileLine(const std::string& path, const std::string& name);

// An emptied recycle bin's line: "%s %s(%s)" of the row's path, name and
// size texts, then CR LF (e.g. "C 드라이브 휴지통 5 개(12 MB)").
std::string RecycleBinLine(const std::string& path, const std::string& name,
                           const std::string& size);

// The status line for a folder being scanned: a path longer than 60 bytes
// is cut to its first 60 bytes and "..." appended. The cut never splits a
// CP949 double-byte character: when the 60th byte is the lead byte of one,
// the text is cut before it (59 bytes).
std::string StatusText(const std::string& folder);

}  // namespace diskclean

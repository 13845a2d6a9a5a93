// The journal of a swap of installed files, kept in the program folder while
// the swap runs, so that the next start of either program can roll back or
// finish a swap that a crash or a power loss cut short. Pure code: no
// <windows.h>.
//
// The journal is outside input like the version file (anything that can
// write the program folder can write it), so its format is trivial and its
// reader strict: only the exact text FormatSwapJournal writes is accepted,
// and every name must pass the version file's name rules, so a crafted or
// torn journal can only ever name files of the program folder that the swap
// itself makes or replaces. The text, one item a line, CR LF after each:
//   Spruce swap journal 1
//   version <0|1> <new version, two hex digits a byte>
//   file <0|1> <name>          (one line per listed file, in swap order)
//   end
// The 0 or 1 says whether the installed file (or "version.dat") was there
// before the swap. The closing "end" tells a whole journal from a torn one.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// The journal's name in the program folder.
constexpr const char kSwapJournalName[] = "SpruceUp.jnl";
// The installed version file and the suffix of its new copy while it is
// being written.
constexpr const char kVersionDatName[] = "version.dat";
constexpr const char kVersionFreshSuffix[] = "___new";
// The largest journal read: 100 names and a 4,096-byte version fit well.
constexpr size_t kMaxSwapJournalSize = 64 * 1024;

struct SwapJournal {
  struct File {
    std::string name;
    bool hadOriginal = false;  // the installed file existed before the swap
  };
  std::vector<File> files;
  bool hadVersion = false;  // "version.dat" existed before the swap
  std::string newVersion;   // what "version.dat" holds once the swap is done
};

// The names the swap keeps for itself beside the listed files ("version.dat",
// its made copies and the journal), which a file list may not name.
std::vector<std::string> SwapReservedNames();

std::string FormatSwapJournal(const SwapJournal& journal);

// Reads text written by FormatSwapJournal. False (journal unspecified) for
// anything else: a torn or altered text, more than 100 files, a version
// longer than 4,096 bytes or holding a NUL, or a file list that
// CheckFileList refuses for a program folder of folderLength characters.
bool ParseSwapJournal(const std::string& text, size_t folderLength, SwapJournal& journal);

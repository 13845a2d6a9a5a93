// The version file of the update server and the decisions made from it:
// which version is newer, and whether the listed file names are safe to
// turn into paths in the program folder. Pure code: no <windows.h>.
//
// The file is text in the ANSI code page, one "key: value" pair a line:
//   Version: 1.0.1
//   Filename: Spruce.exe 1234567 9f86d081884c7d65...  (64 hex digits)
//   UpgradeExec: ...
//   UpgradeURL: www.spruce.co.kr/new.htm
// Keys are case-sensitive; other lines are ignored. A line is cut at every
// colon, so a value ends before its first colon.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "upgrade/sha256.h"

// The largest version file read whole; a longer one is refused.
constexpr size_t kMaxVersionFileSize = 102400;
// The most "Filename" entries taken from one version file.
constexpr int kMaxVersionFiles = 100;
// The most bytes of "version.dat" a program reads back; a version longer
// than that would be read back cut.
constexpr size_t kMaxInstalledVersionSize = 4096;

// One record of the version file.
struct VersionInfo {
  std::string version;
  int fileCount = 0;
  std::string fileNames[kMaxVersionFiles];
  // The second word of each "Filename" value in decimal; 0 when it is not a
  // number.
  uint32_t fileSizes[kMaxVersionFiles] = {};
  // The third word of each "Filename" value, the file's SHA-256 in 64
  // lower-case hex digits; fileHashed is false where it is missing or is
  // not such a digest. Older readers take the first two words only.
  bool fileHashed[kMaxVersionFiles] = {};
  Sha256Digest fileHashes[kMaxVersionFiles] = {};
  std::string upgradeExec;  // stored; neither program reads it
  std::string upgradeUrl;
  // True when the file had a "Version" line (its value may still be empty).
  bool hasVersion = false;
};

// Fills info from the text of a version file (the caller has checked its
// size). Lines split at LF, empty lines dropped; each line split at ":";
// every piece loses white space at both ends and every double-quote
// character; a line with fewer than two pieces is skipped; the first piece
// is the key, the second the value. "Filename" values split at blanks: with
// at least two words and fewer than 100 entries taken, the first word is the
// next name, the second its size and the third its digest. The file list
// starts from entry 0.
void ParseVersionText(const std::string& text, VersionInfo& info);

// Reads exactly 64 lower-case hex digits into digest; false for anything else.
bool ParseSha256Hex(const std::string& word, Sha256Digest& digest);
// The digest as 64 lower-case hex digits.
std::string Sha256Hex(const Sha256Digest& digest);

// The decimal value of word read as the C library's atoi reads it (leading
// blanks and a "+" allowed, digits until the first other character); 0 when
// it does not start with a number, is negative or exceeds 32 bits.
uint32_t ParseListedSize(const std::string& word);

// Case-insensitive byte comparison with the C library's _stricmp rules (ASCII
// letters compared as lower case, bytes unsigned): <0, 0 or >0.
int CompareVersionText(const std::string& a, const std::string& b);

// Orders two version texts: <0, 0 or >0. When both are dotted decimal
// numbers (digits, in parts parted by single dots; white space around the
// text ignored, as "version.dat" may end in a line break), part by part as
// numbers of any length, a missing part counting as 0: 1.0.10 comes after
// 1.0.9, and 1.0, 1.0.0 and 1.00.0 are equal. Any other text ("1.0b",
// "1..2", "1.", "") is compared with CompareVersionText.
int CompareVersions(const std::string& a, const std::string& b);

// True when the server's version is newer than the installed one, so an
// older version (a file left on a mirror, or an old one replayed) is never
// offered: CompareVersions(installed, server) < 0. A server version that
// could not be written into "version.dat" and read back whole (longer than
// 4,096 bytes, or holding a NUL) is never newer, or it would be offered
// again after every upgrade.
bool IsNewerVersion(const std::string& installed, const std::string& server);

// The names the updater makes beside each listed file.
constexpr const char kStagingSuffix[] = "___";
constexpr const char kBackupSuffix[] = "___old";

// Why a file list is refused; kOk when every name is safe.
enum class FileListProblem {
  kOk,
  kEmptyName,
  kPathSeparator,    // "\" or "/": the name would leave the program folder
  kDotDot,           // ".."
  kForbiddenChar,    // a control character or one of <>:"|?*
  kTrailingDotOrBlank,  // the system drops them, so the name means another file
  kDeviceName,       // CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any extension
  kTooLong,          // folder, "\", name and the longest suffix exceed MAX_PATH
  kCollision,        // two names, or a name and a made name, are one file
};

// Checks one name from the server as a file name inside folder. CP949
// trail bytes are 0x41-0xFE minus a few ranges and never fall on "\", "/",
// ":" or a control character, so a byte test is exact for them.
FileListProblem CheckListedName(const std::string& name, size_t folderLength);

// Checks every name of the list, and that no two of the files the upgrade
// touches (the listed files, their staging and backup copies, and the
// reserved names) are the same file (ASCII case ignored). reserved: names
// the updater keeps for itself, e.g. "version.dat".
FileListProblem CheckFileList(const std::vector<std::string>& names, size_t folderLength,
                              const std::vector<std::string>& reserved);

#include "upgrade/version_file.h"

#include <algorithm>
#include <set>

#include "framework/helpers.h"
#include "framework/mbstring.h"

namespace {

// White space at both ends and every double quote removed. CP949 trail bytes
// are never white space or '"' (0x22), so a byte test cannot hit half a
// character.
std::string CleanPiece(const std::string& piece) {
  std::string out;
  out.reserve(piece.size());
  for (char c : mb::Trim(piece))
    if (c != '"') out.push_back(c);
  return mb::Trim(out);
}

bool IsDeviceName(const std::string& name) {
  // The part before the first dot decides: "con.txt" is the console too.
  std::string stem = mb::ToLower(name.substr(0, name.find('.')));
  // Blanks before the dot are dropped by the system as well ("nul .txt").
  while (!stem.empty() && stem.back() == ' ') stem.pop_back();
  if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
  if (stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0))
    return stem[3] >= '1' && stem[3] <= '9';
  return false;
}

// The text without white space at both ends, when that is a dotted decimal
// number: digits in parts parted by single dots, no part empty.
bool TrimmedDottedDecimal(const std::string& text, std::string& number) {
  number = mb::Trim(text);
  bool partHasDigit = false;
  for (char c : number) {
    if (c >= '0' && c <= '9') {
      partHasDigit = true;
    } else if (c == '.' && partHasDigit) {
      partHasDigit = false;
    } else {
      return false;
    }
  }
  return partHasDigit;  // false for an empty text or a trailing dot
}

// The part of a dotted decimal number that starts at pos, and pos moved past
// it and its dot; empty (read as 0) once the number has no more parts.
std::string NextPart(const std::string& number, size_t& pos) {
  if (pos >= number.size()) return std::string();
  size_t end = number.find('.', pos);
  if (end == std::string::npos) end = number.size();
  const std::string part = number.substr(pos, end - pos);
  pos = end + 1;
  return part;
}

// Two strings of digits compared as numbers, however long: without their
// leading zeros, the longer is the larger, and equal lengths compare as text.
int CompareDigits(const std::string& x, const std::string& y) {
  const size_t xs = std::min(x.find_first_not_of('0'), x.size());
  const size_t ys = std::min(y.find_first_not_of('0'), y.size());
  const size_t xn = x.size() - xs, yn = y.size() - ys;
  if (xn != yn) return xn < yn ? -1 : 1;
  const int c = x.compare(xs, xn, y, ys, yn);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

void ParseVersionText(const std::string& text, VersionInfo& info) {
  info.fileCount = 0;
  std::vector<std::string> lines;
  SplitString(text, "\n", lines, false);
  for (const std::string& line : lines) {
    std::vector<std::string> pieces;
    SplitString(line, ":", pieces, false);
    if (pieces.size() < 2) continue;
    const std::string key = CleanPiece(pieces[0]);
    const std::string value = CleanPiece(pieces[1]);
    if (key == "Version") {
      info.version = value;
      info.hasVersion = true;
    } else if (key == "UpgradeURL") {
      info.upgradeUrl = value;
    } else if (key == "UpgradeExec") {
      info.upgradeExec = value;
    } else if (key == "Filename") {
      std::vector<std::string> words;
      SplitString(value, " ", words, false);
      if (words.size() < 2 || info.fileCount >= kMaxVersionFiles) continue;
      info.fileNames[info.fileCount] = words[0];
      info.fileSizes[info.fileCount] = ParseListedSize(words[1]);
      info.fileHashed[info.fileCount] =
          words.size() >= 3 && ParseSha256Hex(words[2], info.fileHashes[info.fileCount]);
      ++info.fileCount;
    }
  }
}

bool ParseSha256Hex(const std::string& word, Sha256Digest& digest) {
  if (word.size() != 2 * kSha256Size) return false;
  auto nibble = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  Sha256Digest read;
  for (size_t i = 0; i < kSha256Size; ++i) {
    const int high = nibble(word[2 * i]), low = nibble(word[2 * i + 1]);
    if (high < 0 || low < 0) return false;
    read.bytes[i] = static_cast<uint8_t>(high << 4 | low);
  }
  digest = read;
  return true;
}

std::string Sha256Hex(const Sha256Digest& digest) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (uint8_t b : digest.bytes) {
    hex += kDigits[b >> 4];
    hex += kDigits[b & 15];
  }
  return hex;
}

uint32_t ParseListedSize(const std::string& word) {
  size_t i = 0;
  while (i < word.size() && (word[i] == ' ' || (word[i] >= '\t' && word[i] <= '\r'))) ++i;
  if (i < word.size() && word[i] == '+') ++i;
  uint64_t value = 0;
  for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
    value = value * 10 + static_cast<unsigned>(word[i] - '0');
    if (value > 0xFFFFFFFFu) return 0;
  }
  return static_cast<uint32_t>(value);
}

int CompareVersionText(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    int ca = static_cast<unsigned char>(a[i]), cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca += 'a' - 'A';
    if (cb >= 'A' && cb <= 'Z') cb += 'a' - 'A';
    if (ca != cb) return ca - cb;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

int CompareVersions(const std::string& a, const std::string& b) {
  std::string x, y;
  if (!TrimmedDottedDecimal(a, x) || !TrimmedDottedDecimal(b, y)) return CompareVersionText(a, b);
  size_t xPos = 0, yPos = 0;
  while (xPos < x.size() || yPos < y.size()) {
    const int c = CompareDigits(NextPart(x, xPos), NextPart(y, yPos));
    if (c != 0) return c;
  }
  return 0;
}

bool IsNewerVersion(const std::string& installed, const std::string& server) {
  if (server.size() > kMaxInstalledVersionSize || server.find('\0') != std::string::npos)
    return false;
  return CompareVersions(installed, server) < 0;
}

FileListProblem CheckListedName(const std::string& name, size_t folderLength) {
  if (name.empty()) return FileListProblem::kEmptyName;
  for (char ch : name) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '\\' || c == '/') return FileListProblem::kPathSeparator;
    if (c < 0x20 || c == 0x7F || std::string("<>:\"|?*").find(ch) != std::string::npos)
      return FileListProblem::kForbiddenChar;
  }
  if (name.find("..") != std::string::npos) return FileListProblem::kDotDot;
  if (name.back() == '.' || name.back() == ' ') return FileListProblem::kTrailingDotOrBlank;
  if (IsDeviceName(name)) return FileListProblem::kDeviceName;
  // MAX_PATH (260) counts the terminating NUL.
  const size_t longest = folderLength + 1 + name.size() + sizeof kBackupSuffix - 1;
  if (longest > 259) return FileListProblem::kTooLong;
  return FileListProblem::kOk;
}

FileListProblem CheckFileList(const std::vector<std::string>& names, size_t folderLength,
                              const std::vector<std::string>& reserved) {
  std::set<std::string> taken;
  for (const std::string& r : reserved) taken.insert(mb::ToLower(r));
  for (const std::string& name : names) {
    FileListProblem problem = CheckListedName(name, folderLength);
    if (problem != FileListProblem::kOk) return problem;
    const std::string lower = mb::ToLower(name);
    for (const std::string& made : {lower, lower + kStagingSuffix, lower + kBackupSuffix})
      if (!taken.insert(made).second) return FileListProblem::kCollision;
  }
  return FileListProblem::kOk;
}

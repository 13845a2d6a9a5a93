#include "updater/swap_journal.h"

#include "upgrade/version_file.h"

namespace {

const char kHeader[] = "Spruce swap journal 1";
const char kEnd[] = "end";
const char kLineEnd[] = "\r\n";
const char kHexDigits[] = "0123456789abcdef";

std::string Hex(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  for (unsigned char c : bytes) {
    out.push_back(kHexDigits[c >> 4]);
    out.push_back(kHexDigits[c & 15]);
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;  // upper case is not what the writer makes
}

bool Unhex(const std::string& hex, std::string& bytes) {
  if (hex.size() % 2 != 0) return false;
  bytes.clear();
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexValue(hex[i]), low = HexValue(hex[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return true;
}

// "<prefix> <0|1> <rest>": the flag and the rest of the line.
bool SplitFlagLine(const std::string& line, const std::string& prefix, bool& flag, std::string& rest) {
  if (line.size() < prefix.size() + 3 || line.compare(0, prefix.size(), prefix) != 0) return false;
  const size_t at = prefix.size();
  if (line[at] != ' ' || (line[at + 1] != '0' && line[at + 1] != '1') || line[at + 2] != ' ') return false;
  flag = line[at + 1] == '1';
  rest = line.substr(at + 3);
  return true;
}

}  // namespace

std::vector<std::string> SwapReservedNames() {
  const std::string v = kVersionDatName;
  return {v, v + kVersionFreshSuffix, v + kBackupSuffix, kSwapJournalName};
}

std::string FormatSwapJournal(const SwapJournal& journal) {
  std::string text = std::string(kHeader) + kLineEnd;
  text += std::string("version ") + (journal.hadVersion ? "1 " : "0 ") + Hex(journal.newVersion) + kLineEnd;
  for (const SwapJournal::File& file : journal.files)
    text += std::string("file ") + (file.hadOriginal ? "1 " : "0 ") + file.name + kLineEnd;
  return text + kEnd + kLineEnd;
}

bool ParseSwapJournal(const std::string& text, size_t folderLength, SwapJournal& journal) {
  if (text.size() > kMaxSwapJournalSize) return false;
  std::vector<std::string> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find(kLineEnd, start);
    if (end == std::string::npos) return false;  // torn in the middle of a line
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  if (lines.size() < 3 || lines.front() != kHeader || lines.back() != kEnd) return false;
  SwapJournal read;
  std::string hex;
  if (!SplitFlagLine(lines[1], "version", read.hadVersion, hex) || !Unhex(hex, read.newVersion))
    return false;
  if (read.newVersion.size() > kMaxInstalledVersionSize ||
      read.newVersion.find('\0') != std::string::npos)
    return false;
  std::vector<std::string> names;
  for (size_t i = 2; i + 1 < lines.size(); ++i) {
    SwapJournal::File file;
    if (!SplitFlagLine(lines[i], "file", file.hadOriginal, file.name)) return false;
    names.push_back(file.name);
    read.files.push_back(file);
  }
  if (names.size() > static_cast<size_t>(kMaxVersionFiles)) return false;
  if (CheckFileList(names, folderLength, SwapReservedNames()) != FileListProblem::kOk) return false;
  // Whatever the lines allowed beyond what the writer makes (none known) is
  // refused here: the text must be the one this journal formats to.
  if (FormatSwapJournal(read) != text) return false;
  journal = read;
  return true;
}

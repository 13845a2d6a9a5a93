#include "upgrade/version_file.h"

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
      ++info.fileCount;
    }
  }
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

bool IsNewerVersion(const std::string& installed, const std::string& server) {
  if (server.size() > kMaxInstalledVersionSize || server.find('\0') != std::string::npos)
    return false;
  return CompareVersionText(installed, server) < 0;
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

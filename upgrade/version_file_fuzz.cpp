// Feeds arbitrary bytes to the version-file reader and the name checks: the
// reader must stay within its 100 entries and keep only cleaned pieces, and
// every name it accepts as safe must be a plain file name. The input's first
// line and the rest are also compared as versions: the order must be
// consistent, and numbers that fit in 64 bits must compare as those numbers.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "upgrade/version_file.h"

static void Expect(bool ok) {
  if (!ok) std::abort();
}

// Pieces lose every double quote. (White space and line ends may stay inside
// a piece after a lone lead byte, which the double-byte-aware splitting and
// trimming read as the first half of a character.)
static bool Clean(const std::string& s) { return s.find('"') == std::string::npos; }

static int Sign(int v) { return (v > 0) - (v < 0); }

// The parts of a dotted decimal number of at most 18 digits a part (white
// space around it allowed), by a route of its own; false for anything else.
static bool SmallNumbers(const std::string& text, std::vector<uint64_t>& parts) {
  const char* blanks = " \t\r\n\v\f";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return false;
  const std::string core = text.substr(first, text.find_last_not_of(blanks) - first + 1);
  size_t start = 0;
  for (;;) {
    size_t end = core.find('.', start);
    if (end == std::string::npos) end = core.size();
    if (end == start || end - start > 18) return false;
    uint64_t value = 0;
    for (size_t i = start; i < end; ++i) {
      if (core[i] < '0' || core[i] > '9') return false;
      value = value * 10 + static_cast<uint64_t>(core[i] - '0');
    }
    parts.push_back(value);
    if (end == core.size()) return true;
    start = end + 1;
  }
}

static int CompareParts(std::vector<uint64_t> a, std::vector<uint64_t> b) {
  a.resize(a.size() > b.size() ? a.size() : b.size());
  b.resize(a.size());
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  VersionInfo info;
  ParseVersionText(text, info);
  Expect(info.fileCount >= 0 && info.fileCount <= kMaxVersionFiles);
  Expect(Clean(info.version) && Clean(info.upgradeUrl) && Clean(info.upgradeExec));
  std::vector<std::string> names;
  for (int i = 0; i < info.fileCount; ++i) {
    const std::string& name = info.fileNames[i];
    Expect(!name.empty());
    names.push_back(name);
    // A digest is taken only as written by Sha256Hex.
    if (info.fileHashed[i]) Expect(text.find(Sha256Hex(info.fileHashes[i])) != std::string::npos);
    if (CheckListedName(name, 40) != FileListProblem::kOk) continue;
    Expect(name.find_first_of("\\/:") == std::string::npos && name.find("..") == std::string::npos);
  }
  if (CheckFileList(names, 40, {"version.dat"}) == FileListProblem::kOk)
    for (const std::string& name : names) Expect(CheckListedName(name, 40) == FileListProblem::kOk);
  // Comparison is a consistent order.
  const int forward = CompareVersionText(info.version, text);
  const int backward = CompareVersionText(text, info.version);
  Expect((forward < 0) == (backward > 0) && (forward == 0) == (backward == 0));
  Expect(!IsNewerVersion(info.version, info.version));

  const size_t cut = text.find('\n');
  const std::string a = text.substr(0, cut), b = cut == std::string::npos ? "" : text.substr(cut + 1);
  const int ab = CompareVersions(a, b);
  Expect(Sign(ab) == -Sign(CompareVersions(b, a)) && CompareVersions(a, a) == 0);
  Expect(!(IsNewerVersion(a, b) && IsNewerVersion(b, a)));
  std::vector<uint64_t> aParts, bParts;
  if (SmallNumbers(a, aParts) && SmallNumbers(b, bParts)) Expect(Sign(ab) == CompareParts(aParts, bParts));
  return 0;
}

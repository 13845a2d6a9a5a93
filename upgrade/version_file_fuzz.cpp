// Feeds arbitrary bytes to the version-file reader and the name checks: the
// reader must stay within its 100 entries and keep only cleaned pieces, and
// every name it accepts as safe must be a plain file name.
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
  return 0;
}

#include "cleaner/junk_scanner.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "cleaner/safe_files.h"
#include "framework/raii.h"

namespace {

// The shell's recycle-bin query block: a 32-bit size, then the 64-bit total
// size and item count. The 32-bit shell packs it to 20 bytes; the 64-bit
// shell (Windows and Wine alike) aligns the 64-bit fields, 24 bytes. Reading
// it byte-packed on a 64-bit shell would take the size's upper half for the
// item count, so the packing follows the target.
#if defined(_WIN64)
#pragma pack(push, 8)
#else
#pragma pack(push, 1)
#endif
struct RecycleBinQuery {
  DWORD size;
  uint64_t totalSize;
  uint64_t itemCount;
};
#pragma pack(pop)
static_assert(sizeof(RecycleBinQuery) == (sizeof(void*) == 8 ? 24 : 20),
              "the recycle-bin query block has the shell's layout");

std::string FolderOf(int csidl) {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE)) return std::string();
  return path;
}

}  // namespace

int JunkScanner::ScanAll() {
  ScanRecycleBins();
  for (const std::string& folder : JunkFolders()) {
    if (StopRequested()) return 0;
    WalkFolder(folder);
  }
  return 0;
}

std::vector<std::string> JunkScanner::JunkFolders() {
  std::vector<std::string> folders;
  char path[MAX_PATH] = {};
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  if (n > 0 && n < MAX_PATH) folders.push_back(std::string(path) + "\\temp");

  // The long form in place; when it cannot be had the short form is walked.
  DWORD t = GetTempPathA(MAX_PATH, path);
  if (t > 0 && t < MAX_PATH) folders.push_back(LongPathOf(path));

  for (int csidl : {CSIDL_INTERNET_CACHE, CSIDL_COOKIES}) {
    std::string folder = FolderOf(csidl);
    if (!folder.empty()) folders.push_back(folder);
  }
  // A folder the user pointed at a drive root, the Windows folder or the
  // profile is not junk: it is not walked at all (every file in it would be
  // listed ticked, and deleted).
  folders.erase(std::remove_if(folders.begin(), folders.end(), IsGuardedCleanupFolder),
                folders.end());
  return folders;
}

void JunkScanner::ScanRecycleBins() {
  char root[] = "c:\\";
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    root[0] = letter;
    if (GetDriveTypeA(root) != DRIVE_FIXED) continue;
    const char upper = static_cast<char>(letter - 'a' + 'A');
    const char drive[] = {upper, ':', '\0'};
    RecycleBinQuery query = {};
    query.size = sizeof query;
    if (FAILED(SHQueryRecycleBinA(drive, reinterpret_cast<SHQUERYRBINFO*>(&query)))) return;
    if (query.itemCount == 0) continue;
    char path[64], name[32];
    std::snprintf(path, sizeof path, "%c 드라이브 휴지통", upper);
    std::snprintf(name, sizeof name, "%d 개",
                  static_cast<int>(static_cast<uint32_t>(query.itemCount)));
    Report(JunkItem{JunkItem::kRecycleBin, path, name, query.totalSize});
  }
}

void JunkScanner::WalkFolder(const std::string& folder) {
  OnFolderEntered(folder);
  WIN32_FIND_DATAA data;
  fw::FindHandle find(FindFirstFileA((folder + "\\*.*").c_str(), &data));
  if (!find.Valid()) return;
  do {
    if (StopRequested()) return;
    const char* name = data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      // A junction or directory link may lead anywhere (the Windows folder,
      // the user's documents): what lies behind it is not junk.
      if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
      WalkFolder(folder + "\\" + name);
      continue;
    }
    uint64_t size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    Report(JunkItem{JunkItem::kFile, folder, name, size});
  } while (FindNextFileA(find.Get(), &data));
}

void JunkScanner::Report(const JunkItem& item) {
  OnItemFound(item);
  ++found_;
  total_ += item.size;
}

#include "cleaner/junk_scanner.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdio>

#include "cleaner/safe_files.h"
#include "framework/raii.h"
#include "framework/shell.h"

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
    std::string folder = fw::SpecialFolderPath(csidl);
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
    uint64_t size = 0, items = 0;
    if (!fw::QueryRecycleBin(drive, size, items)) return;
    if (items == 0) continue;
    char path[64], name[32];
    std::snprintf(path, sizeof path, "%c 드라이브 휴지통", upper);
    std::snprintf(name, sizeof name, "%d 개",
                  static_cast<int>(static_cast<uint32_t>(items)));
    Report(JunkItem{JunkItem::kRecycleBin, path, name, size});
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

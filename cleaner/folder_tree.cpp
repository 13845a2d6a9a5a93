#include "cleaner/folder_tree.h"

#include <windows.h>

#include "cleaner/safe_files.h"
#include "framework/raii.h"
#include "framework/system_objects.h"

namespace {

bool IsDesktopIni(const char* name) { return lstrcmpiA(name, "desktop.ini") == 0; }

// Clears the read-only attribute of folder\name itself. Under Wine every
// file operation follows a Unix symbolic link, and Wine shows a link to a
// file as a plain file: SetFileAttributesA on it would change the target,
// which may be anywhere. So on the NT line the entry is opened (the link
// itself where the system has links) and its attributes are set through
// that handle only when the system names the opened object as the entry of
// its folder, the test the link-safe delete makes before it deletes.
class ReadOnlyClearer {
 public:
  // attributes: the entry's attributes as its folder listed them.
  void Clear(const std::string& folder, const std::string& name, DWORD attributes) {
    const std::string path = folder + "\\" + name;
    const DWORD readOnly = FILE_ATTRIBUTE_READONLY;
    // The 95/98/ME line has no links (and no calls to test for them).
    if (!fw::HasObjectCalls()) {
      const DWORD cleared = attributes & ~readOnly;
      SetFileAttributesA(path.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL);
      return;
    }
    fw::UniqueHandle entry(CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.Valid()) return;
    const std::wstring& folderName = FolderName(folder);
    if (folderName.empty() ||
        fw::Lower(fw::ObjectName(entry.Get())) != folderName + fw::LowerWide(name))
      return;
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(entry.Get(), &info))
      fw::SetAttributesOf(entry.Get(), info.dwFileAttributes & ~readOnly);
  }

 private:
  // The system's name of folder, lower-cased, with a final backslash; empty
  // when it cannot be had. Kept for the folder last asked for: a walk asks
  // for the same folder once per entry.
  const std::wstring& FolderName(const std::string& folder) {
    if (folder == folder_) return folderName_;
    folder_ = folder;
    fw::UniqueHandle handle(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    folderName_ = handle.Valid() ? fw::Lower(fw::ObjectName(handle.Get())) : std::wstring();
    // A drive's root is named with its backslash, other folders without.
    if (!folderName_.empty() && folderName_.back() != L'\\') folderName_ += L'\\';
    return folderName_;
  }

  std::string folder_;
  std::wstring folderName_;
};

class FolderEmptier {
 public:
  void Empty(const std::string& folder) {
    WIN32_FIND_DATAA data;
    fw::FindHandle find(FindFirstFileA((folder + "\\*.*").c_str(), &data));
    if (!find.Valid()) return;
    do {
      const char* name = data.cFileName;
      if (lstrcmpA(name, ".") == 0 || lstrcmpA(name, "..") == 0) continue;
      const DWORD attributes = data.dwFileAttributes;
      const bool directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      if (!directory && IsDesktopIni(name)) continue;
      // A junction or a folder link: what it points to is not a trace of
      // this folder, and removing the link itself could reach through it.
      if (directory && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) continue;
      if (attributes & FILE_ATTRIBUTE_READONLY) readOnly_.Clear(folder, name, attributes);
      if (directory) {
        const std::string path = folder + "\\" + name;
        Empty(path);
        // Fails silently when something stayed inside (a desktop.ini).
        RemoveDirectoryA(path.c_str());
      } else {
        // A file in use or a link stays without notice.
        deleter_.Delete(folder, name);
      }
    } while (FindNextFileA(find.Get(), &data));
  }

 private:
  LinkSafeDeleter deleter_;
  ReadOnlyClearer readOnly_;
};

}  // namespace

void EmptyFolderTree(const std::string& folder) {
  FolderEmptier emptier;
  emptier.Empty(folder);
}

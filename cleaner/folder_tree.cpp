#include "cleaner/folder_tree.h"

#include <windows.h>

#include "cleaner/safe_files.h"
#include "framework/raii.h"

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
  ReadOnlyClearer() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    if (!ntdll) return;
    queryObject_ = reinterpret_cast<QueryObjectFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryObject")));
    setInformation_ = reinterpret_cast<SetInformationFn>(
        reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")));
  }

  // attributes: the entry's attributes as its folder listed them.
  void Clear(const std::string& folder, const std::string& name, DWORD attributes) {
    const std::string path = folder + "\\" + name;
    DWORD cleared = attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    // The 95/98/ME line has no links (and no ntdll calls to test for them).
    if (!queryObject_ || !setInformation_) {
      SetFileAttributesA(path.c_str(), cleared ? cleared : FILE_ATTRIBUTE_NORMAL);
      return;
    }
    fw::UniqueHandle entry(CreateFileA(
        path.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry.Valid()) return;
    const std::wstring folderName = FolderName(folder);
    if (folderName.empty() || NameOf(entry.Get()) != folderName + Lower(Wide(name))) return;
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(entry.Get(), &info)) return;
    cleared = info.dwFileAttributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
    BasicInformation basic = {};  // zero times: left as they are
    basic.attributes = cleared ? cleared : FILE_ATTRIBUTE_NORMAL;
    IoStatus io = {};
    setInformation_(entry.Get(), &io, &basic, sizeof basic, kFileBasicInformation);
  }

 private:
  struct IoStatus {
    union {
      LONG status;
      void* pointer;
    };
    ULONG_PTR information;
  };
  struct BasicInformation {
    LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
    ULONG attributes;
  };
  struct CountedString {
    USHORT length;  // bytes
    USHORT maximumLength;
    wchar_t* buffer;
  };
  using QueryObjectFn = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  using SetInformationFn = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
  static constexpr int kObjectNameInformation = 1;
  static constexpr int kFileBasicInformation = 4;

  static std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()),
                                      &wide[0], static_cast<int>(wide.size()));
    wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return wide;
  }
  static std::wstring Lower(std::wstring text) {
    if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
  }

  // The system's name of folder with a final backslash; empty when it cannot
  // be had. Remembered for the folder last asked for: a walk asks for the
  // same folder once per entry.
  const std::wstring& FolderName(const std::string& folder) {
    if (folder == folder_) return folderName_;
    folder_ = folder;
    fw::UniqueHandle handle(CreateFileA(folder.c_str(), FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
    folderName_ = handle.Valid() ? NameOf(handle.Get()) : std::wstring();
    // A drive's root is named with its backslash, other folders without.
    if (!folderName_.empty() && folderName_.back() != L'\\') folderName_ += L'\\';
    return folderName_;
  }

  // The lower-cased name of the object behind handle; empty on failure.
  std::wstring NameOf(HANDLE handle) const {
    union {
      CountedString name;
      BYTE bytes[4096];
    } info;
    ULONG got = 0;
    if (queryObject_(handle, kObjectNameInformation, &info, sizeof info, &got) < 0 ||
        !info.name.buffer)
      return std::wstring();
    return Lower(std::wstring(info.name.buffer, info.name.length / sizeof(wchar_t)));
  }

  QueryObjectFn queryObject_ = nullptr;
  SetInformationFn setInformation_ = nullptr;
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

// ForceDel.dll as the forced-delete tool loads it: a file another process
// holds open is freed and deleted, what cannot be freed is scheduled for the
// next start and answered 0.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/raii.h"
#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

using DeleteFunction = int(__cdecl*)(const char*);

const char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const char kPending[] = "PendingFileRenameOperations";

class ForceDelLibrary {
 public:
  ForceDelLibrary() : module_(LoadLibraryA((BinFolder() + "\\ForceDel.dll").c_str())) {
    if (module_)
      delete_ = reinterpret_cast<DeleteFunction>(
          reinterpret_cast<void*>(GetProcAddress(module_, "Delete")));
  }
  ~ForceDelLibrary() {
    if (module_) FreeLibrary(module_);
  }
  bool Loaded() const { return delete_ != nullptr; }
  int Delete(const std::string& path) const { return delete_(path.c_str()); }

 private:
  HMODULE module_;
  DeleteFunction delete_ = nullptr;
};

// True while some process holds path open without sharing writes.
bool IsHeld(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

// The pending restart operations, one string each (a deletion is a name
// followed by an empty string).
std::vector<std::string> PendingOperations() {
  std::vector<std::string> entries;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return entries;
  DWORD size = 0, type = 0;
  if (RegQueryValueExA(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && size) {
    std::string data(size, '\0');
    RegQueryValueExA(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    data.resize(size);
    for (size_t start = 0; start < data.size();) {
      size_t end = data.find('\0', start);
      if (end == std::string::npos) end = data.size();
      entries.push_back(data.substr(start, end - start));
      start = end + 1;
    }
  }
  RegCloseKey(key);
  return entries;
}

bool IsScheduled(const std::string& path) {
  for (const std::string& entry : PendingOperations())
    if (lstrcmpiA(entry.c_str(), ("\\??\\" + path).c_str()) == 0) return true;
  return false;
}

// Puts the pending operations back as they were before a test.
class PendingOperationsScope {
 public:
  PendingOperationsScope() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return;
    DWORD size = 0, type = 0;
    had_ = RegQueryValueExA(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    data_.resize(size);
    if (had_ && size)
      RegQueryValueExA(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(&data_[0]), &size);
    RegCloseKey(key);
  }
  ~PendingOperationsScope() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
      return;
    if (had_)
      RegSetValueExA(key, kPending, 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(data_.data()),
                     static_cast<DWORD>(data_.size()));
    else
      RegDeleteValueA(key, kPending);
    RegCloseKey(key);
  }

 private:
  bool had_ = false;
  std::string data_;
};

TEST(ForceDelLibrary, ExportsDeleteUndecoratedAndDeletesPlainAndProtectedFiles) {
  ForceDelLibrary library;
  ASSERT_TRUE(library.Loaded());
  PendingOperationsScope pending;
  TempFolder folder("forcedel");
  const std::string plain = folder.File("plain.txt"), guarded = folder.File("보호된 파일.txt");
  ASSERT_TRUE(WriteFileBytes(plain, "plain"));
  ASSERT_TRUE(WriteFileBytes(guarded, "guarded"));
  ASSERT_TRUE(SetFileAttributesA(guarded.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                                      FILE_ATTRIBUTE_SYSTEM));
  EXPECT_EQ(library.Delete(plain), 1);
  EXPECT_EQ(library.Delete(guarded), 1);
  EXPECT_FALSE(FileExists(plain));
  EXPECT_FALSE(FileExists(guarded));

  // A path that does not exist, or a folder, is answered 0 with nothing
  // scheduled.
  EXPECT_EQ(library.Delete(plain), 0);
  EXPECT_EQ(library.Delete(folder.Path()), 0);
  EXPECT_EQ(library.Delete(""), 0);
  EXPECT_TRUE(FileExists(folder.Path()));
  EXPECT_FALSE(IsScheduled(plain));
  EXPECT_FALSE(IsScheduled(folder.Path()));
}

TEST(ForceDelLibrary, FreesAFileAnotherProcessHoldsOpenAndDeletesIt) {
  ForceDelLibrary library;
  ASSERT_TRUE(library.Loaded());
  PendingOperationsScope pending;
  TempFolder folder("forcedel-held");
  const std::string path = folder.File("locked.doc");
  fw::UniqueHandle holder(
      StartProcess("\"" + BinFolder() + "\\hold_file.exe\" \"" + path + "\"", folder.Path()));
  ASSERT_TRUE(holder.Valid());
  for (int i = 0; i < 400 && !IsHeld(path); ++i) Sleep(25);
  ASSERT_TRUE(IsHeld(path));
  ASSERT_FALSE(DeleteFileA(path.c_str()));  // ordinary deletion is refused

  EXPECT_EQ(library.Delete(path), 1);
  EXPECT_FALSE(FileExists(path));
  EXPECT_FALSE(IsScheduled(path));
  // The holder's handle was closed inside the holder, which lives on and
  // notices: it ends with code 3.
  ASSERT_EQ(WaitForSingleObject(holder.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(holder.Get(), &code);
  EXPECT_EQ(code, 3u);
}

TEST(ForceDelLibrary, SchedulesWhatItMayNotFreeAndAnswersZero) {
  ForceDelLibrary library;
  ASSERT_TRUE(library.Loaded());
  PendingOperationsScope pending;
  TempFolder folder("forcedel-own");
  const std::string path = folder.File("own.txt");
  ASSERT_TRUE(WriteFileBytes(path, "own"));
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  // Held by the calling process itself, whose handles the library never
  // closes: the deletion waits for the next start.
  fw::UniqueHandle own(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(own.Valid());

  EXPECT_EQ(library.Delete(path), 0);
  EXPECT_TRUE(FileExists(path));
  EXPECT_TRUE(IsScheduled(path));
  DWORD flags = 0;
  EXPECT_TRUE(GetHandleInformation(own.Get(), &flags));  // still ours
  char byte = 0;
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(own.Get(), &byte, 1, &got, nullptr));
  EXPECT_EQ(byte, 'o');
}

}  // namespace

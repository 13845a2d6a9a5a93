// ForceDel.dll as the forced-delete tool loads it: a file another process
// holds open is freed and deleted, what cannot be freed is scheduled for the
// next start and answered 0; no other program loses a handle unless it is
// what stops the deletion, and a link is never followed.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

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

// The raw pending restart operations; false when there are none.
bool ReadPending(std::string& data) {
  data.clear();
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  DWORD size = 0, type = 0;
  bool found = RegQueryValueExA(key, kPending, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
  data.resize(size);
  if (found && size)
    found = RegQueryValueExA(key, kPending, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]),
                             &size) == ERROR_SUCCESS;
  RegCloseKey(key);
  return found;
}

// Whether path is among the pending restart operations (a deletion is the
// file's name followed by an empty string).
bool IsScheduled(const std::string& path) {
  std::string data;
  ReadPending(data);
  const std::string name = "\\??\\" + path;
  for (size_t start = 0; start < data.size();) {
    size_t end = data.find('\0', start);
    if (end == std::string::npos) end = data.size();
    if (lstrcmpiA(data.substr(start, end - start).c_str(), name.c_str()) == 0) return true;
    start = end + 1;
  }
  return false;
}

// Puts the pending operations back as they were before a test.
class PendingOperationsScope {
 public:
  PendingOperationsScope() { had_ = ReadPending(data_); }
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

// The library as the tool loads it; the restart operations it schedules
// are taken back afterwards.
class ForceDelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library.Loaded()); }
  ForceDelLibrary library;
  PendingOperationsScope pending;
};

TEST_F(ForceDelTest, ExportsDeleteUndecoratedAndDeletesPlainAndProtectedFiles) {
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

TEST_F(ForceDelTest, FreesAFileAnotherProcessHoldsOpenAndDeletesIt) {
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

TEST_F(ForceDelTest, SchedulesWhatItMayNotFreeAndAnswersZero) {
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

TEST_F(ForceDelTest, LeavesOtherProgramsHandlesAloneWhenNoHolderStopsTheDeletion) {
  // A running program cannot be deleted, whoever has its file open: here a
  // copy of the holder, which holds its own file open sharing everything,
  // as a viewer would. Closing its handle would not help and would hurt it.
  TempFolder folder("forcedel-running");
  const std::string path = folder.File("running.exe");
  ASSERT_TRUE(CopyFileA((BinFolder() + "\\hold_file.exe").c_str(), path.c_str(), FALSE));
  fw::UniqueHandle holder(StartProcess("\"" + path + "\" \"" + path + "\" share-all", folder.Path()));
  ASSERT_TRUE(holder.Valid());
  for (int i = 0; i < 400 && !FileExists(path + ".ready"); ++i) Sleep(25);
  ASSERT_TRUE(FileExists(path + ".ready"));
  ASSERT_FALSE(DeleteFileA(path.c_str()));
  ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  EXPECT_EQ(library.Delete(path), 0);
  EXPECT_TRUE(FileExists(path));
  // The holder's handle still reads its file when asked to end: code 0
  // (3 when the handle was closed from outside).
  ASSERT_TRUE(WriteFileBytes(path + ".done", ""));
  ASSERT_EQ(WaitForSingleObject(holder.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(holder.Get(), &code);
  EXPECT_EQ(code, 0u);
}

TEST_F(ForceDelTest, NeverDeletesWhatALinkPointsTo) {
  // Under Wine every file operation on a link reaches its target: a link in
  // the list must not cost the file it points to.
  TempFolder canary("forcedel-canary"), links("forcedel-links");
  const std::string target = canary.File("canary.txt"), link = links.File("link.txt");
  ASSERT_TRUE(WriteFileBytes(target, "canary"));
  const std::string unixLink = UnixFileName(links.Path()) + "/link.txt";
  ASSERT_FALSE(unixLink.empty());
  struct Unlink {
    std::string unixLink, link;
    ~Unlink() {
      // Plain deletion would take the canary with it.
      RunUnixCommand("/bin/rm -f " + unixLink, [this] { return !FileExists(link); });
    }
  } unlink{unixLink, link};
  RunUnixCommand("/bin/ln -s " + UnixFileName(target) + " " + unixLink,
                 [&] { return FileExists(link); });
  ASSERT_EQ(ReadFileBytes(link), "canary");

  EXPECT_EQ(library.Delete(link), 0);
  EXPECT_EQ(ReadFileBytes(target), "canary");
  EXPECT_EQ(ReadFileBytes(link), "canary");  // the link stays, still pointing there
  EXPECT_FALSE(IsScheduled(link));
  EXPECT_FALSE(IsScheduled(target));
}

}  // namespace

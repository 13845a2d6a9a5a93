// The junk scan never walks a temp, cache or cookie folder that the user
// pointed at a drive root, the Windows or system folder, the profile,
// Desktop or My Documents: the real folders of the test prefix.
#include "cleaner/junk_scanner.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "cleaner/safe_files.h"
#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

const char kShellFolders[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

std::string Special(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

std::string WindowsFolder() {
  char path[MAX_PATH] = {};
  GetWindowsDirectoryA(path, MAX_PATH);
  return path;
}

std::string SystemFolder() {
  char path[MAX_PATH] = {};
  GetSystemDirectoryA(path, MAX_PATH);
  return path;
}

bool Lists(const std::vector<std::string>& folders, const std::string& folder) {
  const std::string key = LongPathOf(folder);
  return std::any_of(folders.begin(), folders.end(), [&](const std::string& f) {
    return lstrcmpiA(LongPathOf(f).c_str(), key.c_str()) == 0 ||
           lstrcmpiA((LongPathOf(f) + "\\").c_str(), key.c_str()) == 0 ||
           lstrcmpiA(LongPathOf(f).c_str(), (key + "\\").c_str()) == 0;
  });
}

// Sets an environment variable of this process for a scope.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    char old[MAX_PATH * 2] = {};
    DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
    had_ = n > 0 && n < sizeof old;
    old_ = old;
    SetEnvironmentVariableA(name, value.c_str());
  }
  ~ScopedEnv() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const char* name_;
  std::string old_;
  bool had_;
};

// Points a shell folder of the user at another folder for a scope.
class ScopedShellFolder {
 public:
  ScopedShellFolder(const char* value, const std::string& folder) : value_(value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
      return;
    key_ = key;
    char old[1024] = {};
    DWORD size = sizeof old - 1, type = 0;
    had_ = RegQueryValueExA(key_, value_, nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
           ERROR_SUCCESS;
    oldType_ = type;
    old_.assign(old, size);
    RegSetValueExA(key_, value_, 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
  }
  ~ScopedShellFolder() {
    if (!key_) return;
    if (had_)
      RegSetValueExA(key_, value_, 0, oldType_, reinterpret_cast<const BYTE*>(old_.data()),
                     static_cast<DWORD>(old_.size()));
    else
      RegDeleteValueA(key_, value_);
    RegCloseKey(key_);
  }
  bool Set() const { return key_ != nullptr; }

 private:
  const char* value_;
  HKEY key_ = nullptr;
  bool had_ = false;
  DWORD oldType_ = REG_SZ;
  std::string old_;
};

}  // namespace

TEST(GuardedFolders, ATempFolderSetToAProtectedFolderIsNotWalked) {
  const std::vector<std::string> before = JunkScanner::JunkFolders();
  ASSERT_EQ(before.size(), 4u);
  const std::string profile = Special(CSIDL_PROFILE);
  ASSERT_FALSE(profile.empty());
  for (const std::string& dangerous :
       {std::string("C:\\"), WindowsFolder(), SystemFolder(), profile,
        Special(CSIDL_DESKTOPDIRECTORY), Special(CSIDL_PERSONAL), profile + "\\.."}) {
    ScopedEnv tmp("TMP", dangerous);
    ScopedEnv temp("TEMP", dangerous);
    const std::vector<std::string> folders = JunkScanner::JunkFolders();
    // The Windows temp folder, the cache and the cookies are still walked.
    EXPECT_EQ(folders.size(), 3u) << dangerous;
    EXPECT_TRUE(Lists(folders, before[0])) << dangerous;
    EXPECT_TRUE(Lists(folders, before[2])) << dangerous;
    EXPECT_TRUE(Lists(folders, before[3])) << dangerous;
  }
  // An ordinary folder of the user's is walked as before.
  TempFolder own("guard");
  ScopedEnv tmp("TMP", own.Path());
  ScopedEnv temp("TEMP", own.Path());
  EXPECT_TRUE(Lists(JunkScanner::JunkFolders(), own.Path()));
}

TEST(GuardedFolders, ACacheOrCookieFolderPointedAtTheProfileIsNotWalked) {
  const std::string profile = Special(CSIDL_PROFILE);
  const std::string desktop = Special(CSIDL_DESKTOPDIRECTORY);
  {
    ScopedShellFolder cache("Cache", profile);
    ASSERT_TRUE(cache.Set());
    ASSERT_TRUE(Lists({Special(CSIDL_INTERNET_CACHE)}, profile))
        << "the shell must report the folder set: " << Special(CSIDL_INTERNET_CACHE);
    const std::vector<std::string> folders = JunkScanner::JunkFolders();
    EXPECT_EQ(folders.size(), 3u);
    EXPECT_FALSE(Lists(folders, profile));
  }
  {
    ScopedShellFolder cookies("Cookies", desktop);
    ASSERT_TRUE(cookies.Set());
    const std::vector<std::string> folders = JunkScanner::JunkFolders();
    EXPECT_EQ(folders.size(), 3u);
    EXPECT_FALSE(Lists(folders, desktop));
  }
  EXPECT_EQ(JunkScanner::JunkFolders().size(), 4u);
}

// The eleven operations against the real registry, web cache and folders of
// the test prefix: what each removes, what it must leave, and the links and
// guarded folders it must never reach through.
#include "cleaner/privacy_traces.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cleaner/folder_tree.h"
#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

const char kWordPad[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";
const char kMediaFiles[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const char kMediaUrls[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList";
const char kMessenger[] = "Software\\Microsoft\\MSNMessenger";
const char kIntelliForms[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char kRecentDocs[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";
const char kProvider[] = "Software\\Microsoft\\Protected Storage System Provider\\";
const char kFormData[] = "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";

void SetValue(HKEY root, const std::string& key, const std::string& name, const std::string& data) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(k);
}

bool KeyExists(HKEY root, const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

// The values of a key; -1 when it does not open.
int ValueCount(HKEY root, const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
  DWORD values = 0;
  RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return static_cast<int>(values);
}

// "<type>:<data>" of a string value, or "missing".
std::string StringValue(HKEY root, const std::string& key, const std::string& name) {
  char data[512] = {};
  DWORD size = sizeof data - 1, type = 0;
  HKEY k;
  if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return "missing";
  const LONG r =
      RegQueryValueExA(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(k);
  return r == ERROR_SUCCESS ? std::to_string(type) + ":" + data : "missing";
}

std::string Special(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

bool IsReadOnly(const std::string& path) {
  const DWORD a = GetFileAttributesA(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_READONLY);
}

// Plants one trace tree in folder, under a name of its own:
//   <tag>\plain.txt, <tag>\ro.txt (read-only), <tag>\desktop.ini,
//   <tag>\kept\DESKTOP.INI, <tag>\kept\gone.txt,
//   <tag>\rodir (read-only folder)\deep\ro.txt (read-only)
// and returns <tag>'s path.
std::string PlantTree(const std::string& folder, const std::string& tag) {
  const std::string root = folder + "\\" + tag;
  CreateDirectoryA(folder.c_str(), nullptr);
  CreateDirectoryA(root.c_str(), nullptr);
  CreateDirectoryA((root + "\\kept").c_str(), nullptr);
  CreateDirectoryA((root + "\\rodir").c_str(), nullptr);
  CreateDirectoryA((root + "\\rodir\\deep").c_str(), nullptr);
  for (const char* file : {"plain.txt", "ro.txt", "desktop.ini", "kept\\DESKTOP.INI",
                           "kept\\gone.txt", "rodir\\deep\\ro.txt"})
    WriteFileBytes(root + "\\" + file, file);
  SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((root + "\\rodir\\deep\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((root + "\\rodir").c_str(), FILE_ATTRIBUTE_READONLY);
  return root;
}

void ExpectTreeCleared(const std::string& root) {
  EXPECT_TRUE(FileExists(root + "\\desktop.ini")) << root;
  EXPECT_TRUE(FileExists(root + "\\kept\\DESKTOP.INI")) << root;
  EXPECT_FALSE(FileExists(root + "\\kept\\gone.txt")) << root;
  EXPECT_FALSE(FileExists(root + "\\plain.txt")) << root;
  EXPECT_FALSE(FileExists(root + "\\ro.txt")) << root;
  EXPECT_FALSE(FileExists(root + "\\rodir")) << root;
}

// An entry of the web cache, of the given type.
bool PlantCacheEntry(const std::string& url, DWORD type) {
  char local[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), 0, "txt", local, 0)) return false;
  if (!WriteFileBytes(local, "cached")) return false;
  FILETIME never = {};
  return CommitUrlCacheEntryA(url.c_str(), local, never, never, type, nullptr, 0, nullptr,
                              nullptr) != FALSE;
}

bool IsCached(const std::string& url) {
  DWORD size = 0;
  if (GetUrlCacheEntryInfoA(url.c_str(), nullptr, &size)) return true;
  return GetLastError() == ERROR_INSUFFICIENT_BUFFER;
}

// Makes link a Unix symbolic link to target, the way links reach a Wine
// prefix: Wine shows a link to a folder as a reparse point and a link to a
// file as the file itself (and follows it in every file operation).
bool MakeUnixLink(const std::string& target, const std::string& link) {
  RunUnixCommand("/bin/ln -s \"" + UnixFileName(target) + "\" \"" + UnixFileName(link) + "\"",
          [&] { return FileExists(link); });
  return FileExists(link);
}

// Removes a link itself (every Windows call would reach its target).
void RemoveUnixLink(const std::string& link) {
  RunUnixCommand("/bin/rm -f \"" + UnixFileName(link) + "\"", [&] { return !FileExists(link); });
}

// Points a user shell folder (a value of "User Shell Folders") elsewhere
// for a scope.
class ShellFolderScope {
 public:
  ShellFolderScope(const char* value, const std::string& folder) : value_(value) {
    old_ = StringValue(HKEY_CURRENT_USER, kShellFolders, value);
    type_ = REG_SZ;
    if (old_ != "missing") {
      type_ = static_cast<DWORD>(std::stoul(old_.substr(0, old_.find(':'))));
      old_ = old_.substr(old_.find(':') + 1);
    }
    Write(REG_SZ, folder);
  }
  ~ShellFolderScope() {
    if (old_ == "missing") {
      HKEY k;
      if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
        RegDeleteValueA(k, value_);
        RegCloseKey(k);
      }
    } else {
      Write(type_, old_);
    }
  }

 private:
  static constexpr const char* kShellFolders =
      "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  void Write(DWORD type, const std::string& data) {
    HKEY k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kShellFolders, 0, KEY_SET_VALUE, &k) != ERROR_SUCCESS)
      return;
    RegSetValueExA(k, value_, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(k);
  }
  const char* value_;
  std::string old_;
  DWORD type_;
};

std::string UserSidText() {
  HANDLE token = nullptr;
  OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
  BYTE buffer[512];
  DWORD size = sizeof buffer;
  GetTokenInformation(token, TokenUser, buffer, size, &size);
  CloseHandle(token);
  char* text = nullptr;
  ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text);
  std::string sid = text ? text : "";
  LocalFree(text);
  return sid;
}

std::string LogonName() {
  char name[260] = {};
  DWORD size = sizeof name;
  GetUserNameA(name, &size);
  return name;
}

// A key's access list as text; "none" when it cannot be read.
std::string AccessList(const std::string& key) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, READ_CONTROL, &k) != ERROR_SUCCESS)
    return "none";
  BYTE descriptor[4096];
  DWORD size = sizeof descriptor;
  const LONG r = RegGetKeySecurity(k, DACL_SECURITY_INFORMATION, descriptor, &size);
  RegCloseKey(k);
  char* text = nullptr;
  if (r != ERROR_SUCCESS ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                            DACL_SECURITY_INFORMATION, &text, nullptr))
    return "none";
  std::string list = text;
  LocalFree(text);
  return list;
}

bool SetAccessList(const std::string& key, const std::string& sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  HKEY k;
  LONG r = RegOpenKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, WRITE_DAC, &k);
  if (r == ERROR_SUCCESS) {
    r = RegSetKeySecurity(k, DACL_SECURITY_INFORMATION, descriptor);
    RegCloseKey(k);
  }
  LocalFree(descriptor);
  return r == ERROR_SUCCESS;
}

TEST(PrivacyTraces, RegistryOperationsRemoveExactlyTheirTraces) {
  SetValue(HKEY_CURRENT_USER, std::string(kIntelliForms) + "\\Storage2", "site", "secret");
  SetValue(HKEY_CURRENT_USER, kTypedUrls, "url1", "http://spruce.test/");
  SetValue(HKEY_CURRENT_USER, kRunMru, "a", "notepad\\1");
  SetValue(HKEY_CURRENT_USER, kWordPad, "File1", "C:\\letter.doc");
  SetValue(HKEY_CURRENT_USER, kWordPad, "File2", "C:\\memo.rtf");
  SetValue(HKEY_CURRENT_USER, std::string(kWordPad) + "\\Sub", "kept", "sub");
  SetValue(HKEY_CURRENT_USER, kMediaFiles, "File0", "C:\\song.mp3");
  SetValue(HKEY_CURRENT_USER, kMediaUrls, "URL0", "http://spruce.test/radio.asx");
  SetValue(HKEY_CURRENT_USER, kMessenger, "User.NET Messenger Service", "me@spruce.test");
  SetValue(HKEY_CURRENT_USER, kMessenger, "Other", "kept");
  // A neighbour of the deleted keys.
  SetValue(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\SpruceNeighbour", "v", "1");

  ClearIntelliForms();
  ClearTypedUrls();
  ClearRunHistory();
  ClearWordPadRecent();
  ClearMediaPlayerRecent();
  ClearMessengerId();

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kIntelliForms));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypedUrls));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRunMru));
  // The lists' values go, their keys (and subkeys) stay.
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kWordPad), 0);
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, std::string(kWordPad) + "\\Sub"));
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kMediaFiles), 0);
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, kMediaUrls), 0);
  // The sign-in name is emptied as a string, not deleted.
  EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kMessenger, "User.NET Messenger Service"), "1:");
  EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kMessenger, "Other"), "1:kept");
  EXPECT_EQ(ValueCount(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\SpruceNeighbour"),
            1);
  DeleteKeyTree(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\SpruceNeighbour");
  DeleteKeyTree(HKEY_CURRENT_USER, kMessenger);
}

TEST(PrivacyTraces, MissingKeysAreNeverCreated) {
  DeleteKeyTree(HKEY_CURRENT_USER, kMediaFiles);
  DeleteKeyTree(HKEY_CURRENT_USER, kMessenger);
  DeleteKeyTree(HKEY_CURRENT_USER, kWordPad);
  DeleteKeyTree(HKEY_CURRENT_USER, kTypedUrls);
  DeleteKeyTree(HKEY_CURRENT_USER, kIntelliForms);
  SetValue(HKEY_CURRENT_USER, kMediaUrls, "URL0", "http://spruce.test/radio.asx");

  ClearMediaPlayerRecent();
  ClearMessengerId();
  ClearWordPadRecent();
  ClearTypedUrls();
  ClearIntelliForms();
  ClearProtectedStorage();

  // Without the first list the second is not visited.
  EXPECT_EQ(StringValue(HKEY_CURRENT_USER, kMediaUrls, "URL0"), "1:http://spruce.test/radio.asx");
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMediaFiles));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kMessenger));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kWordPad));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kTypedUrls));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kIntelliForms));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProvider + UserSidText()));
  DeleteKeyTree(HKEY_CURRENT_USER, kMediaUrls);
}

TEST(PrivacyTraces, TraceFoldersAreEmptiedKeepingDesktopIni) {
  const std::string cookies = Special(CSIDL_COOKIES), cache = Special(CSIDL_INTERNET_CACHE),
                    recent = Special(CSIDL_RECENT);
  ASSERT_FALSE(cookies.empty());
  ASSERT_FALSE(cache.empty());
  ASSERT_FALSE(recent.empty());
  const std::string cookieTree = PlantTree(cookies, "spruce-cookies");
  const std::string cacheTree = PlantTree(cache, "spruce-cache");
  const std::string recentTree = PlantTree(recent, "spruce-recent");
  ASSERT_TRUE(WriteFileBytes(recent + "\\spruce-document.txt.lnk", "link"));
  ASSERT_TRUE(WriteFileBytes(cookies + "\\Desktop.ini", "[.ShellClassInfo]"));
  SetValue(HKEY_CURRENT_USER, std::string(kRecentDocs) + "\\.txt", "0", "spruce");

  ClearCookies();
  ExpectTreeCleared(cookieTree);
  EXPECT_TRUE(FileExists(cookies + "\\Desktop.ini"));
  EXPECT_TRUE(FileExists(cacheTree + "\\plain.txt"));  // not this operation's folder

  ClearTemporaryInternetFiles();
  ExpectTreeCleared(cacheTree);

  ClearRecentDocuments();
  ExpectTreeCleared(recentTree);
  EXPECT_FALSE(FileExists(recent + "\\spruce-document.txt.lnk"));
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kRecentDocs));
  for (const std::string& tree : {cookieTree, cacheTree, recentTree}) RemoveTree(tree);
  DeleteFileA((cookies + "\\Desktop.ini").c_str());
}

TEST(PrivacyTraces, WebCacheEntriesAreDeletedByKind) {
  // Wine does not make the cache's folders again once a clearing has
  // removed them (on Windows each holds a desktop.ini and stays): a new
  // index, made before this process first uses the cache, makes them anew.
  DeleteFileA((Special(CSIDL_INTERNET_CACHE) + "\\Content.IE5\\index.dat").c_str());
  const std::string page = "http://spruce.test/page-" + std::to_string(GetCurrentProcessId());
  const std::string cookie = "Cookie:spruce@spruce.test/" + std::to_string(GetCurrentProcessId());
  ASSERT_TRUE(PlantCacheEntry(page, NORMAL_CACHE_ENTRY));
  ASSERT_TRUE(PlantCacheEntry(cookie, COOKIE_CACHE_ENTRY));
  ASSERT_TRUE(IsCached(page));
  ASSERT_TRUE(IsCached(cookie));

  EXPECT_TRUE(DeleteUrlCacheEntries(UrlCacheKind::kCookies));
  EXPECT_FALSE(IsCached(cookie));
  EXPECT_TRUE(IsCached(page));
  EXPECT_TRUE(DeleteUrlCacheEntries(UrlCacheKind::kOthers));
  EXPECT_FALSE(IsCached(page));
  // An empty cache: the enumeration does not start.
  EXPECT_FALSE(DeleteUrlCacheEntries(UrlCacheKind::kOthers));
}

TEST(PrivacyTraces, LinksInsideTraceFoldersLeaveTheirTargetsAlone) {
  TempFolder canary("privacy-canary");
  ASSERT_TRUE(WriteFileBytes(canary.File("precious.txt"), "precious"));
  ASSERT_TRUE(WriteFileBytes(canary.File("locked.txt"), "locked"));
  ASSERT_TRUE(SetFileAttributesA(canary.File("locked.txt").c_str(), FILE_ATTRIBUTE_READONLY));
  CreateDirectoryA(canary.File("inner").c_str(), nullptr);
  ASSERT_TRUE(WriteFileBytes(canary.File("inner\\deep.txt"), "deep"));
  const std::string cookies = Special(CSIDL_COOKIES) + "\\spruce-links";
  const std::string recent = Special(CSIDL_RECENT) + "\\spruce-links";
  CreateDirectoryA(cookies.c_str(), nullptr);
  CreateDirectoryA(recent.c_str(), nullptr);
  ASSERT_TRUE(MakeUnixLink(canary.Path(), cookies + "\\folder-link"));
  ASSERT_TRUE(MakeUnixLink(canary.File("precious.txt"), cookies + "\\file-link.txt"));
  ASSERT_TRUE(MakeUnixLink(canary.Path(), recent + "\\folder-link"));
  ASSERT_TRUE(MakeUnixLink(canary.File("locked.txt"), recent + "\\locked-link.txt"));
  ASSERT_TRUE(MakeUnixLink(canary.File("precious.txt"), recent + "\\file-link.txt"));

  ClearCookies();
  ClearRecentDocuments();

  EXPECT_EQ(ReadFileBytes(canary.File("precious.txt")), "precious");
  EXPECT_EQ(ReadFileBytes(canary.File("locked.txt")), "locked");
  EXPECT_TRUE(IsReadOnly(canary.File("locked.txt")));
  EXPECT_EQ(ReadFileBytes(canary.File("inner\\deep.txt")), "deep");
  // The links are left where they are, and so are the folders holding them.
  EXPECT_TRUE(FileExists(cookies + "\\folder-link"));
  EXPECT_TRUE(FileExists(recent + "\\folder-link"));
  for (const char* link : {"\\folder-link", "\\file-link.txt"}) {
    RemoveUnixLink(cookies + link);
    RemoveUnixLink(recent + link);
  }
  RemoveUnixLink(recent + "\\locked-link.txt");
  RemoveDirectoryA(cookies.c_str());
  RemoveDirectoryA(recent.c_str());
  EXPECT_EQ(ReadFileBytes(canary.File("inner\\deep.txt")), "deep");
}

TEST(PrivacyTraces, ACacheFolderPointedAtTheProfileIsNotEmptied) {
  const std::string profile = Special(CSIDL_PROFILE);
  ASSERT_FALSE(profile.empty());
  const std::string canary = profile + "\\spruce-profile-canary.txt";
  ASSERT_TRUE(WriteFileBytes(canary, "mine"));
  {
    ShellFolderScope cache("Cache", profile);
    ASSERT_EQ(lstrcmpiA(Special(CSIDL_INTERNET_CACHE).c_str(), profile.c_str()), 0)
        << "the shell must report the folder set";
    EXPECT_EQ(CleanableSpecialFolder(CSIDL_INTERNET_CACHE), "");
    ClearTemporaryInternetFiles();
  }
  {
    ShellFolderScope recent("Recent", "C:\\");
    EXPECT_EQ(CleanableSpecialFolder(CSIDL_RECENT), "");
  }
  EXPECT_EQ(ReadFileBytes(canary), "mine");
  EXPECT_NE(CleanableSpecialFolder(CSIDL_INTERNET_CACHE), "");
  DeleteFileA(canary.c_str());
}

TEST(PrivacyTraces, FormDataIsClearedOnTheNtLineAndTheAccessListsPutBack) {
  const std::string sid = UserSidText();
  ASSERT_FALSE(sid.empty());
  const std::string key = kProvider + sid;
  const std::string data = key + "\\Data";
  const std::string formData = key + kFormData;
  const std::string machineKey = kProvider + LogonName() + kFormData;
  SetValue(HKEY_CURRENT_USER, formData + "\\site\\deeper", "item", "secret");
  SetValue(HKEY_CURRENT_USER, formData, "item", "secret");
  SetValue(HKEY_CURRENT_USER, data + "\\other", "item", "kept");
  SetValue(HKEY_LOCAL_MACHINE, machineKey, "item", "secret");
  // Locked as the provider locks them: only the system may enter the form
  // data; the outer keys have lists of their own.
  ASSERT_TRUE(SetAccessList(formData + "\\site", "D:P(A;OICI;KA;;;SY)"));
  ASSERT_TRUE(SetAccessList(formData, "D:P(A;OICI;KA;;;SY)"));
  ASSERT_TRUE(SetAccessList(data, "D:P(A;CI;KA;;;" + sid + ")(A;;KR;;;BU)"));
  ASSERT_TRUE(SetAccessList(key, "D:P(A;CI;KA;;;" + sid + ")(A;CI;KR;;;WD)"));
  const std::string keyList = AccessList(key), dataList = AccessList(data);
  ASSERT_NE(keyList, "none");
  ASSERT_NE(dataList, "none");

  ClearProtectedStorage();

  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, formData));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, data + "\\other"));
  EXPECT_EQ(AccessList(key), keyList);
  EXPECT_EQ(AccessList(data), dataList);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
  DeleteKeyTree(HKEY_CURRENT_USER, key);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kProvider + LogonName());
}

TEST(PrivacyTraces, FormDataUnderWindows98OnlyLosesTheLogonNameKey) {
  const char appDefaults[] = "Software\\Wine\\AppDefaults\\protected_storage_probe.exe";
  const std::string formData = kProvider + UserSidText() + kFormData;
  const std::string machineKey = kProvider + LogonName() + kFormData;
  SetValue(HKEY_CURRENT_USER, formData, "item", "secret");
  SetValue(HKEY_LOCAL_MACHINE, machineKey, "item", "secret");
  SetValue(HKEY_CURRENT_USER, appDefaults, "Version", "win98");

  EXPECT_EQ(RunProcess("\"" + BinFolder() + "\\protected_storage_probe.exe\"", BinFolder()), 0u);
  DeleteKeyTree(HKEY_CURRENT_USER, appDefaults);

  EXPECT_EQ(StringValue(HKEY_CURRENT_USER, formData, "item"), "1:secret");
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
  DeleteKeyTree(HKEY_CURRENT_USER, kProvider + UserSidText());
  DeleteKeyTree(HKEY_LOCAL_MACHINE, kProvider + LogonName());
}

// The history object is created in the caller's apartment, which stays as
// it was: initialised when it was (the banner's), not when it was not.
TEST(PrivacyTraces, BrowsingHistoryLeavesTheThreadsComAsItFoundIt) {
  // model: the thread's COM before the call; -1 for none.
  auto onThread = [](DWORD model, const std::function<void()>& check) {
    std::thread thread([&] {
      if (model != static_cast<DWORD>(-1)) CoInitializeEx(nullptr, model);
      ClearBrowsingHistory();
      check();
    });
    thread.join();
  };
  HRESULT again = E_FAIL;
  onThread(COINIT_APARTMENTTHREADED, [&] { again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); });
  EXPECT_EQ(again, S_FALSE);  // still initialised
  onThread(COINIT_MULTITHREADED, [&] { again = CoInitializeEx(nullptr, COINIT_MULTITHREADED); });
  EXPECT_EQ(again, S_FALSE);  // the other model kept
  onThread(static_cast<DWORD>(-1), [&] { again = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); });
  EXPECT_EQ(again, S_OK);  // released again
}

}  // namespace

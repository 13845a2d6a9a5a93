#include "cleaner/privacy_traces.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <urlhist.h>
#include <wininet.h>

#include <vector>

#include "app/registry_key.h"
#include "cleaner/folder_tree.h"
#include "cleaner/safe_files.h"
#include "framework/raii.h"
#include "framework/shell.h"

namespace {

const char kIntelliForms[] = "Software\\Microsoft\\Internet Explorer\\IntelliForms";
const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char kWordPadRecent[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";
const char kMediaPlayerFiles[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList";
const char kMediaPlayerUrls[] = "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList";
const char kMessenger[] = "Software\\Microsoft\\MSNMessenger";
const char kMessengerValue[] = "User.NET Messenger Service";
const char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char kRecentDocs[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs";

// The browser's URL-history object and its second-version storage interface.
const CLSID kUrlHistoryClass = {
    0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kUrlHistoryStg2 = {
    0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// A missing key (or one that will not go) is left as it is.
void DeleteUserKey(const char* path) { SHDeleteKeyA(HKEY_CURRENT_USER, path); }

// Deletes every value of HKCU path, keeping the key. False when the key
// cannot be opened or its values cannot all be listed (the names listed
// before that are deleted all the same).
bool DeleteValuesOf(const char* path) {
  RegistryKey key;
  if (!key.Open(path)) return false;  // never created
  std::vector<std::string> names;
  const bool listed = key.EnumValueNames(names);
  for (const std::string& name : names) key.DeleteValue(name);
  return listed;
}

// Empties the special folder csidl, when a cleaner may.
void EmptySpecialFolder(int csidl) {
  const std::string folder = CleanableSpecialFolder(csidl);
  if (!folder.empty()) EmptyFolderTree(folder);
}

// Deletes the entries of one enumeration (pattern: null for the content
// entries, "cookie:" for the cookie container) that belong to kind. False
// when the enumeration does not start.
bool DeleteCacheEntries(const char* pattern, UrlCacheKind kind) {
  // The first call only asks for the size of the first entry.
  DWORD size = 0;
  HANDLE find = FindFirstUrlCacheEntryA(pattern, nullptr, &size);
  if (find) {  // cannot happen with no buffer; close it all the same
    FindCloseUrlCache(find);
    find = nullptr;
  }
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  find = FindFirstUrlCacheEntryA(pattern, entry, &size);
  if (!find) return false;
  for (;;) {
    const bool cookie = (entry->CacheEntryType & COOKIE_CACHE_ENTRY) != 0;
    // A single entry that will not go (in use) stays without notice.
    if (cookie == (kind == UrlCacheKind::kCookies) && entry->lpszSourceUrlName)
      DeleteUrlCacheEntryA(entry->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
    if (FindNextUrlCacheEntryA(find, entry, &size)) continue;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(size);
    entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
    if (!FindNextUrlCacheEntryA(find, entry, &size)) break;
  }
  FindCloseUrlCache(find);
  return true;
}

}  // namespace

void ClearPrivacyItem(PrivacyItem item) {
  switch (item) {
    case PrivacyItem::kBrowsingHistory: ClearBrowsingHistory(); break;
    case PrivacyItem::kIntelliForms: ClearIntelliForms(); break;
    case PrivacyItem::kFormData: ClearProtectedStorage(); break;
    case PrivacyItem::kWordPadRecent: ClearWordPadRecent(); break;
    case PrivacyItem::kTypedUrls: ClearTypedUrls(); break;
    case PrivacyItem::kMediaPlayerRecent: ClearMediaPlayerRecent(); break;
    case PrivacyItem::kMessengerId: ClearMessengerId(); break;
    case PrivacyItem::kCookies: ClearCookies(); break;
    case PrivacyItem::kTemporaryFiles: ClearTemporaryInternetFiles(); break;
    case PrivacyItem::kRunHistory: ClearRunHistory(); break;
    case PrivacyItem::kRecentDocuments: ClearRecentDocuments(); break;
  }
}

void ClearBrowsingHistory() {
  // The main window's banner lives in this thread's apartment: a failed
  // initialisation (another model) must not be balanced, or the banner's COM
  // would go with it.
  const HRESULT com = CoInitialize(nullptr);
  {
    fw::ComPtr<IUrlHistoryStg2> history;
    if (SUCCEEDED(CoCreateInstance(kUrlHistoryClass, nullptr, CLSCTX_INPROC_SERVER,
                                   kUrlHistoryStg2, history.PutVoid())) &&
        history)
      history->ClearHistory();
  }
  if (SUCCEEDED(com)) CoUninitialize();
}

void ClearIntelliForms() { DeleteUserKey(kIntelliForms); }

void ClearWordPadRecent() { DeleteValuesOf(kWordPadRecent); }

void ClearTypedUrls() { DeleteUserKey(kTypedUrls); }

void ClearMediaPlayerRecent() {
  if (!DeleteValuesOf(kMediaPlayerFiles)) return;
  DeleteValuesOf(kMediaPlayerUrls);
}

void ClearMessengerId() {
  RegistryKey key;
  if (key.Open(kMessenger)) key.SetString(kMessengerValue, std::string());
}

void ClearCookies() {
  DeleteUrlCacheEntries(UrlCacheKind::kCookies);
  EmptySpecialFolder(CSIDL_COOKIES);
}

void ClearTemporaryInternetFiles() {
  DeleteUrlCacheEntries(UrlCacheKind::kOthers);
  EmptySpecialFolder(CSIDL_INTERNET_CACHE);
}

void ClearRunHistory() { DeleteUserKey(kRunMru); }

void ClearRecentDocuments() {
  EmptySpecialFolder(CSIDL_RECENT);
  DeleteUserKey(kRecentDocs);
}

bool DeleteUrlCacheEntries(UrlCacheKind kind) {
  // Windows lists the cookie entries only under the "cookie:" pattern, Wine
  // lists them among the content entries: the cookie kind looks in both.
  bool started = false;
  if (kind == UrlCacheKind::kCookies) started = DeleteCacheEntries("cookie:", kind);
  return DeleteCacheEntries(nullptr, kind) || started;
}

std::string CleanableSpecialFolder(int csidl) {
  const std::string path = fw::SpecialFolderPath(csidl);
  if (path.empty()) return path;
  // A shell folder the user pointed at the profile, a root or the Windows
  // folder is treated as unknown: emptying it would delete the user's files.
  if (IsGuardedCleanupFolder(path)) return std::string();
  return path;
}

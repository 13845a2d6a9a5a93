// The privacy cleaner's engine: eleven operations that clear the traces
// ordinary use of the computer and its web browser leaves behind. Every
// operation is fire-and-forget: it reports nothing and silently skips what is
// missing or refused. No operation ever creates a registry key, and no
// operation empties a folder the cleaners guard (IsGuardedCleanupFolder) or
// reaches through a link.
#pragma once
#include <string>

// The kinds of traces, numbered by the dialog's check boxes (1020 to 1030).
enum class PrivacyItem {
  kBrowsingHistory = 1020,      // ClearBrowsingHistory
  kIntelliForms = 1021,         // ClearIntelliForms
  kFormData = 1022,             // ClearProtectedStorage
  kWordPadRecent = 1023,        // ClearWordPadRecent
  kTypedUrls = 1024,            // ClearTypedUrls
  kMediaPlayerRecent = 1025,    // ClearMediaPlayerRecent
  kMessengerId = 1026,          // ClearMessengerId
  kCookies = 1027,              // ClearCookies
  kTemporaryFiles = 1028,       // ClearTemporaryInternetFiles
  kRunHistory = 1029,           // ClearRunHistory
  kRecentDocuments = 1030,      // ClearRecentDocuments
};
constexpr int kPrivacyItemCount = 11;

// Runs the operation of item.
void ClearPrivacyItem(PrivacyItem item);

// The browser's history of visited pages, through its URL-history object.
// Creates the object on the calling thread (COM is initialised for the call
// and left as it was found); nothing happens when it cannot be created.
void ClearBrowsingHistory();
// HKCU "Software\Microsoft\Internet Explorer\IntelliForms", all it holds.
void ClearIntelliForms();
// Every value of the WordPad recent-file list; the key itself stays.
void ClearWordPadRecent();
// HKCU "Software\Microsoft\Internet Explorer\TypedURLs".
void ClearTypedUrls();
// Every value of the Media Player's RecentFileList, then of its
// RecentURLList; the keys stay. A first key that cannot be opened or listed
// ends the operation: the second is not visited.
void ClearMediaPlayerRecent();
// Empties (as REG_SZ) the messenger's saved sign-in name, when its key exists.
void ClearMessengerId();
// The web cache's cookie entries, then the cookies folder's contents.
void ClearCookies();
// Every other entry of the web cache, then the cache folder's contents.
void ClearTemporaryInternetFiles();
// HKCU "Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU".
void ClearRunHistory();
// The Recent folder's contents, then the RecentDocs key.
void ClearRecentDocuments();
// The form-completion data of the protected storage (see protected_storage.cpp).
void ClearProtectedStorage();

enum class UrlCacheKind { kCookies, kOthers };
// Deletes the web-cache entries of one kind: the cookie entries (those whose
// type has the cookie bit) or all the others. False when the enumeration
// cannot start (an empty cache, no cache at all).
bool DeleteUrlCacheEntries(UrlCacheKind kind);

// The shell special folder csidl when a cleaner may empty it: empty when the
// system does not know it or when it is a guarded folder (a drive root, the
// Windows folder, the profile, ... see IsGuardedCleanupFolder).
std::string CleanableSpecialFolder(int csidl);

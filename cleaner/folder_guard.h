// Which folders a cleaner may empty. A temp, cache or cookie folder is taken
// from the system, and the system reports whatever the user set: TEMP=C:\,
// a shell folder pointed at the profile. Emptying such a folder deletes the
// user's own files, as cleaners in this field have done. Pure code.
#pragma once
#include <string>
#include <vector>

// folder as a key for comparison: ASCII letters lowered (CP949 trail bytes
// kept), "/" read as "\", the trailing backslash dropped except after a
// drive ("c:\"). Empty when folder is not a full path: empty, relative,
// rooted without a drive ("\temp"), or drive-relative ("c:temp").
std::string FolderKey(const std::string& folder);

// True when a cleaner must not touch folder: it is not a full path (see
// FolderKey), it is a drive root or a share's root ("\\server\share"), it
// names a folder of protected, or it holds one of them (emptying C:\Users
// would empty the profile in it). Entries of protected that are not full
// paths are passed over.
bool IsGuardedFolder(const std::string& folder, const std::vector<std::string>& protectedFolders);

// Emptying a trace folder (cookies, web cache, Recent) without reaching
// beyond it: on top of the cleaners' link-safe delete, read-only entries are
// made deletable only when they are the folder's own entries, and the
// folders emptied are removed.
#pragma once
#include <string>

// Deletes everything inside folder, the last entry included: files are
// deleted with LinkSafeDeleter, subfolders emptied the same way and then
// removed. Kept: every file named "desktop.ini" (any case), with the folders
// that hold one, and whatever will not go (a file in use, such as the
// cache's index.dat). Read-only files and folders have the attribute cleared
// first. A folder link or junction (FILE_ATTRIBUTE_REPARSE_POINT) is never
// entered, and a file link never has its target changed or deleted. Paths
// longer than the system's limit are out of reach and stay. The caller
// decides whether folder may be emptied at all (IsGuardedCleanupFolder).
void EmptyFolderTree(const std::string& folder);

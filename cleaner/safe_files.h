// The safety rules every cleaner follows, in one place: which folders may be
// emptied at all, and how a file is deleted without reaching through a link.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/native_objects.h"

// The folders no cleaner may empty or hold, as the system names them now:
// the Windows and system folders, the user's profile, Desktop and My
// Documents, each in its long form too. Names the system cannot give are
// left out.
std::vector<std::string> ProtectedFolders();

// True when a cleaner must not walk or empty folder (a temp, cache, cookie
// or history folder the system reported): empty or relative, a drive or
// share root, one of ProtectedFolders() or a folder holding one of them.
// folder is compared in its long form as well as as given.
bool IsGuardedCleanupFolder(const std::string& folder);

// folder's long form ("C:\PROGRA~1" -> "C:\Program Files"), or folder itself
// when the system has no long form for it (Windows 95 lacks the call).
std::string LongPathOf(const std::string& folder);

// Deletes files without ever reaching through a link (see the .cpp file).
// One object serves one job on one thread; it remembers the last folder.
class LinkSafeDeleter {
 public:
  // Deletes folder + "\" + name; false when it stays (in use, no rights,
  // gone, or a link to something elsewhere, which is left alone).
  bool Delete(const std::string& folder, const std::string& name);

 private:
  fw::FolderEntryOpener opener_;
};

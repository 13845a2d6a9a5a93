// The programs Windows starts at log-on from the two Run keys: the current
// user's and the machine's. Lists them with read access only, and deletes
// one after writing it into the registry backup file; touches no window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The key path of both Run keys, also the location every entry shows.
extern const char kRunKeyPath[];

struct StartupEntry {
  std::string program;      // the value's exact name
  std::string commandLine;  // its string data; empty for other types or over 254 bytes
  std::string location;     // kRunKeyPath: the root is not part of the text
  HKEY root;                // HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE: where the value lives
};

// The current user's entries, then the machine's, each in the registry's
// enumeration order. The keys are opened for reading only, so a user
// without the rights to change the machine's key still sees its entries. A
// root whose Run key does not open, or whose value names can't all be
// listed, contributes nothing. The data is shown as stored: environment
// references are not expanded.
std::vector<StartupEntry> CollectStartupEntries();

enum class StartupDeletion {
  kDeleted,       // the value is gone (also when it, or its Run key, was gone already)
  kKept,          // it is still there: no rights to change its key, or the deletion failed
  kBackupFailed,  // its lines could not be written to the backup: it is still there
};

// Deletes the entry's own value (under its root, by its exact name) after
// appending its lines, with its exact type and bytes, to the backup file.
// Only this asks for write access to the Run key.
StartupDeletion DeleteStartupEntry(const StartupEntry& entry, HANDLE backup);

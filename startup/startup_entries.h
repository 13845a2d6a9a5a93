// The programs Windows starts at log-on from the two Run keys: the current
// user's and the machine's. Reads and deletes through RegistryKey; touches
// no window.
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
// enumeration order. A root whose Run key does not open, or whose value
// names can't all be listed, contributes nothing. The data is shown as
// stored: environment references are not expanded.
std::vector<StartupEntry> CollectStartupEntries();

// Deletes the entry's own value: under its root, by its exact name. True
// when the value is gone afterwards, also when it (or its whole Run key)
// was already gone; false when it is still there (no rights, a locked key).
bool DeleteStartupEntry(const StartupEntry& entry);

#include "startup/startup_entries.h"

#include "app/registry_key.h"

const char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

std::vector<StartupEntry> CollectStartupEntries() {
  std::vector<StartupEntry> entries;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegistryKey key;
    key.SetRoot(root);
    std::vector<std::string> names;
    if (!key.Open(kRunKeyPath) || !key.EnumValueNames(names)) continue;
    for (const std::string& name : names)
      entries.push_back(StartupEntry{name, key.GetString(name, std::string()), kRunKeyPath, root});
  }
  return entries;
}

bool DeleteStartupEntry(const StartupEntry& entry) {
  RegistryKey key;
  if (!key.SetRoot(entry.root)) return false;
  if (key.Open(entry.location) && key.DeleteValue(entry.program)) return true;
  // A value (or Run key) removed since the list was read no longer starts
  // anything: that counts as deleted. Any other failure leaves it in place.
  return key.LastStatus() == ERROR_FILE_NOT_FOUND;
}

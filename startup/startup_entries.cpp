#include "startup/startup_entries.h"

#include "framework/raii.h"
#include "registry/backup_file.h"
#include "registry/backup_format.h"
#include "registry/registry_scanner.h"

const char kRunKeyPath[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

namespace {

constexpr DWORD kValueNameBuffer = 16383;

// Value names in enumeration order; true only when the enumeration ended
// with ERROR_NO_MORE_ITEMS.
bool ListValueNames(HKEY key, std::vector<std::string>& names) {
  std::string name(kValueNameBuffer, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD size = kValueNameBuffer;
    const LONG status = RegEnumValueA(key, i, &name[0], &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names.emplace_back(name.data(), size);
  }
}

}  // namespace

std::vector<StartupEntry> CollectStartupEntries() {
  std::vector<StartupEntry> entries;
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    fw::KeyHandle key;
    std::vector<std::string> names;
    if (RegOpenKeyExA(root, kRunKeyPath, 0, KEY_READ, key.Put()) != ERROR_SUCCESS ||
        !ListValueNames(key.Get(), names))
      continue;
    for (const std::string& name : names) {
      DWORD type = 0;
      std::string bytes;
      const std::string text =
          ReadRawValue(key.Get(), name, type, bytes) ? RegistryStringText(type, bytes) : std::string();
      entries.push_back(StartupEntry{name, text, kRunKeyPath, root});
    }
  }
  return entries;
}

StartupDeletion DeleteStartupEntry(const StartupEntry& entry, HANDLE backup) {
  const char* rootLong = RootLongName(entry.root);
  if (!rootLong) return StartupDeletion::kKept;
  fw::KeyHandle key;
  const LONG opened = RegOpenKeyExA(entry.root, entry.location.c_str(), 0,
                                    KEY_QUERY_VALUE | KEY_SET_VALUE, key.Put());
  // A value (or Run key) removed since the list was read no longer starts
  // anything: that counts as deleted. Any other failure leaves it in place.
  if (opened == ERROR_FILE_NOT_FOUND) return StartupDeletion::kDeleted;
  if (opened != ERROR_SUCCESS) return StartupDeletion::kKept;
  DWORD type = 0;
  std::string bytes;
  if (!ReadRawValue(key.Get(), entry.program, type, bytes)) {
    const LONG status =
        RegQueryValueExA(key.Get(), entry.program.c_str(), nullptr, nullptr, nullptr, nullptr);
    return status == ERROR_FILE_NOT_FOUND ? StartupDeletion::kDeleted : StartupDeletion::kKept;
  }
  // The lines are on the disk before the value goes.
  if (!AppendBackupLines(backup, FormatValueLine(rootLong, entry.location, entry.program,
                                                 RegistryStringText(type, bytes)) +
                                     FormatTypedValueLine(rootLong, entry.location, entry.program,
                                                          type, bytes)))
    return StartupDeletion::kBackupFailed;
  const LONG deleted = RegDeleteValueA(key.Get(), entry.program.c_str());
  return deleted == ERROR_SUCCESS || deleted == ERROR_FILE_NOT_FOUND ? StartupDeletion::kDeleted
                                                                    : StartupDeletion::kKept;
}

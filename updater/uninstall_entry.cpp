#include "updater/uninstall_entry.h"

#include <windows.h>

#include "framework/mbstring.h"
#include "framework/raii.h"

namespace {

const char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Spruce";

std::string WithoutFinalBackslash(std::string path) {
  if (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

}  // namespace

void RecordVersionInUninstallEntry(const std::string& folder, const std::string& version) {
  fw::KeyHandle key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kEntry, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Put()) !=
      ERROR_SUCCESS)
    return;
  char location[MAX_PATH + 1] = {};
  DWORD type = 0, size = MAX_PATH;
  const bool ours =
      RegQueryValueExA(key.Get(), "InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location),
                       &size) == ERROR_SUCCESS &&
      type == REG_SZ &&
      mb::ToLower(WithoutFinalBackslash(location)) == mb::ToLower(WithoutFinalBackslash(folder));
  if (ours)
    RegSetValueExA(key.Get(), "DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.c_str()),
                   static_cast<DWORD>(version.size() + 1));  // a refusal leaves the old text
}

// RegistryKey: one root and one current key path. Every operation opens the
// key afresh and closes it before returning, so no handle stays open between
// calls. Failures are reported by the results and the recorded status only.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class RegistryKey {
 public:
  // Accepts HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE and
  // HKEY_USERS; any other root (HKEY_CURRENT_CONFIG too) is refused and the
  // root stays as it was.
  bool SetRoot(HKEY root);
  HKEY Root() const { return root_; }

  // An empty path selects the root itself. Otherwise opens the path with full
  // access (creating it when create is set); on failure the status is recorded
  // and the current path is left as it was.
  bool Open(const std::string& path, bool create = false);
  std::string GetPath() const { return path_; }

  // Number of subkeys / values of the current path; -1 when it can't be read.
  int CountSubkeys();
  int CountValues();

  // Names of the subkeys (255-byte buffer) / values (16383-byte buffer). True
  // only when the enumeration ended with ERROR_NO_MORE_ITEMS; a name too long
  // for the buffer ends it early with the names so far kept in the list.
  bool EnumSubkeys(std::vector<std::string>& names);
  bool EnumValueNames(std::vector<std::string>& names);

  // The value's type, or 0 when it can't be queried.
  DWORD GetValueType(const std::string& name);
  // REG_SZ / REG_EXPAND_SZ data read into a 255-byte buffer, up to its first
  // NUL; fallback for every other type, a missing value, data longer than 254
  // bytes or a key that won't open.
  std::string GetString(const std::string& name, const std::string& fallback);
  // Writes text as REG_SZ when it is at most 254 bytes long; longer text
  // writes nothing and returns false.
  bool SetString(const std::string& name, const std::string& text);
  bool DeleteValue(const std::string& name);

  // Whether path opens with full access under root (the object's root when 0).
  bool KeyExists(const std::string& path, HKEY root = nullptr);
  // Creates path (or opens it) under the root; it becomes the current path.
  bool CreateKey(const std::string& path);

  LONG LastStatus() const { return status_; }

 private:
  // Opens the current path; null on failure (status recorded).
  HKEY OpenCurrent(REGSAM access);

  LONG status_ = ERROR_SUCCESS;
  HKEY root_ = HKEY_CURRENT_USER;
  std::string path_;
};

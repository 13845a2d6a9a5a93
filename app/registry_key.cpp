#include "app/registry_key.h"

#include "framework/raii.h"

namespace {
// The string buffer is 255 bytes: 254 bytes of text and its terminating NUL.
constexpr DWORD kStringBuffer = 255;
constexpr DWORD kSubkeyNameBuffer = 255;
constexpr DWORD kValueNameBuffer = 16383;
}  // namespace

bool RegistryKey::SetRoot(HKEY root) {
  if (root != HKEY_CLASSES_ROOT && root != HKEY_CURRENT_USER && root != HKEY_LOCAL_MACHINE &&
      root != HKEY_USERS)
    return false;
  root_ = root;
  return true;
}

bool RegistryKey::Open(const std::string& path, bool create) {
  if (path.empty()) {
    path_.clear();
    return true;
  }
  fw::KeyHandle key;
  if (create) {
    status_ = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, key.Put(), nullptr);
  } else {
    status_ = RegOpenKeyExA(root_, path.c_str(), 0, KEY_ALL_ACCESS, key.Put());
  }
  if (status_ != ERROR_SUCCESS) return false;
  path_ = path;
  return true;
}

HKEY RegistryKey::OpenCurrent(REGSAM access) {
  HKEY key = nullptr;
  status_ = RegOpenKeyExA(root_, path_.empty() ? nullptr : path_.c_str(), 0, access, &key);
  return status_ == ERROR_SUCCESS ? key : nullptr;
}

int RegistryKey::CountSubkeys() {
  HKEY key = OpenCurrent(KEY_ALL_ACCESS);
  if (!key) return -1;
  DWORD subkeys = 0;
  status_ = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, nullptr,
                             nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status_ == ERROR_SUCCESS ? static_cast<int>(subkeys) : -1;
}

int RegistryKey::CountValues() {
  HKEY key = OpenCurrent(KEY_ALL_ACCESS);
  if (!key) return -1;
  DWORD values = 0;
  status_ = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                             nullptr, nullptr, nullptr, nullptr);
  RegCloseKey(key);
  return status_ == ERROR_SUCCESS ? static_cast<int>(values) : -1;
}

bool RegistryKey::EnumSubkeys(std::vector<std::string>& names) {
  names.clear();
  HKEY key = OpenCurrent(KEY_READ);
  if (!key) return false;
  char name[kSubkeyNameBuffer];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    status_ = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status_ != ERROR_SUCCESS) break;
    names.emplace_back(name, size);
  }
  RegCloseKey(key);
  return status_ == ERROR_NO_MORE_ITEMS;
}

bool RegistryKey::EnumValueNames(std::vector<std::string>& names) {
  names.clear();
  HKEY key = OpenCurrent(KEY_READ);
  if (!key) return false;
  std::string name(kValueNameBuffer, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD size = kValueNameBuffer;
    status_ = RegEnumValueA(key, i, &name[0], &size, nullptr, nullptr, nullptr, nullptr);
    if (status_ != ERROR_SUCCESS) break;
    names.emplace_back(name.data(), size);
  }
  RegCloseKey(key);
  return status_ == ERROR_NO_MORE_ITEMS;
}

DWORD RegistryKey::GetValueType(const std::string& name) {
  HKEY key = OpenCurrent(KEY_QUERY_VALUE);
  if (!key) return 0;
  DWORD type = 0;
  status_ = RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, nullptr);
  RegCloseKey(key);
  return status_ == ERROR_SUCCESS ? type : 0;
}

std::string RegistryKey::GetString(const std::string& name, const std::string& fallback) {
  DWORD type = GetValueType(name);
  if (type != REG_SZ && type != REG_EXPAND_SZ) return fallback;
  HKEY key = OpenCurrent(KEY_READ);
  if (!key) return fallback;
  char data[kStringBuffer + 1] = {};
  DWORD size = kStringBuffer;
  status_ = RegQueryValueExA(key, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status_ != ERROR_SUCCESS) return fallback;
  data[size < kStringBuffer ? size : kStringBuffer] = '\0';
  return std::string(data);  // up to the first NUL
}

bool RegistryKey::SetString(const std::string& name, const std::string& text) {
  if (text.size() > kStringBuffer - 1) return false;
  HKEY key = OpenCurrent(KEY_WRITE);
  if (!key) return false;
  status_ = RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
  RegCloseKey(key);
  return status_ == ERROR_SUCCESS;
}

bool RegistryKey::DeleteValue(const std::string& name) {
  HKEY key = OpenCurrent(KEY_SET_VALUE);
  if (!key) return false;
  status_ = RegDeleteValueA(key, name.c_str());
  RegCloseKey(key);
  return status_ == ERROR_SUCCESS;
}

bool RegistryKey::KeyExists(const std::string& path, HKEY root) {
  fw::KeyHandle key;
  status_ = RegOpenKeyExA(root ? root : root_, path.c_str(), 0, KEY_ALL_ACCESS, key.Put());
  return status_ == ERROR_SUCCESS;
}

bool RegistryKey::CreateKey(const std::string& path) {
  fw::KeyHandle key;
  status_ = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, key.Put(), nullptr);
  if (status_ != ERROR_SUCCESS) return false;
  path_ = path;
  return true;
}

#include "network/registry_ie.h"

#include <cstdio>

#include "framework/msgbox.h"

namespace {

// Names and string data are read into buffers of this size.
constexpr DWORD kBufferSize = 200;

// Where the enumeration error box says the failure happened.
constexpr const char* kEnumFunction = "RegEnumKeyEx";
constexpr const char* kSourceName = ".\\RegistryIE";
constexpr int kSourceLine = 933;

std::string SystemMessage(DWORD code) {
  char* text = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string message = length && text ? std::string(text, length) : std::string();
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
    message.pop_back();
  return message;
}

void ReportEnumFailure(LONG code) {
  char text[128];
  std::snprintf(text, sizeof text, "%u %s\n%s %u", static_cast<unsigned>(code), kEnumFunction,
                kSourceName, static_cast<unsigned>(kSourceLine));
  fw::ShowMessageBox(nullptr, text, SystemMessage(static_cast<DWORD>(code)), MB_OK | MB_ICONINFORMATION);
}

}  // namespace

bool RegistryIE::Open(const std::string& path) {
  Close();
  status_ = RegOpenKeyExA(root_, path.c_str(), 0, KEY_ALL_ACCESS, &key_);
  if (status_ != ERROR_SUCCESS) {
    key_ = nullptr;
    return false;
  }
  path_ = path;
  return true;
}

bool RegistryIE::Create(const std::string& path) {
  Close();
  DWORD disposition = 0;
  status_ = RegCreateKeyExA(root_, path.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key_, &disposition);
  if (status_ != ERROR_SUCCESS) {
    key_ = nullptr;
    return false;
  }
  path_ = path;
  return true;
}

void RegistryIE::Close() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

bool RegistryIE::SetString(const std::string& name, const std::string& text) {
  if (!key_) return false;
  type_ = REG_SZ;
  size_ = static_cast<DWORD>(text.size() + 1);
  status_ = RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                           reinterpret_cast<const BYTE*>(text.c_str()), size_);
  return status_ == ERROR_SUCCESS;
}

bool RegistryIE::SetDword(const std::string& name, DWORD value) {
  if (!key_) return false;
  type_ = REG_DWORD;
  size_ = sizeof value;
  status_ = RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                           size_);
  return status_ == ERROR_SUCCESS;
}

std::string RegistryIE::GetString(const std::string& name) {
  if (!key_) return std::string();
  // One byte more than the registry may fill, so that data stored without
  // its terminator still ends before the comparison reads on.
  char buffer[kBufferSize + 1] = {};
  size_ = kBufferSize;
  type_ = 0;
  status_ = RegQueryValueExA(key_, name.c_str(), nullptr, &type_, reinterpret_cast<BYTE*>(buffer),
                             &size_);
  if (status_ != ERROR_SUCCESS || (type_ != REG_SZ && type_ != REG_EXPAND_SZ)) return std::string();
  buffer[size_ < kBufferSize ? size_ : kBufferSize] = '\0';
  return buffer;
}

bool RegistryIE::EnumSubkeys(const std::string& subkey, std::vector<std::string>& names) {
  names.clear();
  if (!key_) return false;
  HKEY parent = nullptr;
  status_ = RegOpenKeyExA(key_, subkey.c_str(), 0, KEY_READ, &parent);
  // No such key (every NT machine has no NetTrans class): nothing to list.
  if (status_ != ERROR_SUCCESS) return true;
  for (DWORD index = 0;; ++index) {
    char name[kBufferSize];
    DWORD length = kBufferSize;
    FILETIME written;
    status_ = RegEnumKeyExA(parent, index, name, &length, nullptr, nullptr, nullptr, &written);
    if (status_ == ERROR_NO_MORE_ITEMS) break;
    if (status_ != ERROR_SUCCESS) {
      ReportEnumFailure(status_);
      break;
    }
    names.emplace_back(name, length);
  }
  RegCloseKey(parent);
  const bool complete = status_ == ERROR_NO_MORE_ITEMS;
  if (complete) status_ = ERROR_SUCCESS;
  return complete;
}

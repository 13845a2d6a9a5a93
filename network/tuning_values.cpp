#include "network/tuning_values.h"

namespace tuning {

const char kTcpip[] = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
const char kMstcp[] = "System\\CurrentControlSet\\Services\\VxD\\MSTCP";
const char kClass[] = "System\\CurrentControlSet\\Services\\Class";

Value Read(const std::string& path, const char* name) {
  Value v;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return v;
  char data[256];
  DWORD size = sizeof data;
  if (RegQueryValueExA(key, name, nullptr, &v.type, reinterpret_cast<BYTE*>(data), &size) ==
      ERROR_SUCCESS) {
    v.present = true;
    v.bytes.assign(data, size);
  }
  RegCloseKey(key);
  return v;
}

std::string SzBytes(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

std::string DwordBytes(DWORD n) { return std::string(reinterpret_cast<const char*>(&n), sizeof n); }

void DeleteValues(const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
    return;
  for (const char* name : {"DefaultRcvWindow", "DefaultTTL", "MaxMTU"}) RegDeleteValueA(key, name);
  RegCloseKey(key);
}

void DeleteAll() {
  DeleteValues(kTcpip);
  DeleteValues(kMstcp);
}

bool AnyWritten() {
  for (const char* path : {kTcpip, kMstcp})
    for (const char* name : {"DefaultRcvWindow", "DefaultTTL"})
      if (Read(path, name).present) return true;
  return false;
}

}  // namespace tuning

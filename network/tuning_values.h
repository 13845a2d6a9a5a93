// Test support: the values the internet optimizer writes, read and removed
// directly in the registry (HKEY_LOCAL_MACHINE) of the test prefix.
#pragma once
#include <windows.h>

#include <string>

namespace tuning {

// The keys, as the tests name them (no trailing backslash).
extern const char kTcpip[];
extern const char kMstcp[];
extern const char kClass[];  // the parent of the NetTrans adapters

struct Value {
  bool present = false;
  DWORD type = 0;
  std::string bytes;
};
Value Read(const std::string& path, const char* name);

// The bytes of a REG_SZ value (with its terminator) and of a REG_DWORD.
std::string SzBytes(const std::string& text);
std::string DwordBytes(DWORD n);

// Removes "DefaultRcvWindow", "DefaultTTL" and "MaxMTU" from the key.
void DeleteValues(const std::string& path);
// ... from the Tcpip and the MSTCP key.
void DeleteAll();
// True when the Tcpip or MSTCP key holds a receive window or a TTL.
bool AnyWritten();

}  // namespace tuning

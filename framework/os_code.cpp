#include <windows.h>

#include "framework/helpers.h"

std::string GetOsCode() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return std::string();
  return OsCodeFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

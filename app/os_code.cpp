#include <windows.h>

#include "app/helpers.h"

std::string GetOsCode() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  if (!GetVersionExA(&info)) return std::string();
  return OsCodeFor(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

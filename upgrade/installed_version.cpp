#include "upgrade/installed_version.h"

#include <cstdio>

#include "upgrade/version_file.h"

std::string ReadInstalledVersion(const char* path) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return "1.0.0";
  char buffer[kMaxInstalledVersionSize + 1] = {};
  std::fread(buffer, 1, kMaxInstalledVersionSize, file);
  std::fclose(file);
  return buffer;  // up to the first NUL
}

// Junk files for the benchmarks to find and delete.
#pragma once
#include <windows.h>

#include <string>

// Creates count files "f0.tmp", "f1.tmp", ... of four bytes in folder (which
// must exist); returns how many were made.
inline int PlantFiles(const std::string& folder, int count) {
  int made = 0;
  for (int i = 0; i < count; ++i) {
    HANDLE h = CreateFileA((folder + "\\f" + std::to_string(i) + ".tmp").c_str(), GENERIC_WRITE, 0,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) continue;
    DWORD written = 0;
    WriteFile(h, "junk", 4, &written, nullptr);
    CloseHandle(h);
    ++made;
  }
  return made;
}

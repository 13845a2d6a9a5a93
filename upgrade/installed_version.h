// The installed version both programs read from "version.dat".
#pragma once
#include <string>

// The installed version text: the first 4,096 bytes of path up to the first
// NUL, unchanged (a line break stays); "1.0.0" when the file cannot be
// opened. A relative path is looked for in the current directory.
std::string ReadInstalledVersion(const char* path = "version.dat");

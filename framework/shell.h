// The shell functions the tools use that Windows 95 (before the Internet
// Explorer 4 desktop) and NT 4.0 lack. A program importing them would not
// load there, so they are looked up at run time, with the older calls or a
// plain failure in their place.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

namespace fw {

// The path of special folder csidl (SHGetSpecialFolderPathA, else
// SHGetSpecialFolderLocation with SHGetPathFromIDListA); empty when the
// system cannot name it. The folder is not created.
std::string SpecialFolderPath(int csidl);

// Size and item count of the recycle bin of drive ("C:"), false when the
// query fails or the system has no recycle-bin query.
bool QueryRecycleBin(const char* drive, uint64_t& size, uint64_t& items);

// Empties the recycle bin of root ("C:\") without asking, showing or
// sounding; false when it fails or the system cannot empty it.
bool EmptyRecycleBin(const char* root);

}  // namespace fw

// Who runs a process and what an opened handle names, for the program's own
// code: the native calls of framework/native_objects.h, which ForceDel.dll
// shares, with names and users as standard strings and vectors.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "framework/native_objects.h"

namespace fw {

// The user process runs as: the bytes of its SID, empty when its token
// cannot be read (no rights, or the 95/98/ME line).
std::vector<BYTE> ProcessUserSid(HANDLE process);

// The system's name of the object behind handle: a device path such as
// "\Device\HarddiskVolume1\x.txt" on Windows, "\??\C:\x.txt" under Wine.
// Empty when it has none or cannot be had. The query can block for ever on
// some handles (a synchronous pipe with a read pending): ask it only of
// files and folders known to be on a disk.
std::wstring ObjectName(HANDLE handle);

// For comparing object names: text lower-cased, and ANSI text widened and
// lower-cased.
std::wstring Lower(std::wstring text);
std::wstring LowerWide(const std::string& ansi);

}  // namespace fw

// Who runs a process and what an opened handle names: the few security and
// native calls that the cleaners and ForceDel.dll share. The native calls
// are looked up at run time, as the 95/98/ME line has none of them.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

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
// The type of the object behind handle ("File", "Key", ...); empty when
// unknown.
std::wstring ObjectTypeName(HANDLE handle);

// Sets the attributes of the file or folder open as handle (opened with
// FILE_WRITE_ATTRIBUTES), leaving its times alone. False when it cannot.
bool SetAttributesOf(HANDLE handle, DWORD attributes);

// Marks the file open as handle (opened with DELETE) for deletion when its
// last handle closes; the handle's own object, even when it is a link. False
// when it cannot.
bool MarkForDeletion(HANDLE handle);

// True when the calls above that work on handles can be made (the NT line).
bool HasObjectCalls();

// For comparing object names: text lower-cased, and ANSI text widened and
// lower-cased.
std::wstring Lower(std::wstring text);
std::wstring LowerWide(const std::string& ansi);

}  // namespace fw

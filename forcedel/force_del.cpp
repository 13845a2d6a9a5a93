// ForceDel.dll: deletes a file that ordinary deletion refuses, for the
// forced-delete tool. Export: int Delete(const char* path), C calling
// convention, undecorated name; non-zero when the file is gone.
//
// What it does: clears the read-only, hidden and system attributes and
// deletes the file. When another process holds the file open without
// sharing its deletion, it lists every handle of the system, closes in
// their owners the file handles that name this file, and deletes again.
// When the file still stays (mapped as a running program, held by another
// user or by the system, no rights), its deletion is scheduled for the next
// start of Windows and the answer is 0, so the tool's "try again after
// restarting" holds. A path that does not exist, or names a folder, is
// answered 0 with nothing scheduled.
//
// The risks, and how far they are kept down:
// - A handle closed behind a program's back makes its next read or write
//   fail: a document it was about to save can be lost, and the program may
//   stop with an error. Worse, the handle's number is free again, and the
//   next object that program opens may get it; a write meant for the closed
//   file then lands in that object. So only file handles whose object is
//   exactly this file are closed, and only in processes of the same user:
//   never in the system's processes, in services running as the system
//   accounts, in another user's programs, or in the calling process (Spruce
//   itself), whose own code owns its handles.
// - Asking a handle's name can block for ever (a synchronous pipe with a
//   read pending). Names are asked only of disk files, and on a helper
//   thread given one second; a helper that stays blocked is abandoned and
//   holds a reference to this library, so the library is never unloaded
//   under it.
// - The handle list is a snapshot: a handle closed and its number reused
//   since then would name another object. Each handle's name is asked of a
//   duplicate made just before it is closed, which narrows that window to
//   the name query itself; it does not shut it.
// - Scheduling at restart needs administrator rights on the NT line; without
//   them nothing is scheduled, the attributes are put back and the answer is
//   still 0.
#include <windows.h>

#include "forcedel/open_handles.h"

namespace {

HMODULE g_module = nullptr;

constexpr DWORD kClearedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_module = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" __declspec(dllexport) int __cdecl Delete(const char* path) {
  if (!path || !*path) return 0;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return 0;
  if (attributes & kClearedAttributes) {
    const DWORD plain = attributes & ~kClearedAttributes;
    SetFileAttributesA(path, plain ? plain : FILE_ATTRIBUTE_NORMAL);
  }
  if (DeleteFileA(path)) return 1;
  if (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND) return 0;
  if (CloseOtherHandlesTo(path, g_module) > 0 && DeleteFileA(path)) return 1;
  if (!MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
    SetFileAttributesA(path, attributes);  // nothing will happen to it: leave it as it was
  return 0;
}

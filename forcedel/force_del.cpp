// ForceDel.dll: deletes a file that ordinary deletion refuses, for the
// forced-delete tool. Export: int Delete(const char* path), C calling
// convention, undecorated name; non-zero when the file is gone.
//
// What it does: opens the file's own entry, never what a link points to,
// clears the read-only, hidden and system attributes and deletes the file
// through that entry. When another process holds the file open without
// sharing its deletion (a sharing or lock violation), it lists every handle
// of the system, closes in their owners the file handles that name this
// file, and deletes again. Any other refusal (no rights, a running program,
// a deletion already pending, a medium that refuses) is no holder's doing:
// no other process is touched. When the file still stays, its deletion is
// scheduled for the next start of Windows and the answer is 0, so the tool's
// "try again after restarting" holds. A path that does not exist, names a
// folder, or is a link (under Wine every file operation on a link reaches
// its target, and even on Windows the target is someone else's file), is
// answered 0 with nothing done and nothing scheduled.
//
// The risks, and how far they are kept down:
// - A handle closed behind a program's back makes its next read or write
//   fail: a document it was about to save can be lost, and the program may
//   stop with an error. Worse, the handle's number is free again, and the
//   next object that program opens may get it; a write meant for the closed
//   file then lands in that object. So handles are closed only when a holder
//   is what stops the deletion, only file handles whose object is exactly
//   this file, and only in processes of the same user: never in the system's
//   processes, in services running as the system accounts, in another
//   user's programs, or in the calling process (Spruce itself), whose own
//   code owns its handles.
// - Asking a handle's name can block for ever (a synchronous pipe with a
//   read pending). Names are asked only of disk files, on helper threads
//   given one second each and three seconds for the whole search; a helper
//   that stays blocked is abandoned and holds a reference to this library,
//   so the library is never unloaded under it.
// - The handle list is a snapshot: a handle closed and its number reused
//   since then would name another object. Each handle's name is asked of a
//   duplicate made just before it is closed, which narrows that window to
//   the name query itself; it does not shut it.
// - Scheduling at restart needs administrator rights on the NT line; without
//   them nothing is scheduled, the attributes are put back and the answer is
//   still 0.
//
// The library links no C++ run-time (it is built as a C library): it stays
// small and loads on every Windows the program supports.
#include <windows.h>

#include "forcedel/open_handles.h"
#include "framework/native_objects.h"
#include "framework/raii.h"

namespace {

HMODULE g_module = nullptr;

constexpr DWORD kClearedAttributes =
    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

// Where the file's name begins: after the last backslash, which is never the
// second byte of a double-byte character. 0 when there is none.
int NameStart(const char* path) {
  int start = 0;
  for (int i = 0; path[i]; ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && path[i + 1]) {
      ++i;
      continue;
    }
    if (path[i] == '\\') start = i + 1;
  }
  return start;
}

// Deletes the entry through a handle of its own. False when it stays, with
// GetLastError() telling why: the open's error (ERROR_SHARING_VIOLATION when
// a holder does not share the deletion), else ERROR_ACCESS_DENIED.
bool DeleteEntry(fw::FolderEntryOpener& opener, const char* path, int nameStart) {
  fw::UniqueHandle file(opener.Open(path, nameStart, DELETE | FILE_READ_ATTRIBUTES));
  if (!file.Valid()) return false;
  if (fw::MarkForDeletion(file.Get())) return true;
  SetLastError(ERROR_ACCESS_DENIED);  // a running program, a file the system keeps
  return false;
}

// The 95/98/ME line: no links, no native calls, no handle list.
int PlainDelete(const char* path, DWORD attributes) {
  if (attributes & kClearedAttributes) {
    const DWORD plain = attributes & ~kClearedAttributes;
    SetFileAttributesA(path, plain ? plain : FILE_ATTRIBUTE_NORMAL);
  }
  if (DeleteFileA(path)) return 1;
  if (attributes & kClearedAttributes) SetFileAttributesA(path, attributes);
  return 0;
}

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
  if (!fw::HasObjectCalls()) return PlainDelete(path, attributes);
  const int nameStart = NameStart(path);
  if (nameStart == 0) return 0;

  // The entry itself, opened for its attributes only, which passes every
  // sharing lock: gone, unreachable or a link, it is left alone.
  fw::FolderEntryOpener opener;
  fw::UniqueHandle file(opener.Open(path, nameStart, FILE_READ_ATTRIBUTES));
  if (!file.Valid()) return 0;
  fw::UniqueHandle attributesWriter;
  if (attributes & kClearedAttributes) {
    // Attributes that cannot be cleared are passed over: the deletion then
    // says whether they mattered.
    attributesWriter.Reset(
        opener.Open(path, nameStart, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES));
    if (attributesWriter.Valid())
      fw::SetAttributesOf(attributesWriter.Get(), attributes & ~kClearedAttributes);
  }
  if (DeleteEntry(opener, path, nameStart)) return 1;
  const DWORD error = GetLastError();
  if ((error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) &&
      CloseOtherHandlesTo(file.Get(), g_module) > 0 && DeleteEntry(opener, path, nameStart))
    return 1;
  if (!MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) && attributesWriter.Valid())
    fw::SetAttributesOf(attributesWriter.Get(), attributes);  // nothing will happen to it
  return 0;
}

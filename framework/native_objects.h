// The native object calls that the cleaners and ForceDel.dll share, and the
// link-safe opening of a folder entry built on them. Written without the C++
// run-time (no standard library, no new, no exceptions, no guarded statics):
// ForceDel.dll compiles this file in and links nothing of the program. The
// native calls are looked up at run time, as the 95/98/ME line has none.
#pragma once
#include <windows.h>

namespace fw {

// The longest object name read, in characters; a longer name counts as none.
// An ANSI path stops at MAX_PATH, and the device prefix of its object name
// adds a few dozen characters.
constexpr int kMaxObjectName = 1024;

// An object name, lower-cased for comparison.
struct LowerName {
  wchar_t text[kMaxObjectName];
  int length;
};

// True when both names are the same text.
bool SameName(const LowerName& a, const LowerName& b);

// The user a process runs as.
struct UserSid {
  BYTE bytes[SECURITY_MAX_SID_SIZE];
};

// NtQueryObject: the raw status; negative (a failure) when the system lacks
// the call.
LONG QueryObjectInformation(HANDLE handle, int informationClass, void* buffer, ULONG size,
                            ULONG* needed);

// The name of the object behind handle, lower-cased: "\device\harddiskvolume1\x.txt"
// on Windows, "\??\c:\x.txt" under Wine. False when it has none, cannot be
// had or is longer than kMaxObjectName. The query can block for ever on some
// handles (a synchronous pipe with a read pending): ask it only of files and
// folders known to be on a disk.
bool ReadLowerObjectName(HANDLE handle, LowerName& name);

// True when the object behind handle is of the type "File".
bool IsFileObject(HANDLE handle);

// The user process runs as; false when its token cannot be read (no rights,
// or the 95/98/ME line).
bool ReadProcessUser(HANDLE process, UserSid& user);

// Sets the attributes of the file or folder open as handle (opened with
// FILE_WRITE_ATTRIBUTES), leaving its times alone. False when it cannot.
bool SetAttributesOf(HANDLE handle, DWORD attributes);

// Marks the file open as handle (opened with DELETE) for deletion when its
// last handle closes; the handle's own object, even when it is a link. False
// when it cannot (a running program, a file the system keeps).
bool MarkForDeletion(HANDLE handle);

// True when the calls above that work on handles can be made (the NT line).
bool HasObjectCalls();

// Opens entries of folders without ever reaching through a link (the reason
// and its measured cost are in cleaner/safe_files.cpp). One object serves one
// job on one thread; it remembers the name of the last folder.
class FolderEntryOpener {
 public:
  // Opens path for access (sharing everything; the link itself where the
  // system has links) when the system names the opened object as the entry
  // path + nameStart of the folder path[0, nameStart), which ends in a
  // backslash. Null otherwise, with GetLastError() telling why: the open's
  // own error (gone, in use, no rights), or ERROR_ACCESS_DENIED for an
  // object named otherwise, which is a link to something elsewhere and is
  // left alone. Needs HasObjectCalls().
  HANDLE Open(const char* path, int nameStart, DWORD access);

 private:
  char folder_[MAX_PATH] = {};  // the folder last asked for, with its backslash
  LowerName folderName_ = {};   // its object name with a final backslash (length 0: unreachable)
};

}  // namespace fw

#include "forcedel/open_handles.h"

#include <stddef.h>

#include "forcedel/name_queries.h"
#include "framework/raii.h"

namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kSystemExtendedHandleInformation = 64;
// The handle list of a busy system is a few megabytes; more is not believed.
constexpr SIZE_T kMaxHandleListBytes = 256u << 20;

using QuerySystemFn = LONG(NTAPI*)(ULONG, void*, ULONG, ULONG*);

// The list entries of Windows XP and later (process ids and handle values
// at full width) and of Windows NT 4.0 and 2000 (16 bits each).
struct ExtendedEntry {
  void* object;
  ULONG_PTR processId;
  ULONG_PTR handle;
  ULONG grantedAccess;
  USHORT creatorBackTraceIndex;
  USHORT typeIndex;
  ULONG attributes;
  ULONG reserved;
};
struct ExtendedList {
  ULONG_PTR count;
  ULONG_PTR reserved;
  ExtendedEntry entries[1];
};
struct ShortEntry {
  USHORT processId;
  USHORT creatorBackTraceIndex;
  UCHAR typeIndex;
  UCHAR attributes;
  USHORT handle;
  void* object;
  ULONG grantedAccess;
};
struct ShortList {
  ULONG count;
  ShortEntry entries[1];
};

struct HandleEntry {
  DWORD processId;
  HANDLE handle;
  unsigned typeIndex;
};

// Every handle of the system, from the newest list the system gives, held
// on the process heap.
class HandleSnapshot {
 public:
  HandleSnapshot() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    const auto query = ntdll ? reinterpret_cast<QuerySystemFn>(reinterpret_cast<void*>(
                                   GetProcAddress(ntdll, "NtQuerySystemInformation")))
                             : nullptr;
    if (!query) return;
    const ULONG classes[] = {kSystemExtendedHandleInformation, kSystemHandleInformation};
    for (ULONG informationClass : classes) {
      SIZE_T size = 1u << 16;
      LONG status = kInfoLengthMismatch;
      ULONG got = 0;
      while (status == kInfoLengthMismatch && size <= kMaxHandleListBytes) {
        Free();
        buffer_ = static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, size));
        if (!buffer_) return;
        got = 0;
        status = query(informationClass, buffer_, static_cast<ULONG>(size), &got);
        if (status == kInfoLengthMismatch) size *= 2;
      }
      if (status < 0) {
        Free();
        continue;
      }
      const SIZE_T filled = got && got < size ? got : size;
      extended_ = informationClass == kSystemExtendedHandleInformation;
      count_ = extended_ ? CountOf<ExtendedList>(filled) : CountOf<ShortList>(filled);
      return;
    }
  }
  ~HandleSnapshot() { Free(); }
  HandleSnapshot(const HandleSnapshot&) = delete;
  HandleSnapshot& operator=(const HandleSnapshot&) = delete;

  SIZE_T Count() const { return count_; }
  HandleEntry At(SIZE_T i) const {
    if (extended_) {
      const ExtendedEntry& e = reinterpret_cast<const ExtendedList*>(buffer_)->entries[i];
      return {static_cast<DWORD>(e.processId), reinterpret_cast<HANDLE>(e.handle), e.typeIndex};
    }
    const ShortEntry& e = reinterpret_cast<const ShortList*>(buffer_)->entries[i];
    return {e.processId, reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(e.handle)), e.typeIndex};
  }

 private:
  // The entries of a list the system filled `filled` bytes of; a count
  // larger than the bytes hold is cut to them.
  template <class List>
  SIZE_T CountOf(SIZE_T filled) const {
    const SIZE_T header = offsetof(List, entries);
    if (filled < header) return 0;
    const SIZE_T fits = (filled - header) / sizeof(reinterpret_cast<const List*>(buffer_)->entries[0]);
    const SIZE_T count = reinterpret_cast<const List*>(buffer_)->count;
    return count < fits ? count : fits;
  }
  void Free() {
    if (buffer_) HeapFree(GetProcessHeap(), 0, buffer_);
    buffer_ = nullptr;
    count_ = 0;
  }

  BYTE* buffer_ = nullptr;
  SIZE_T count_ = 0;
  bool extended_ = false;
};

bool IsSystemAccount(PSID sid) {
  // The local system, local service and network service accounts
  // (S-1-5-18, -19, -20).
  static const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  const SID_IDENTIFIER_AUTHORITY* authority = GetSidIdentifierAuthority(sid);
  for (int i = 0; i < 6; ++i)
    if (authority->Value[i] != nt.Value[i]) return false;
  return *GetSidSubAuthorityCount(sid) == 1 &&
         *GetSidSubAuthority(sid, 0) >= SECURITY_LOCAL_SYSTEM_RID &&
         *GetSidSubAuthority(sid, 0) <= SECURITY_NETWORK_SERVICE_RID;
}

// The processes whose handles may be closed. The list gives each process's
// handles together, so the last one opened is kept for the next entries.
class OwnerProcesses {
 public:
  OwnerProcesses() : known_(fw::ReadProcessUser(GetCurrentProcess(), user_)) {}

  // The process pid opened for duplicating its handles, or null when its
  // handles must be left alone: this process, the system's own processes,
  // another user's processes.
  HANDLE Open(DWORD pid) {
    if (pid == pid_) return process_.Get();
    pid_ = pid;
    process_.Reset();
    // 0 is the idle process, 4 (8 on Windows 2000, 2 on NT 4.0) the system.
    if (!known_ || IsSystemAccount(user_.bytes) || pid == GetCurrentProcessId() || pid <= 8)
      return nullptr;
    process_.Reset(OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    fw::UserSid owner;
    if (process_.Valid() &&
        (!fw::ReadProcessUser(process_.Get(), owner) || !EqualSid(owner.bytes, user_.bytes)))
      process_.Reset();
    return process_.Get();
  }

 private:
  fw::UserSid user_;
  bool known_;
  DWORD pid_ = static_cast<DWORD>(-1);
  fw::UniqueHandle process_;
};

// The type index the system gives file handles, learnt from a file handle
// of this process; -1 when it is not in the list.
int FileTypeIndex(const HandleSnapshot& handles, HANDLE ownFile) {
  const DWORD self = GetCurrentProcessId();
  for (SIZE_T i = 0; i < handles.Count(); ++i) {
    const HandleEntry entry = handles.At(i);
    if (entry.processId == self && entry.handle == ownFile) return static_cast<int>(entry.typeIndex);
  }
  return -1;
}

}  // namespace

int CloseOtherHandlesTo(HANDLE file, HMODULE module) {
  fw::LowerName target;
  if (!fw::ReadLowerObjectName(file, target)) return 0;
  const HandleSnapshot handles;
  const int fileType = FileTypeIndex(handles, file);

  OwnerProcesses owners;
  NameQueries names(module, kNameQueryLimitMs, kNameQueryBudgetMs);
  fw::LowerName name;
  int closed = 0;
  for (SIZE_T i = 0; i < handles.Count(); ++i) {
    const HandleEntry entry = handles.At(i);
    if (fileType >= 0 && static_cast<int>(entry.typeIndex) != fileType) continue;
    HANDLE process = owners.Open(entry.processId);
    if (!process) continue;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, entry.handle, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
      continue;
    fw::UniqueHandle duplicate(copy);
    if (fileType < 0 && !fw::IsFileObject(duplicate.Get())) continue;
    // Pipes and consoles are passed over before their names are asked: a
    // name query on a synchronous pipe can block for ever.
    if (GetFileType(duplicate.Get()) != FILE_TYPE_DISK) continue;
    if (!names.Read(duplicate.Release(), name) || !fw::SameName(name, target)) continue;
    HANDLE closedCopy = nullptr;
    if (DuplicateHandle(process, entry.handle, GetCurrentProcess(), &closedCopy, 0, FALSE,
                        DUPLICATE_CLOSE_SOURCE)) {
      CloseHandle(closedCopy);
      ++closed;
    }
  }
  return closed;
}

#include "forcedel/open_handles.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "framework/raii.h"
#include "framework/system_objects.h"

namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr ULONG kSystemHandleInformation = 16;
constexpr ULONG kSystemExtendedHandleInformation = 64;
// The handle list of a busy system is a few megabytes; more is not believed.
constexpr size_t kMaxHandleListBytes = 256u << 20;
// How long a name query may take before its handle is passed over.
constexpr DWORD kNameQueryLimitMs = 1000;

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

// Appends the entries of a list the system filled size bytes of; a count
// larger than the bytes hold is cut to them.
template <class List>
void AppendEntries(const std::vector<BYTE>& buffer, size_t size, std::vector<HandleEntry>& out) {
  const size_t header = offsetof(List, entries);
  if (size < header) return;
  const auto* list = reinterpret_cast<const List*>(buffer.data());
  const size_t count =
      std::min<size_t>(list->count, (size - header) / sizeof(list->entries[0]));
  for (size_t i = 0; i < count; ++i) {
    const auto& e = list->entries[i];
    out.push_back({static_cast<DWORD>(e.processId),
                   reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(e.handle)), e.typeIndex});
  }
}

// Every handle of the system, from the newest list the system gives.
std::vector<HandleEntry> SystemHandles() {
  std::vector<HandleEntry> handles;
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const auto query = ntdll ? reinterpret_cast<QuerySystemFn>(reinterpret_cast<void*>(
                                 GetProcAddress(ntdll, "NtQuerySystemInformation")))
                           : nullptr;
  if (!query) return handles;
  for (ULONG informationClass : {kSystemExtendedHandleInformation, kSystemHandleInformation}) {
    std::vector<BYTE> buffer(1u << 16);
    ULONG got = 0;
    LONG status;
    while ((status = query(informationClass, buffer.data(), static_cast<ULONG>(buffer.size()),
                           &got)) == kInfoLengthMismatch &&
           buffer.size() < kMaxHandleListBytes)
      buffer.resize(buffer.size() * 2);
    if (status < 0) continue;
    const size_t size = std::min<size_t>(got ? got : buffer.size(), buffer.size());
    if (informationClass == kSystemExtendedHandleInformation)
      AppendEntries<ExtendedList>(buffer, size, handles);
    else
      AppendEntries<ShortList>(buffer, size, handles);
    break;
  }
  return handles;
}

bool IsSystemAccount(const std::vector<BYTE>& user) {
  // The local system, local service and network service accounts
  // (S-1-5-18, -19, -20).
  PSID sid = const_cast<BYTE*>(user.data());
  static const SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  return *GetSidSubAuthorityCount(sid) == 1 &&
         memcmp(GetSidIdentifierAuthority(sid), &nt, sizeof nt) == 0 &&
         *GetSidSubAuthority(sid, 0) >= SECURITY_LOCAL_SYSTEM_RID &&
         *GetSidSubAuthority(sid, 0) <= SECURITY_NETWORK_SERVICE_RID;
}

// The processes whose handles may be closed, opened once each.
class OwnerProcesses {
 public:
  OwnerProcesses() : user_(fw::ProcessUserSid(GetCurrentProcess())) {}

  // The process pid opened for duplicating its handles, or null when its
  // handles must be left alone: this process, the system's own processes,
  // another user's processes.
  HANDLE Open(DWORD pid) {
    auto found = processes_.find(pid);
    if (found != processes_.end()) return found->second.Get();
    fw::UniqueHandle& process = processes_[pid];
    // 0 is the idle process, 4 (8 on Windows 2000, 2 on NT 4.0) the system.
    if (user_.empty() || IsSystemAccount(user_) || pid == GetCurrentProcessId() || pid <= 8)
      return nullptr;
    process.Reset(OpenProcess(PROCESS_DUP_HANDLE | PROCESS_QUERY_INFORMATION, FALSE, pid));
    if (!process.Valid()) return nullptr;
    const std::vector<BYTE> owner = fw::ProcessUserSid(process.Get());
    if (owner.size() != user_.size() || !EqualSid(const_cast<BYTE*>(owner.data()),
                                                 const_cast<BYTE*>(user_.data()))) {
      process.Reset();
      return nullptr;
    }
    return process.Get();
  }

 private:
  std::vector<BYTE> user_;
  std::map<DWORD, fw::UniqueHandle> processes_;
};

// One name query run on a helper thread. Shared by the asking thread and the
// helper; whichever lets go last frees it (a helper that stays blocked keeps
// it, and the library, for ever).
struct NameQuery {
  LONG references = 2;
  HANDLE handle = nullptr;  // owned
  std::wstring name;
  HMODULE module = nullptr;

  void Release() {
    if (InterlockedDecrement(&references) != 0) return;
    CloseHandle(handle);
    delete this;
  }
};

DWORD WINAPI NameQueryThread(void* parameter) {
  auto* query = static_cast<NameQuery*>(parameter);
  const HMODULE module = query->module;
  query->name = fw::ObjectName(query->handle);
  query->Release();
  // The thread's own reference keeps this code loaded until it has left it.
  FreeLibraryAndExitThread(module, 0);
  return 0;
}

// The name of handle (a duplicate this call takes over), asked on a helper
// thread and given up after kNameQueryLimitMs; empty then.
std::wstring NameWithTimeLimit(HANDLE handle, HMODULE module) {
  char modulePath[MAX_PATH] = {};
  HMODULE reference = nullptr;
  if (GetModuleFileNameA(module, modulePath, MAX_PATH)) reference = LoadLibraryA(modulePath);
  if (!reference) {
    CloseHandle(handle);
    return std::wstring();
  }
  auto* query = new NameQuery;
  query->handle = handle;
  query->module = reference;
  DWORD id = 0;
  fw::UniqueHandle thread(CreateThread(nullptr, 0, &NameQueryThread, query, 0, &id));
  if (!thread.Valid()) {
    FreeLibrary(reference);
    query->references = 1;
    query->Release();
    return std::wstring();
  }
  std::wstring name;
  if (WaitForSingleObject(thread.Get(), kNameQueryLimitMs) == WAIT_OBJECT_0) name = query->name;
  query->Release();
  return name;
}

// The type index the system gives file handles, learnt from a file handle
// of this process; -1 when it is not in the list.
int FileTypeIndex(const std::vector<HandleEntry>& handles, HANDLE ownFile) {
  const DWORD self = GetCurrentProcessId();
  for (const HandleEntry& entry : handles)
    if (entry.processId == self && entry.handle == ownFile) return static_cast<int>(entry.typeIndex);
  return -1;
}

}  // namespace

int CloseOtherHandlesTo(const char* path, HMODULE module) {
  // Opening for attributes only passes every sharing lock, and the name the
  // system gives this handle is the one to look for.
  fw::UniqueHandle file(CreateFileA(path, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return 0;
  const std::wstring target = fw::Lower(fw::ObjectName(file.Get()));
  if (target.empty()) return 0;
  const std::vector<HandleEntry> handles = SystemHandles();
  const int fileType = FileTypeIndex(handles, file.Get());
  file.Reset();

  OwnerProcesses owners;
  int closed = 0;
  for (const HandleEntry& entry : handles) {
    if (fileType >= 0 && static_cast<int>(entry.typeIndex) != fileType) continue;
    HANDLE process = owners.Open(entry.processId);
    if (!process) continue;
    HANDLE copy = nullptr;
    if (!DuplicateHandle(process, entry.handle, GetCurrentProcess(), &copy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
      continue;
    fw::UniqueHandle duplicate(copy);
    if (fileType < 0 && fw::ObjectTypeName(duplicate.Get()) != L"File") continue;
    // Pipes and consoles are passed over before their names are asked: a
    // name query on a synchronous pipe can block for ever.
    if (GetFileType(duplicate.Get()) != FILE_TYPE_DISK) continue;
    if (fw::Lower(NameWithTimeLimit(duplicate.Release(), module)) != target) continue;
    HANDLE closedCopy = nullptr;
    if (DuplicateHandle(process, entry.handle, GetCurrentProcess(), &closedCopy, 0, FALSE,
                        DUPLICATE_CLOSE_SOURCE)) {
      CloseHandle(closedCopy);
      ++closed;
    }
  }
  return closed;
}

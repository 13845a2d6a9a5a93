#include "framework/native_objects.h"

#include "framework/raii.h"

namespace fw {
namespace {

constexpr int kObjectNameInformation = 1;
constexpr int kObjectTypeInformation = 2;
constexpr int kFileBasicInformation = 4;
constexpr int kFileDispositionInformation = 13;
constexpr LONG kNotImplemented = static_cast<LONG>(0xC0000002);

struct CountedString {
  USHORT length;  // bytes
  USHORT maximumLength;
  wchar_t* buffer;
};
struct IoStatus {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};
struct BasicInformation {
  LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;  // 0: unchanged
  ULONG attributes;
};

using QueryObjectFn = LONG(NTAPI*)(HANDLE, int, void*, ULONG, ULONG*);
using SetInformationFn = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);

template <class Fn>
Fn NativeCall(const char* name) {
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, name)))
               : nullptr;
}

// Looked up once, when the program or library is loaded (ntdll is always
// there by then); no guarded function-local statics, which need the run-time.
const QueryObjectFn gQueryObject = NativeCall<QueryObjectFn>("NtQueryObject");
const SetInformationFn gSetInformation = NativeCall<SetInformationFn>("NtSetInformationFile");

// The text an object information class begins with (its name or type name),
// lower-cased into name. The buffer holds the counted string and its text.
bool ReadLowerText(HANDLE handle, int informationClass, LowerName& name) {
  name.length = 0;
  union {
    CountedString header;
    BYTE bytes[sizeof(CountedString) + kMaxObjectName * sizeof(wchar_t)];
  } buffer;
  ULONG got = 0;
  if (QueryObjectInformation(handle, informationClass, &buffer, sizeof buffer, &got) < 0)
    return false;
  const CountedString& text = buffer.header;
  const int length = text.length / static_cast<int>(sizeof(wchar_t));
  if (!text.buffer || length <= 0 || length > kMaxObjectName) return false;
  CopyMemory(name.text, text.buffer, length * sizeof(wchar_t));
  CharLowerBuffW(name.text, static_cast<DWORD>(length));
  name.length = length;
  return true;
}

}  // namespace

LONG QueryObjectInformation(HANDLE handle, int informationClass, void* buffer, ULONG size,
                            ULONG* needed) {
  if (!gQueryObject) return kNotImplemented;
  return gQueryObject(handle, informationClass, buffer, size, needed);
}

bool ReadLowerObjectName(HANDLE handle, LowerName& name) {
  return ReadLowerText(handle, kObjectNameInformation, name);
}

bool IsFileObject(HANDLE handle) {
  LowerName type;
  return ReadLowerText(handle, kObjectTypeInformation, type) && type.length == 4 &&
         type.text[0] == L'f' && type.text[1] == L'i' && type.text[2] == L'l' &&
         type.text[3] == L'e';
}

bool ReadProcessUser(HANDLE process, UserSid& user) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return false;
  UniqueHandle token(raw);
  union {
    TOKEN_USER user;
    BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  } buffer;
  DWORD size = 0;
  if (!GetTokenInformation(token.Get(), TokenUser, &buffer, sizeof buffer, &size)) return false;
  PSID sid = buffer.user.User.Sid;
  if (!sid || !IsValidSid(sid)) return false;
  return CopySid(sizeof user.bytes, user.bytes, sid) != FALSE;
}

bool SetAttributesOf(HANDLE handle, DWORD attributes) {
  if (!gSetInformation) return false;
  BasicInformation basic = {};
  basic.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  IoStatus io = {};
  return gSetInformation(handle, &io, &basic, sizeof basic, kFileBasicInformation) >= 0;
}

bool MarkForDeletion(HANDLE handle) {
  if (!gSetInformation) return false;
  BOOLEAN deleteFile = TRUE;
  IoStatus io = {};
  return gSetInformation(handle, &io, &deleteFile, sizeof deleteFile,
                         kFileDispositionInformation) >= 0;
}

bool HasObjectCalls() { return gQueryObject && gSetInformation; }

bool SameName(const LowerName& a, const LowerName& b) {
  if (a.length != b.length) return false;
  for (int i = 0; i < a.length; ++i)
    if (a.text[i] != b.text[i]) return false;
  return true;
}

HANDLE FolderEntryOpener::Open(const char* path, int nameStart, DWORD access) {
  // ANSI paths stop at MAX_PATH: a longer one cannot be opened anyway.
  if (nameStart <= 0 || nameStart >= MAX_PATH || path[nameStart - 1] != '\\') {
    SetLastError(ERROR_BAD_PATHNAME);
    return nullptr;
  }
  bool sameFolder = folder_[nameStart] == '\0';
  for (int i = 0; sameFolder && i < nameStart; ++i) sameFolder = folder_[i] == path[i];
  if (!sameFolder) {
    CopyMemory(folder_, path, nameStart);
    folder_[nameStart] = '\0';
    UniqueHandle folder(CreateFileA(folder_, FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder.Valid() || !ReadLowerObjectName(folder.Get(), folderName_)) {
      folderName_.length = 0;
    } else if (folderName_.text[folderName_.length - 1] != L'\\') {
      // The name of a drive's root ends in a backslash, other folders' do not.
      if (folderName_.length == kMaxObjectName)
        folderName_.length = 0;
      else
        folderName_.text[folderName_.length++] = L'\\';
    }
  }
  if (folderName_.length == 0) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return nullptr;
  }
  // The entry's expected name: the folder's name and the entry's, widened.
  LowerName expected = folderName_;
  const int room = kMaxObjectName - expected.length;
  const int added = room > 0 ? MultiByteToWideChar(CP_ACP, 0, path + nameStart, -1,
                                                  expected.text + expected.length, room)
                             : 0;
  if (added <= 1) {  // no name, or too long; the count includes the final zero
    SetLastError(ERROR_BAD_PATHNAME);
    return nullptr;
  }
  CharLowerBuffW(expected.text + expected.length, static_cast<DWORD>(added - 1));
  expected.length += added - 1;

  UniqueHandle file(CreateFileA(path, access,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return nullptr;  // CreateFileA's error stands
  LowerName opened;
  if (!ReadLowerObjectName(file.Get(), opened) || !SameName(opened, expected)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  return file.Release();
}

}  // namespace fw

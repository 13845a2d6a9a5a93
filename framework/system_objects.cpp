#include "framework/system_objects.h"

#include "framework/raii.h"

namespace fw {
namespace {

constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
constexpr int kObjectNameInformation = 1;
constexpr int kObjectTypeInformation = 2;
constexpr int kFileBasicInformation = 4;
constexpr int kFileDispositionInformation = 13;

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

QueryObjectFn QueryObject() {
  static const QueryObjectFn query = NativeCall<QueryObjectFn>("NtQueryObject");
  return query;
}

SetInformationFn SetInformation() {
  static const SetInformationFn set = NativeCall<SetInformationFn>("NtSetInformationFile");
  return set;
}

// Both information classes begin with the object's name or type name.
std::wstring QueryObjectText(HANDLE handle, int informationClass) {
  QueryObjectFn query = QueryObject();
  if (!query) return std::wstring();
  std::vector<BYTE> buffer(4096);
  ULONG got = 0;
  LONG status =
      query(handle, informationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &got);
  if (status == kInfoLengthMismatch && got > buffer.size() && got < (1u << 20)) {
    buffer.resize(got);
    status =
        query(handle, informationClass, buffer.data(), static_cast<ULONG>(buffer.size()), &got);
  }
  if (status < 0) return std::wstring();
  const auto* text = reinterpret_cast<const CountedString*>(buffer.data());
  if (!text->buffer) return std::wstring();
  return std::wstring(text->buffer, text->length / sizeof(wchar_t));
}

}  // namespace

std::vector<BYTE> ProcessUserSid(HANDLE process) {
  HANDLE raw = nullptr;
  if (!OpenProcessToken(process, TOKEN_QUERY, &raw)) return {};
  UniqueHandle token(raw);
  DWORD size = 0;
  GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
  PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
  if (!sid || !IsValidSid(sid)) return {};
  const BYTE* bytes = static_cast<const BYTE*>(sid);
  return std::vector<BYTE>(bytes, bytes + GetLengthSid(sid));
}

std::wstring ObjectName(HANDLE handle) { return QueryObjectText(handle, kObjectNameInformation); }

std::wstring ObjectTypeName(HANDLE handle) {
  return QueryObjectText(handle, kObjectTypeInformation);
}

bool SetAttributesOf(HANDLE handle, DWORD attributes) {
  SetInformationFn set = SetInformation();
  if (!set) return false;
  BasicInformation basic = {};
  basic.attributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
  IoStatus io = {};
  return set(handle, &io, &basic, sizeof basic, kFileBasicInformation) >= 0;
}

bool MarkForDeletion(HANDLE handle) {
  SetInformationFn set = SetInformation();
  if (!set) return false;
  BOOLEAN deleteFile = TRUE;
  IoStatus io = {};
  return set(handle, &io, &deleteFile, sizeof deleteFile, kFileDispositionInformation) >= 0;
}

bool HasObjectCalls() { return QueryObject() && SetInformation(); }

std::wstring Lower(std::wstring text) {
  if (!text.empty()) CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

std::wstring LowerWide(const std::string& ansi) {
  std::wstring wide(ansi.size() + 1, L'\0');
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                    &wide[0], static_cast<int>(wide.size()));
  wide.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return Lower(std::move(wide));
}

}  // namespace fw

#include "framework/system_objects.h"

namespace fw {

std::vector<BYTE> ProcessUserSid(HANDLE process) {
  UserSid user;
  if (!ReadProcessUser(process, user)) return {};
  return std::vector<BYTE>(user.bytes, user.bytes + GetLengthSid(user.bytes));
}

std::wstring ObjectName(HANDLE handle) {
  constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);
  constexpr int kObjectNameInformation = 1;
  struct CountedString {
    USHORT length;  // bytes
    USHORT maximumLength;
    wchar_t* buffer;
  };
  std::vector<BYTE> buffer(4096);
  ULONG got = 0;
  LONG status = QueryObjectInformation(handle, kObjectNameInformation, buffer.data(),
                                       static_cast<ULONG>(buffer.size()), &got);
  if (status == kInfoLengthMismatch && got > buffer.size() && got < (1u << 20)) {
    buffer.resize(got);
    status = QueryObjectInformation(handle, kObjectNameInformation, buffer.data(),
                                    static_cast<ULONG>(buffer.size()), &got);
  }
  if (status < 0) return std::wstring();
  const auto* text = reinterpret_cast<const CountedString*>(buffer.data());
  if (!text->buffer) return std::wstring();
  return std::wstring(text->buffer, text->length / sizeof(wchar_t));
}

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

#include "registry/backup_file.h"

#include <direct.h>

#include <cstdio>

#include "app/cleaner_app.h"

namespace {
// RegistryKey::GetString reads into 255 bytes: longer data reads as empty.
constexpr size_t kStringBuffer = 255;
}  // namespace

std::string BackupFileName(const SYSTEMTIME& t) {
  char name[96];
  std::snprintf(name, sizeof name, "%04d년%02d월%02d일-%02d시%02d분%02d초.reg", t.wYear, t.wMonth,
                t.wDay, t.wHour, t.wMinute, t.wSecond);
  return name;
}

fw::UniqueHandle OpenBackupFile() {
  const std::string folder = ProgramFolder() + "/backup";
  _mkdir(folder.c_str());  // an existing folder is fine; a failure shows below
  SYSTEMTIME now;
  GetLocalTime(&now);
  fw::UniqueHandle file(CreateFileA((folder + "/" + BackupFileName(now)).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                    nullptr));
  if (!file.Valid()) return file;
  LONG high = 0;
  SetLastError(NO_ERROR);
  if (SetFilePointer(file.Get(), 0, &high, FILE_END) == INVALID_SET_FILE_POINTER &&
      GetLastError() != NO_ERROR)
    file.Reset();
  return file;
}

bool AppendBackupLines(HANDLE file, const std::string& lines) {
  DWORD written = 0;
  return WriteFile(file, lines.data(), static_cast<DWORD>(lines.size()), &written, nullptr) &&
         written == lines.size() && FlushFileBuffers(file);
}

bool ReadRawValue(HKEY key, const std::string& name, DWORD& type, std::string& bytes) {
  // The value may grow between the size query and the read: ask again.
  for (int attempt = 0; attempt < 8; ++attempt) {
    DWORD size = 0;
    if (RegQueryValueExA(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      return false;
    std::string buffer(size + 1, '\0');
    DWORD got = size;
    LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(&buffer[0]), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return false;
    // The size asked first may be larger than what the read delivers.
    bytes.assign(buffer.data(), got < size ? got : size);
    return true;
  }
  return false;
}

std::string RegistryStringText(DWORD type, const std::string& bytes) {
  if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes.size() > kStringBuffer)
    return std::string();
  return std::string(bytes.c_str());
}

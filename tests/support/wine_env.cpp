#include "tests/support/wine_env.h"

#include <shellapi.h>

#include <atomic>
#include <cstdio>

#include "framework/raii.h"

namespace testing_support {

std::string BinFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string p = path;
  return p.substr(0, p.find_last_of('\\'));
}

TempFolder::TempFolder(const std::string& tag) {
  static std::atomic<int> counter{0};
  CreateDirectoryA("C:\\spruce-tests", nullptr);
  path_ = "C:\\spruce-tests\\" + tag + "-" + std::to_string(GetCurrentProcessId()) + "-" +
          std::to_string(counter++);
  RemoveTree(path_);
  CreateDirectoryA(path_.c_str(), nullptr);
}

TempFolder::~TempFolder() { RemoveTree(path_); }

void RemoveTree(const std::string& path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    WIN32_FIND_DATAA data;
    fw::FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
    if (find.Valid()) {
      do {
        std::string name = data.cFileName;
        if (name != "." && name != "..") RemoveTree(path + "\\" + name);
      } while (FindNextFileA(find.Get(), &data));
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
  } else {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path.c_str())) RemoveDirectoryA(path.c_str());
  }
}

std::string UnixFileName(const std::string& path) {
  using UnixName = char*(CDECL*)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return std::string();
  wchar_t wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  char* name = unixName(wide);
  std::string result = name ? name : "";
  HeapFree(GetProcessHeap(), 0, name);
  return result;
}

void RunUnixCommand(const std::string& command, const std::function<bool()>& done) {
  RunProcess("start.exe /wait /unix " + command, "");
  for (int i = 0; i < 200 && !done(); ++i) Sleep(25);
}

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return bytes;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) bytes.append(buf, n);
  std::fclose(f);
  return bytes;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void DeleteKeyTree(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
    char name[256];
    for (;;) {
      DWORD size = sizeof name;
      if (RegEnumKeyExA(key, 0, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      DeleteKeyTree(key, name);
    }
    RegCloseKey(key);
  }
  RegDeleteKeyA(root, path.c_str());
}

HANDLE StartProcess(const std::string& commandLine, const std::string& workingFolder) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::string cmd = commandLine;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi))
    return nullptr;
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

DWORD RunProcess(const std::string& commandLine, const std::string& workingFolder, std::string* output,
                 DWORD timeoutMs) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (output && !CreatePipe(&readEnd, &writeEnd, &sa, 0)) return static_cast<DWORD>(-1);
  if (readEnd) SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  fw::UniqueHandle reader(readEnd), writer(writeEnd);

  STARTUPINFOA si = {};
  si.cb = sizeof si;
  if (output) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = writer.Get();
    si.hStdError = writer.Get();
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  PROCESS_INFORMATION pi = {};
  std::string cmd = commandLine;
  if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, output ? TRUE : FALSE, 0, nullptr,
                      workingFolder.empty() ? nullptr : workingFolder.c_str(), &si, &pi))
    return static_cast<DWORD>(-1);
  fw::UniqueHandle process(pi.hProcess), thread(pi.hThread);
  writer.Reset();
  if (output) {
    char buf[1024];
    DWORD n;
    while (ReadFile(reader.Get(), buf, sizeof buf, &n, nullptr) && n > 0) output->append(buf, n);
  }
  if (WaitForSingleObject(process.Get(), timeoutMs) != WAIT_OBJECT_0) {
    TerminateProcess(process.Get(), 1);
    return static_cast<DWORD>(-2);
  }
  DWORD code = 0;
  GetExitCodeProcess(process.Get(), &code);
  return code;
}

std::string ArtifactFolder() {
  char buf[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("SPRUCE_ARTIFACTS", buf, sizeof buf);
  if (n == 0 || n >= sizeof buf) return std::string();
  std::string unixPath(buf, n);
  if (unixPath.size() > 1 && unixPath[1] == ':') return unixPath;
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

ReadOnlyKey::ReadOnlyKey(HKEY root, const std::string& path) {
  if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key_) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  DWORD size = 0;
  RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size);
  saved_.resize(size);
  if (size == 0 ||
      RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS)
    return;
  SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
  PSID everyone = nullptr;
  if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone))
    return;
  alignas(DWORD) BYTE aclBuffer[256];
  auto* acl = reinterpret_cast<PACL>(aclBuffer);
  SECURITY_DESCRIPTOR sd;
  locked_ = InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION) &&
            AddAccessAllowedAce(acl, ACL_REVISION, KEY_READ, everyone) &&
            InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION) &&
            SetSecurityDescriptorDacl(&sd, TRUE, acl, FALSE) &&
            RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &sd) == ERROR_SUCCESS;
  FreeSid(everyone);
}

ReadOnlyKey::~ReadOnlyKey() {
  if (!key_) return;
  if (locked_) RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
  RegCloseKey(key_);
}

}  // namespace testing_support

#include "upgrade/testing/scripted_site.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>

#include "tests/support/wine_env.h"
#include "upgrade/version_file.h"

#ifndef SPRUCE_TEST_PRIVATE_KEY
#define SPRUCE_TEST_PRIVATE_KEY ""
#endif

namespace testing_support {
namespace {

// The repository's root, from where this file was compiled: an absolute
// Unix path, or (ccache's base-folder rewriting) one relative to the build
// folder, which is the parent of the test program's folder.
std::string SourceRootUnix() {
  std::string file = __FILE__;
  for (char& c : file)
    if (c == '\\') c = '/';
  const std::string tail = "upgrade/testing/scripted_site.cpp";
  std::string root = file.substr(0, file.size() - tail.size());
  if (!root.empty() && root[0] == '/') return root;
  return UnixPath(BinFolder()) + "/../" + root;
}

int ReadPort(const std::string& path) {
  std::string text = ReadFileBytes(path);
  return text.empty() ? 0 : std::atoi(text.c_str());
}

}  // namespace

std::string ListedFile(const std::string& name, const std::string& bytes) {
  return "Filename: " + name + " " + std::to_string(bytes.size()) + " " +
         Sha256Hex(HashSha256(bytes)) + "\n";
}

std::map<std::string, std::string> FolderFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      files[data.cFileName] = ReadFileBytes(folder + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return files;
}

std::string UnixPath(const std::string& windowsPath) {
  using Convert = char*(CDECL*)(const WCHAR*);
  auto convert = reinterpret_cast<Convert>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
  if (!convert) return std::string();
  WCHAR wide[1024];
  if (!MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, 1024)) return std::string();
  char* unix = convert(wide);
  if (!unix) return std::string();
  std::string result = unix;
  HeapFree(GetProcessHeap(), 0, unix);
  return result;
}

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

ScriptedSite::ScriptedSite() {
  static int counter = 0;
  CreateDirectoryA("C:\\spruce-tests", nullptr);
  folder_ = "C:\\spruce-tests\\site-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(counter++);
  RemoveTree(folder_);
  CreateDirectoryA(folder_.c_str(), nullptr);
  CreateDirectoryA((folder_ + "\\root").c_str(), nullptr);
  CreateDirectoryA((folder_ + "\\root\\spruce").c_str(), nullptr);
  SetScript("{}");
  const std::string unix = UnixPath(folder_);
  if (unix.empty()) return;
  // start.exe runs a Unix program; the server lets go of the standard
  // streams at once (--detach) and ends by itself should a test die.
  const std::string key = SPRUCE_TEST_PRIVATE_KEY;
  const std::string command = "start.exe /unix /usr/bin/python3 " + SourceRootUnix() +
                              "/scripts/site_server.py --port 0 --detach --exit-after 900" +
                              " --port-file " + unix + "/port --root " + unix + "/root" +
                              " --script " + unix + "/script.json --log " + unix + "/requests.log" +
                              (key.empty() ? std::string() : " --signing-key " + key);
  if (RunProcess(command, "") != 0) return;
  for (int i = 0; i < 300 && port_ == 0; ++i) {
    port_ = ReadPort(folder_ + "\\port");
    if (port_ == 0) Sleep(50);
  }
}

ScriptedSite::~ScriptedSite() {
  if (port_ != 0) {
    HINTERNET session = InternetOpenA("test", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    if (session) {
      HINTERNET quit = InternetOpenUrlA(session, (Origin() + "/__quit").c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
      if (quit) InternetCloseHandle(quit);
      InternetCloseHandle(session);
    }
  }
  RemoveTree(folder_);
}

std::string ScriptedSite::Origin() const { return "http://127.0.0.1:" + std::to_string(port_); }

bool ScriptedSite::PutFile(const std::string& name, const std::string& bytes) const {
  return WriteFileBytes(folder_ + "\\root\\spruce\\" + name, bytes);
}

bool ScriptedSite::SetScript(const std::string& json) const {
  // Written under another name and moved in, so the server never reads half.
  const std::string path = folder_ + "\\script.json";
  if (!WriteFileBytes(path + ".new", json)) return false;
  DeleteFileA(path.c_str());
  return MoveFileA((path + ".new").c_str(), path.c_str()) != FALSE;
}

std::vector<std::string> ScriptedSite::Requests() const {
  std::vector<std::string> lines;
  std::string text = ReadFileBytes(folder_ + "\\requests.log");
  size_t start = 0;
  for (size_t at; (at = text.find('\n', start)) != std::string::npos; start = at + 1)
    lines.push_back(text.substr(start, at - start));
  return lines;
}

void ScriptedSite::ClearRequests() const { DeleteFileA((folder_ + "\\requests.log").c_str()); }

}  // namespace testing_support

// A real HTTP server on 127.0.0.1 for the upgrade tests: the repository's
// site server (scripts/site_server.py) in scripted mode, started as a Unix
// program from inside Wine. Its static root, answer script and request log
// live in a folder of the test's own, removed when the object goes. A
// version file's signature ("version.sig") that is neither put nor scripted
// is made by the server with the build's test key, over the bytes it serves
// as "version.dat".
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

class ScriptedSite {
 public:
  // Starts the server; Ok() tells whether it answers.
  ScriptedSite();
  ~ScriptedSite();
  ScriptedSite(const ScriptedSite&) = delete;
  ScriptedSite& operator=(const ScriptedSite&) = delete;

  bool Ok() const { return port_ != 0; }
  // "http://127.0.0.1:<port>" and the update server's base, that plus "/spruce".
  std::string Origin() const;
  std::string Base() const { return Origin() + "/spruce"; }

  // Serves bytes as the static file /spruce/<name>.
  bool PutFile(const std::string& name, const std::string& bytes) const;
  // Replaces the answer script (a JSON object of rules by path; see the
  // server's help). Read anew by the server for every request.
  bool SetScript(const std::string& json) const;
  // The requests so far, "GET /spruce/version.dat" each, and a fresh start.
  std::vector<std::string> Requests() const;
  void ClearRequests() const;

 private:
  std::string folder_;  // Windows path of the server's folder
  int port_ = 0;
};

// The version file's line that lists a file with bytes: "Filename: name
// size sha256" and a line end.
std::string ListedFile(const std::string& name, const std::string& bytes);

// Every file directly in folder, by name, with its bytes.
std::map<std::string, std::string> FolderFiles(const std::string& folder);

// Holds a file open without sharing, as a running program or a virus
// scanner would, for the life of the object.
class FileLock {
 public:
  explicit FileLock(const std::string& path)
      : h_(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr)) {}
  ~FileLock() { Release(); }
  bool Held() const { return h_ != INVALID_HANDLE_VALUE; }
  void Release() {
    if (Held()) CloseHandle(h_);
    h_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE h_;
};

// The Unix path of a Windows path (Wine's own conversion); empty when there
// is none.
std::string UnixPath(const std::string& windowsPath);

// Text as a JSON string literal (quotes included); bytes above 0x7F are
// written as \u00XX, which the server turns back into the same bytes.
std::string JsonString(const std::string& text);

}  // namespace testing_support

// Helpers for tests that work on the real registry, files and processes of
// the throwaway Wine prefix.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace testing_support {

// Folder of the running test program (where Spruce.exe is built too).
std::string BinFolder();

// A new empty folder on drive C: for one test, removed with its contents by
// the destructor.
class TempFolder {
 public:
  explicit TempFolder(const std::string& tag);
  ~TempFolder();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "\\" + name; }

 private:
  std::string path_;
};

// Deletes a file/folder tree (for test clean-up).
void RemoveTree(const std::string& path);

std::string ReadFileBytes(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
bool FileExists(const std::string& path);

// Deletes a registry key with all its subkeys (test clean-up).
void DeleteKeyTree(HKEY root, const std::string& path);

// While it lives, an existing key grants everyone read access only, so the
// program under test may read it but not write to it or delete its values,
// as a user without administrator rights finds the machine's keys. This is
// real: the wineserver checks a key's security descriptor on every open.
// The key's own descriptor comes back when the object goes.
class ReadOnlyKey {
 public:
  ReadOnlyKey(HKEY root, const std::string& path);
  ~ReadOnlyKey();
  ReadOnlyKey(const ReadOnlyKey&) = delete;
  ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
  // True when the key is read-only now.
  bool Locked() const { return locked_; }

 private:
  HKEY key_ = nullptr;  // kept open with the right to change its descriptor
  std::vector<BYTE> saved_;
  bool locked_ = false;
};

// Starts a program and returns its process handle (null on failure).
HANDLE StartProcess(const std::string& commandLine, const std::string& workingFolder);
// Runs a program to its end and returns its exit code; its standard output
// (when captured) goes to output.
DWORD RunProcess(const std::string& commandLine, const std::string& workingFolder,
                 std::string* output = nullptr, DWORD timeoutMs = 60000);

// The Unix name of a Windows path (under Wine; empty elsewhere).
std::string UnixFileName(const std::string& path);
// Runs a Linux command line, the way links reach a Wine prefix, and waits
// (up to five seconds) until done() holds: "start /unix" may return before
// the command has run.
void RunUnixCommand(const std::string& command, const std::function<bool()>& done);

// Where screenshots and other artifacts of the run are kept (SPRUCE_ARTIFACTS,
// a Unix path turned into the Z: drive path), or empty.
std::string ArtifactFolder();

}  // namespace testing_support

// The cost of deleting a file without reaching through a link, under the
// platform it runs on. Each option deletes blocks of freshly planted files,
// the options taking turns block by block so that the machine's changing
// load falls on all of them alike:
//   - DeleteFileA: the floor (it deletes a link's target under Wine);
//   - open, mark for deletion, close, with no check (the same trap);
//   - the same with the file's name read back through FileNameInformation
//     (no drive in it: a link to the same path on another drive passes);
//   - LinkSafeDeleter: the object name read back and compared (kept).
// Opening with FILE_FLAG_DELETE_ON_CLOSE and cancelling on a mismatch, and
// trusting the find data's attributes, are not measured: under Wine the
// first deletes a link's target all the same and the second sees a file link
// as a plain file (see cleaner/safe_files.cpp).
// Usage: link_delete_bench [files per block] [rounds]   (default 250, 20)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/plant.h"
#include "bench/stopwatch.h"
#include "cleaner/safe_files.h"

namespace {

struct IoStatus {
  union {
    LONG status;
    void* pointer;
  };
  ULONG_PTR information;
};
using QueryInformationFn = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
using SetInformationFn = LONG(NTAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileNameInformation = 9;
constexpr int kFileDispositionInformation = 13;

QueryInformationFn queryInformation;
SetInformationFn setInformation;

HANDLE OpenForDeletion(const std::string& path) {
  return CreateFileA(path.c_str(), DELETE | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

bool MarkAndClose(HANDLE file) {
  IoStatus io = {};
  BOOLEAN yes = TRUE;
  const bool marked =
      setInformation(file, &io, &yes, sizeof yes, kFileDispositionInformation) >= 0;
  CloseHandle(file);
  return marked;
}

bool DeleteUnchecked(const std::string& folder, const std::string& name) {
  HANDLE file = OpenForDeletion(folder + "\\" + name);
  return file != INVALID_HANDLE_VALUE && MarkAndClose(file);
}

bool DeleteByFileName(const std::string& folder, const std::string& name) {
  HANDLE file = OpenForDeletion(folder + "\\" + name);
  if (file == INVALID_HANDLE_VALUE) return false;
  union {
    struct {
      ULONG length;
      wchar_t name[1];
    } info;
    BYTE bytes[4096];
  } buffer;
  IoStatus io = {};
  if (queryInformation(file, &io, &buffer, sizeof buffer, kFileNameInformation) < 0) {
    CloseHandle(file);
    return false;
  }
  // The bench compares only the last part: what the option costs is the
  // query, and its verdict is not used here.
  return MarkAndClose(file);
}

}  // namespace

int main(int argc, char** argv) {
  const int files = std::max(1, argc > 1 ? std::atoi(argv[1]) : 250);
  const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 20);
  HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  queryInformation = reinterpret_cast<QueryInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryInformationFile")));
  setInformation = reinterpret_cast<SetInformationFn>(
      reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetInformationFile")));
  if (!queryInformation || !setInformation) {
    std::printf("the system has no NtQueryInformationFile / NtSetInformationFile\n");
    return 1;
  }

  struct Option {
    const char* name;
    std::function<bool(const std::string&, const std::string&)> remove;
    double seconds = 0;
    int deleted = 0;
  };
  LinkSafeDeleter deleter;
  std::vector<Option> options = {
      {"DeleteFileA (follows links)",
       [](const std::string& folder, const std::string& name) {
         return DeleteFileA((folder + "\\" + name).c_str()) != FALSE;
       }},
      {"open + mark + close, no check", DeleteUnchecked},
      {"... + FileNameInformation", DeleteByFileName},
      {"LinkSafeDeleter (object name)",
       [&](const std::string& folder, const std::string& name) {
         return deleter.Delete(folder, name);
       }},
  };

  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  const std::string base = std::string(temp) + "spruce-link-bench-" +
                           std::to_string(GetCurrentProcessId());
  CreateDirectoryA(base.c_str(), nullptr);
  for (int round = 0; round < rounds; ++round) {
    for (size_t k = 0; k < options.size(); ++k) {
      const std::string folder = base + "\\r" + std::to_string(round) + "o" + std::to_string(k);
      CreateDirectoryA(folder.c_str(), nullptr);
      PlantFiles(folder, files);
      const double start = NowSeconds();
      for (int i = 0; i < files; ++i)
        options[k].deleted += options[k].remove(folder, "f" + std::to_string(i) + ".tmp");
      options[k].seconds += NowSeconds() - start;
      RemoveDirectoryA(folder.c_str());
    }
  }
  RemoveDirectoryA(base.c_str());

  std::printf("%-32s %10s %10s %8s\n", "", "files/s", "us/file", "ratio");
  bool ok = true;
  for (const Option& o : options) {
    std::printf("%-32s %10.0f %10.1f %8.2f  (%d deleted)\n", o.name, o.deleted / o.seconds,
                o.seconds / o.deleted * 1e6, o.seconds / options[0].seconds, o.deleted);
    ok = ok && o.deleted == files * rounds;
  }
  return ok ? 0 : 1;
}

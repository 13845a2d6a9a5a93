#include "updater/install_swap.h"

#include <utility>

#include "framework/raii.h"
#include "upgrade/version_file.h"

namespace {

constexpr DWORD kRetryPause = 100;
const char kVersionFile[] = "version.dat";
const char kFreshSuffix[] = "___new";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsSharingError(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
         error == ERROR_ACCESS_DENIED;
}

// The running program's own file name (no folder).
std::string OwnFileName() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  std::string p = path;
  return p.substr(p.find_last_of('\\') + 1);
}

bool SameName(const std::string& a, const std::string& b) { return CompareVersionText(a, b) == 0; }

}  // namespace

InstallSwap::InstallSwap(std::string folder, DWORD retryMs) : folder_(std::move(folder)), retryMs_(retryMs) {}

std::vector<std::string> InstallSwap::ReservedNames() {
  const std::string v = kVersionFile;
  return {v, v + kFreshSuffix, v + kBackupSuffix};
}

bool InstallSwap::Move(const std::string& from, const std::string& to) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (MoveFileA(from.c_str(), to.c_str())) return true;
    if (!IsSharingError(GetLastError()) || GetTickCount() - start >= retryMs_) return false;
    Sleep(kRetryPause);
  }
}

bool InstallSwap::Apply(const std::vector<std::string>& names, const std::string& newVersion) {
  std::vector<Step> steps;
  for (const std::string& name : names) {
    const std::string path = PathOf(name), backup = path + kBackupSuffix;
    DeleteFileA(backup.c_str());  // a stale one of an interrupted run; the installed file is newer
    Step step;
    step.name = name;
    if (Exists(path)) {
      if (!Move(path, backup)) break;
      step.hadOriginal = true;
    }
    steps.push_back(step);
    if (!Move(path + kStagingSuffix, path)) break;
    steps.back().placed = true;
  }
  const bool allPlaced = steps.size() == names.size() && (steps.empty() || steps.back().placed);
  if (!allPlaced || !WriteVersion(newVersion)) {
    Undo(steps);
    DeleteStaging(names);
    return false;
  }
  for (const Step& step : steps)
    if (step.hadOriginal) DeleteBackup(step.name);
  return true;
}

bool InstallSwap::WriteVersion(const std::string& newVersion) {
  const std::string target = PathOf(kVersionFile);
  const std::string fresh = target + kFreshSuffix, old = target + kBackupSuffix;
  DeleteFileA(fresh.c_str());
  DeleteFileA(old.c_str());
  {
    fw::UniqueHandle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    const bool ok = file.Valid() &&
                    WriteFile(file.Get(), newVersion.data(), static_cast<DWORD>(newVersion.size()),
                              &written, nullptr) &&
                    written == newVersion.size() && CloseHandle(file.Release());
    if (!ok) {
      file.Reset();
      DeleteFileA(fresh.c_str());
      return false;
    }
  }
  const bool had = Exists(target);
  if (had && !Move(target, old)) {
    DeleteFileA(fresh.c_str());
    return false;
  }
  if (!Move(fresh, target)) {
    if (had) Move(old, target);
    DeleteFileA(fresh.c_str());
    return false;
  }
  if (had) DeleteFileA(old.c_str());  // the new version is in place; the old copy is not needed
  return true;
}

void InstallSwap::Undo(const std::vector<Step>& steps) const {
  // Failures here are passed over: each step is tried, and the staging
  // copies go afterwards. A file that cannot go back is the one the failed
  // step could not move either, and it is still in its place.
  for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
    const std::string path = PathOf(it->name);
    if (it->placed) Move(path, path + kStagingSuffix);
    if (it->hadOriginal) Move(path + kBackupSuffix, path);
  }
}

void InstallSwap::DeleteStaging(const std::vector<std::string>& names) const {
  for (const std::string& name : names) DeleteFileA((PathOf(name) + kStagingSuffix).c_str());
}

void InstallSwap::DeleteBackup(const std::string& name) const {
  const std::string backup = PathOf(name) + kBackupSuffix;
  if (DeleteFileA(backup.c_str()) || !SameName(name, OwnFileName())) return;
  // The running updater's old file cannot go while it runs. The NT line can
  // delete it at the next restart; the main program's start removes it too.
  using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto moveFileEx = reinterpret_cast<MoveFileExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
  if (moveFileEx) moveFileEx(backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);  // may be refused
}

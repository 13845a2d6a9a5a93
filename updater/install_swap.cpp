#include "updater/install_swap.h"

#include <cstdlib>
#include <utility>

#include "framework/msgbox.h"
#include "framework/raii.h"
#include "upgrade/version_file.h"

namespace {

constexpr DWORD kRetryPause = 100;

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

// Up to limit bytes of path; false when it cannot be opened or read.
bool ReadSmallFile(const std::string& path, size_t limit, std::string& bytes) {
  fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  bytes.assign(limit, '\0');
  size_t total = 0;
  while (total < limit) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), &bytes[total], static_cast<DWORD>(limit - total), &got, nullptr)) return false;
    if (got == 0) break;
    total += got;
  }
  bytes.resize(total);
  return true;
}

// A new file holding bytes, written through to the disk; held open (without
// sharing) when keep is given, closed otherwise.
bool WriteNewFile(const std::string& path, const std::string& bytes, HANDLE* keep) {
  fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD written = 0;
  const bool ok = WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                  written == bytes.size() && FlushFileBuffers(file.Get());
  if (ok && keep) {
    *keep = file.Release();
    return true;
  }
  if (ok && CloseHandle(file.Release())) return true;
  file.Reset();
  DeleteFileA(path.c_str());
  return false;
}

#ifdef SPRUCE_SWAP_TEST_STOPS
std::function<void(const std::string&)>& StepHook() {
  static std::function<void(const std::string&)> hook;
  return hook;
}

void Step(const std::string& name) {
  static const int stopAt = [] {
    char value[16] = {};
    const DWORD n = GetEnvironmentVariableA("SPRUCE_TEST_SWAP_STOP", value, sizeof value);
    return n > 0 && n < sizeof value ? std::atoi(value) : 0;
  }();
  static int steps = 0;
  if (StepHook()) StepHook()(name);
  if (stopAt > 0 && ++steps == stopAt) TerminateProcess(GetCurrentProcess(), kSwapTestStopExitCode);
}
#else
inline void Step(const std::string&) {}
#endif

}  // namespace

#ifdef SPRUCE_SWAP_TEST_STOPS
void SetSwapStepHook(std::function<void(const std::string& step)> hook) { StepHook() = std::move(hook); }
#endif

InstallSwap::InstallSwap(std::string folder, DWORD retryMs) : folder_(std::move(folder)), retryMs_(retryMs) {
  if (!folder_.empty() && folder_.back() == '\\') folder_.pop_back();  // a drive's root
}

bool InstallSwap::Move(const std::string& from, const std::string& to) const {
  const DWORD start = GetTickCount();
  for (;;) {
    if (MoveFileA(from.c_str(), to.c_str())) return true;
    if (!IsSharingError(GetLastError()) || GetTickCount() - start >= retryMs_) return false;
    Sleep(kRetryPause);
  }
}

bool InstallSwap::ClearStaleBackup(const std::string& name) const {
  const std::string backup = PathOf(name) + kBackupSuffix;
  if (!Exists(backup)) return true;
  // Without its installed file the backup may be the only copy left.
  if (!Exists(PathOf(name))) return false;
  return DeleteFileA(backup.c_str()) != FALSE;
}

bool InstallSwap::Apply(const std::vector<std::string>& names, const std::string& newVersion) {
  stuck_.clear();
  const std::string versionPath = PathOf(kVersionDatName);
  bool ready = !Exists(PathOf(kSwapJournalName)) && ClearStaleBackup(kVersionDatName);
  for (const std::string& name : names)
    ready = ready && Exists(PathOf(name) + kStagingSuffix) && ClearStaleBackup(name);
  SwapJournal journal;
  journal.newVersion = newVersion;
  journal.hadVersion = Exists(versionPath);
  for (const std::string& name : names) journal.files.push_back({name, Exists(PathOf(name))});
  DeleteFileA((versionPath + kVersionFreshSuffix).c_str());  // an earlier run's
  fw::UniqueHandle held(ready ? WriteJournal(journal) : nullptr);
  if (!held.Valid()) {
    DeleteStaging(names);
    return false;
  }
  Step("journal");

  bool placed = true;
  for (const SwapJournal::File& file : journal.files) {
    const std::string path = PathOf(file.name);
    if (file.hadOriginal) {
      if (!Move(path, path + kBackupSuffix)) {
        placed = false;
        break;
      }
      Step("aside " + file.name);
    }
    if (!Move(path + kStagingSuffix, path)) {
      placed = false;
      break;
    }
    Step("placed " + file.name);
  }
  placed = placed && PlaceVersion(journal);
  // The rollback reads the journal as the next start would.
  held.Reset();
  if (!placed) {
    stuck_ = RollBack(journal);
    if (stuck_.empty()) DeleteFileA(PathOf(kSwapJournalName).c_str());
    DeleteStaging(names);
    return false;
  }
  Finish(journal);
  return true;
}

HANDLE InstallSwap::WriteJournal(const SwapJournal& journal) const {
  HANDLE held = nullptr;
  if (!WriteNewFile(PathOf(kSwapJournalName), FormatSwapJournal(journal), &held)) return nullptr;
  return held;
}

bool InstallSwap::PlaceVersion(const SwapJournal& journal) const {
  const std::string target = PathOf(kVersionDatName);
  const std::string fresh = target + kVersionFreshSuffix;
  if (!WriteNewFile(fresh, journal.newVersion, nullptr)) return false;
  Step("version written");
  if (journal.hadVersion) {
    if (!Move(target, target + kBackupSuffix)) return false;
    Step("version aside");
  }
  if (!Move(fresh, target)) return false;
  Step("version placed");
  return true;
}

bool InstallSwap::VersionIsNew(const SwapJournal& journal) const {
  std::string bytes;
  return ReadSmallFile(PathOf(kVersionDatName), kMaxInstalledVersionSize + 1, bytes) &&
         bytes == journal.newVersion;
}

InstallSwap::Recovery InstallSwap::Recover() {
  Recovery recovery;
  const std::string journalPath = PathOf(kSwapJournalName);
  std::string text;
  if (!ReadSmallFile(journalPath, kMaxSwapJournalSize + 1, text)) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) recovery.outcome = Recovery::kBusy;
    return recovery;
  }
  SwapJournal journal;
  if (!ParseSwapJournal(text, folder_.size(), journal)) {
    // Torn while it was written (it is flushed before the first rename, so
    // nothing was renamed yet), or not one this program wrote: nothing it
    // says is acted on.
    DeleteFileA(journalPath.c_str());
    recovery.outcome = Recovery::kDiscarded;
    return recovery;
  }
  if (VersionIsNew(journal)) {
    Finish(journal);
    recovery.outcome = Recovery::kFinished;
    return recovery;
  }
  recovery.stuck = RollBack(journal);
  if (recovery.stuck.empty()) {
    DeleteFileA(journalPath.c_str());
    recovery.outcome = Recovery::kRolledBack;
  } else {
    recovery.outcome = Recovery::kMixed;
  }
  return recovery;
}

std::vector<std::string> InstallSwap::RollBack(const SwapJournal& journal) const {
  // Each step looks at what is on disk, so a rollback cut short itself is
  // simply run again. "version.dat" was swapped last and goes back first.
  std::vector<std::string> stuck;
  const std::string target = PathOf(kVersionDatName), old = target + kBackupSuffix;
  if (journal.hadVersion) {
    if (!Exists(target) && !(Exists(old) && Move(old, target))) stuck.push_back(kVersionDatName);
    if (Exists(target)) DeleteFileA(old.c_str());  // a failure leaves a stale copy the next swap clears
  }
  DeleteFileA((target + kVersionFreshSuffix).c_str());

  for (auto it = journal.files.rbegin(); it != journal.files.rend(); ++it) {
    const std::string path = PathOf(it->name);
    const std::string staging = path + kStagingSuffix, backup = path + kBackupSuffix;
    // The new copy is in place when there was no original or the original
    // is aside: it goes back to its staging name (one downloaded since is
    // only a copy of it).
    if (Exists(path) && (!it->hadOriginal || Exists(backup))) {
      DeleteFileA(staging.c_str());
      if (!Move(path, staging)) {
        stuck.push_back(it->name);
        continue;
      }
    }
    if (it->hadOriginal && !Exists(path) && !(Exists(backup) && Move(backup, path))) {
      stuck.push_back(it->name);
      continue;
    }
    DeleteFileA(staging.c_str());
  }
  return stuck;
}

void InstallSwap::Finish(const SwapJournal& journal) const {
  bool clean = true;
  for (const SwapJournal::File& file : journal.files) {
    if (!Exists(PathOf(file.name) + kBackupSuffix)) continue;
    // Never the only copy: without its installed file a backup stays.
    if (!Exists(PathOf(file.name))) continue;
    if (!DeleteBackup(file.name)) clean = false;
    Step("backup deleted " + file.name);
  }
  const std::string target = PathOf(kVersionDatName), old = target + kBackupSuffix;
  if (Exists(old) && Exists(target)) {
    if (!DeleteFileA(old.c_str())) clean = false;
    Step("version backup deleted");
  }
  DeleteFileA((target + kVersionFreshSuffix).c_str());  // none after a done swap; a stray one goes
  if (clean) DeleteFileA(PathOf(kSwapJournalName).c_str());
}

void InstallSwap::DeleteStaging(const std::vector<std::string>& names) const {
  for (const std::string& name : names) DeleteFileA((PathOf(name) + kStagingSuffix).c_str());
}

bool InstallSwap::DeleteBackup(const std::string& name) const {
  const std::string backup = PathOf(name) + kBackupSuffix;
  if (!SameName(name, OwnFileName())) {
    // The program that ran from the old file may only just have exited.
    const DWORD start = GetTickCount();
    for (;;) {
      if (DeleteFileA(backup.c_str())) return true;
      if (!IsSharingError(GetLastError()) || GetTickCount() - start >= retryMs_) return false;
      Sleep(kRetryPause);
    }
  }
  if (DeleteFileA(backup.c_str())) return true;
  // The running updater's old file cannot go while it runs: the journal
  // stays, and the main program's start deletes it. The NT line can also
  // delete it at the next restart.
  using MoveFileExFn = BOOL(WINAPI*)(LPCSTR, LPCSTR, DWORD);
  auto moveFileEx = reinterpret_cast<MoveFileExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "MoveFileExA")));
  if (moveFileEx) moveFileEx(backup.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);  // may be refused
  return false;
}

std::string MixedInstallText(const std::vector<std::string>& stuck) {
  std::string names;
  for (const std::string& name : stuck) names += (names.empty() ? "" : ", ") + name;
  return "이전 버전으로 되돌리지 못한 파일이 있어 설치된 파일이 이전 버전과 새 버전으로 섞여 있습니다: " +
         names + "\n그 파일을 쓰는 프로그램을 닫은 뒤 스프루스를 다시 시작하면 다시 되돌립니다.";
}

void RecoverInterruptedUpgrade(const std::string& folder) {
  if (folder.empty()) return;  // no folder known: nothing safe to look at
  InstallSwap swap(folder);
  const InstallSwap::Recovery recovery = swap.Recover();
  if (recovery.outcome != InstallSwap::Recovery::kMixed) return;
  fw::ShowMessageBox(nullptr, "지난 업그레이드가 끝나지 못했습니다.\n" + MixedInstallText(recovery.stuck),
                     "업그레이드", MB_OK | MB_ICONERROR);
}

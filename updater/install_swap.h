// Puts the staged copies of a new version in place of the installed files
// and records the new version, all or nothing, with MoveFileA alone (it
// exists on every Windows line; MoveFileEx does not).
//
// Before the first rename the swap writes its journal (swap_journal.h) into
// the program folder, flushed to the disk and held open without sharing until
// the renames are over. For each listed file in order: the installed file
// (when there is one) is renamed aside to its backup (name + "___old"), then
// the staging copy (name + "___") is renamed into place. Then "version.dat"
// is written under a new name and swapped in the same way: from then on the
// swap counts as done. The backups are deleted, the journal last.
//
// A swap that fails is rolled back from its journal. A process that dies on
// the way leaves the journal, and Recover, run at the start of either
// program, rolls the folder back, or finishes the swap once "version.dat" is
// the new one: the listed files and "version.dat" end all old or all new. A
// backup whose installed file is missing is never deleted.
//
// Renames that fail on a sharing error are retried for a while: the main
// program has only just exited and the system may still hold its file.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "updater/swap_journal.h"

class InstallSwap {
 public:
  static constexpr DWORD kDefaultRetryMs = 5000;

  struct Recovery {
    enum Outcome {
      kNothing,     // no journal
      kBusy,        // the journal is held: a swap is running in another process
      kDiscarded,   // a torn or foreign journal, deleted; nothing else touched
      kRolledBack,
      kFinished,
      kMixed,       // the rollback failed for the files in stuck; the journal stays
    };
    Outcome outcome = kNothing;
    std::vector<std::string> stuck;
  };

  // folder: the program folder (a trailing backslash is dropped).
  explicit InstallSwap(std::string folder, DWORD retryMs = kDefaultRetryMs);

  // True when every file and the version are in place. newVersion is
  // written without a line end. Refuses (false, nothing touched but the
  // staging copies, which go) while an earlier journal is still there.
  bool Apply(const std::vector<std::string>& names, const std::string& newVersion);
  // After a failed Apply: the files that could not be put back, so the
  // install is mixed (empty when it is as it was). The journal then stays,
  // and the next start tries again.
  const std::vector<std::string>& Stuck() const { return stuck_; }

  // Rolls back or finishes the swap an existing journal describes.
  Recovery Recover();

  // The names the upgrade keeps for itself beside the listed files, which a
  // version file may not list.
  static std::vector<std::string> ReservedNames() { return SwapReservedNames(); }
  // Deletes the staging copies of names (a failed or cancelled upgrade).
  void DeleteStaging(const std::vector<std::string>& names) const;

  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

 private:
  bool Move(const std::string& from, const std::string& to) const;
  bool ClearStaleBackup(const std::string& name) const;
  // Writes, flushes and returns the journal held without sharing; null on
  // failure (a partial journal is deleted).
  HANDLE WriteJournal(const SwapJournal& journal) const;
  bool PlaceVersion(const SwapJournal& journal) const;
  bool VersionIsNew(const SwapJournal& journal) const;
  // The files that could not be put back.
  std::vector<std::string> RollBack(const SwapJournal& journal) const;
  // Deletes the backups and made copies of a done swap, then the journal
  // (kept while a backup will not go, so a later start deletes it).
  void Finish(const SwapJournal& journal) const;
  // Deletes a backup; false when it stays.
  bool DeleteBackup(const std::string& name) const;

  std::string folder_;
  DWORD retryMs_;
  std::vector<std::string> stuck_;
};

// Run at the start of either program, before anything else reads the
// program folder: recovers an interrupted swap (Recover) and tells the user
// when the install is left mixed.
void RecoverInterruptedUpgrade(const std::string& folder);

// The sentence that says the install is mixed and which files stayed new.
std::string MixedInstallText(const std::vector<std::string>& stuck);

// Test builds only: hook is called with the name of every step of a swap as
// it is taken ("journal", "aside Spruce.exe", "placed Spruce.exe",
// "version written", ...). Besides, a test build whose environment has
// SPRUCE_TEST_SWAP_STOP=n ends itself at once (TerminateProcess, exit code
// kSwapTestStopExitCode) at the n-th step, as a crash would.
void SetSwapStepHook(std::function<void(const std::string& step)> hook);
constexpr UINT kSwapTestStopExitCode = 77;

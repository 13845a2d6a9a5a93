// Puts the staged copies of a new version in place of the installed files
// and records the new version, all or nothing, with MoveFileA alone (it
// exists on every Windows line; MoveFileEx does not).
//
// For each listed file in order: the installed file (when there is one) is
// renamed aside to its backup name (name + "___old"), then the staging copy
// (name + "___") is renamed into place. Then "version.dat" is written under
// a temporary name and swapped in the same way. Only when everything is in
// place are the backups deleted. On any failure every step taken is undone
// in reverse order: the installed files and "version.dat" are as they were,
// and no staging, backup or temporary copy remains.
//
// Renames that fail on a sharing error are retried for a while: the main
// program has only just exited and the system may still hold its file.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class InstallSwap {
 public:
  static constexpr DWORD kDefaultRetryMs = 5000;

  // folder: the program folder (no trailing backslash).
  explicit InstallSwap(std::string folder, DWORD retryMs = kDefaultRetryMs);

  // True when every file and the version are in place. newVersion is
  // written without a line end.
  bool Apply(const std::vector<std::string>& names, const std::string& newVersion);

  // The names the upgrade keeps for itself beside the listed files, which a
  // version file may not list.
  static std::vector<std::string> ReservedNames();
  // Deletes the staging copies of names (a failed or cancelled upgrade).
  void DeleteStaging(const std::vector<std::string>& names) const;

  std::string PathOf(const std::string& name) const { return folder_ + "\\" + name; }

 private:
  struct Step {
    std::string name;
    bool hadOriginal = false;  // renamed aside to its backup
    bool placed = false;       // the staged copy is in place
  };

  bool Move(const std::string& from, const std::string& to) const;
  bool WriteVersion(const std::string& newVersion);
  void Undo(const std::vector<Step>& steps) const;
  // Deletes a backup; the running updater's own one is left to the next start.
  void DeleteBackup(const std::string& name) const;

  std::string folder_;
  DWORD retryMs_;
};

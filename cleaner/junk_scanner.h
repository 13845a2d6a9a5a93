// The junk-file scan of the hard-disk optimizer: the recycle bins of the
// fixed drives C: to Z:, then everything under the Windows temp folder, the
// user's temp folder, the browser cache and the cookies folder. The engine
// touches no window; it reports through OnItemFound and OnFolderEntered,
// which the dialog-bound scanner implements.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// One found thing: one list row.
struct JunkItem {
  // Kept in the row's item data, so that a deletion empties a recycle bin
  // only for a row that really is one, whatever its path text says.
  enum Kind : LPARAM { kFile = 1, kRecycleBin = 2 };

  Kind kind = kFile;
  // A file: its folder exactly as the walk built it (a top folder's trailing
  // backslash stays). A recycle bin: "%s 드라이브 휴지통" with the drive's
  // upper-case letter.
  std::string path;
  // A file: its name. A recycle bin: "%d 개", the low 32 bits of its item count.
  std::string name;
  uint64_t size = 0;
};

class JunkScanner {
 public:
  JunkScanner() = default;
  JunkScanner(const JunkScanner&) = delete;
  JunkScanner& operator=(const JunkScanner&) = delete;
  virtual ~JunkScanner() = default;

  // Runs the five steps in order: recycle bins, Windows temp, user temp,
  // browser cache, cookies. The stop flag is read before every step after
  // the first and before every folder entry. Returns 0.
  int ScanAll();

  // The recycle-bin step alone: each fixed drive C: to Z: in letter order;
  // a bin with items gives a row (even when its size is 0), an empty one
  // none; a failing query ends the step. Does not read the stop flag.
  void ScanRecycleBins();

  // Walks folder depth first in enumeration order, reporting every file
  // (hidden, system and read-only ones too) under it. Subfolders are joined
  // as "%s\%s", so a folder given with a trailing backslash yields a doubled
  // one below it. A directory entry that is a reparse point (junction or
  // symbolic link) is neither entered nor reported: its target may be any
  // folder of the machine. A file link is reported like a file. Sizes come
  // from the enumeration. A folder that cannot be enumerated yields nothing.
  void WalkFolder(const std::string& folder);

  // The four folders in scan order; a folder the system cannot name is left
  // out (an empty path would make the walk start at the drive's root), and
  // so is a guarded one (IsGuardedCleanupFolder): a drive root, the Windows
  // or system folder, the profile, Desktop or My Documents.
  static std::vector<std::string> JunkFolders();

  // Asked from another thread; takes effect at the next check.
  void RequestStop() { stop_ = 1; }
  bool StopRequested() const { return stop_ != 0; }

  int FoundCount() const { return found_; }
  uint64_t TotalSize() const { return total_; }
  void ResetTotals() {
    found_ = 0;
    total_ = 0;
  }

 protected:
  // A thing found; the counts are updated after it returns.
  virtual void OnItemFound(const JunkItem& item) { (void)item; }
  // A folder about to be enumerated.
  virtual void OnFolderEntered(const std::string& folder) { (void)folder; }

 private:
  void Report(const JunkItem& item);

  std::atomic<int> stop_{0};
  int found_ = 0;
  uint64_t total_ = 0;
};

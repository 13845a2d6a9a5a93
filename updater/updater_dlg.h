// The updater's window (dialog 102, "스프루스 업그레이드"): a second after it
// opens it fetches the version file again, downloads every listed file with
// two progress bars (bytes of the current file, files done), puts them in
// place of the installed files, records the new version, and on "완료"
// starts the main program again.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "upgrade/upgrade_checker.h"

// The checker bound to the updater's window: its hooks drive the bars and
// texts. DownloadAll fetches and stages the new version's files.
class CUpdaterChecker : public CUpgradeChecker {
 public:
  // dialog: the updater's window (may be null: nothing is shown).
  explicit CUpdaterChecker(HWND dialog) : dialog_(dialog) {}

  // Checks the version (not silently), refuses an unsafe file list or one
  // with a file listed without its digest before anything is downloaded,
  // then downloads each listed file in order into its staging name (name +
  // "___") in folder, each with the listed digest. True when every file is
  // staged. On any failure the user is told, the staging copies of this run
  // are deleted and nothing else is touched.
  bool DownloadAll(const char* agent, const std::string& baseUrl, const char* versionFile,
                   const std::string& installed, const std::string& folder);

  // The server's file names in version-file order.
  std::vector<std::string> FileNames() const;

 protected:
  void OnFileBegin(const std::string& name, uint32_t size) override;
  void OnFileChunk(const std::string& name, uint32_t bytes) override;
  void OnFileDone(const std::string& name, uint32_t size) override;
  void OnBatchBegin(int count) override;
  void OnBatchStep(int index) override;
  void OnBatchDone(int count) override;

 private:
  // Downloads one listed file as the new file staging; false leaves none.
  bool StageFile(const std::string& baseUrl, const std::string& name, uint32_t size,
                 const Sha256Digest& digest, const std::string& staging);
  HWND Control(int id) const { return dialog_ ? GetDlgItem(dialog_, id) : nullptr; }

  HWND dialog_;
};

class CUpdaterDlg : public fw::Dialog {
 public:
  static constexpr UINT_PTR kStartTimer = 100;
  static constexpr UINT kStartDelayMs = 1000;

  CUpdaterDlg();

  // True once the upgrade has run (button 2 reads "완료").
  bool Finished() const { return finished_; }
  // Time limits handed to the checker (tests shorten them).
  void SetTimeLimits(DWORD versionFileDeadlineMs, DWORD stallLimitMs);

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  // Starts "Spruce.exe" from the program folder and ends the process with
  // exit code 0. Tests replace it.
  virtual void RestartMainProgram();

 private:
  static const fw::MessageEntry<CUpdaterDlg> kMessages[];

  INT_PTR OnTimer(WPARAM, LPARAM);
  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnSysCommand(WPARAM, LPARAM);
  INT_PTR OnQueryDragIcon(WPARAM, LPARAM);
  void OnEnter() {}
  void OnButton2();
  void RunUpgrade();

  HICON icon_ = nullptr;
  bool armed_ = false;     // the start timer may run the upgrade
  bool working_ = false;   // inside RunUpgrade
  bool finished_ = false;
  DWORD versionFileDeadlineMs_ = CUpgradeChecker::kVersionFileDeadlineMs;
  DWORD stallLimitMs_ = CUpgradeChecker::kStallLimitMs;
};

// The about box (dialog 100 of the updater).
class CUpdaterAboutDlg : public fw::Dialog {
 public:
  CUpdaterAboutDlg();
};

// The program folder: the updater's working directory (inherited from the
// main program), without a trailing backslash.
std::string UpdaterFolder();

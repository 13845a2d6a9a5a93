// The registry optimization dialog (104): scans the registry as soon as it
// opens, lists every finding checked, and deletes the checked rows on
// request after writing each one into a backup file that the restore dialog
// can replay.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "app/thread.h"
#include "framework/dialog.h"
#include "framework/raii.h"
#include "framework/settling_button.h"
#include "framework/sync.h"
#include "framework/ui_feed.h"
#include "registry/registry_scanner.h"
#include "widgets/gif_picture.h"

class CRegistryDlg;

// The scanner bound to the dialog: each finding becomes a checked row at the
// end of the list, each progress text the status line. Called on the scan
// thread; the rows and texts reach the controls through the dialog's feed.
class RegistryDlgScanner : public RegistryScanner {
 public:
  explicit RegistryDlgScanner(CRegistryDlg& dialog);

  void OnFound(const RegistryFinding& finding) override;
  void OnScanning(const std::string& text) override;
  int FoundCount() const { return found_; }

  // What the status line shows for a progress text: the text itself, or,
  // when it is longer than 50 bytes, its first 50 bytes followed by "..."
  // (cut at the byte, even inside a double-byte character).
  static std::string StatusText(const std::string& text);

 private:
  CRegistryDlg& dialog_;
  HWND list_;
  HWND status_;
  int found_ = 0;
  bool statusShown_ = false;
  DWORD lastStatus_ = 0;  // GetTickCount when the status was last handed over
};

// The dialog's scan run: DoWork scans once with a dialog-bound scanner
// (owner: the dialog). The scanner lives as long as this object.
class RegistryScanThread : public COptimizeThread {
 public:
  // Stops a running scan and waits for the thread before the scanner goes.
  ~RegistryScanThread() override;
  const char* ClassName() const override { return "RegistryScanThread"; }

  void DoWork() override;
  // Sets the scanner's stop flag; asked before the scanner exists, the scan
  // it creates stops before its first rule.
  void RequestStop() override;

 private:
  fw::CriticalSection lock_;  // guards scanner_ and stopEarly_ between DoWork and RequestStop
  std::unique_ptr<RegistryDlgScanner> scanner_;
  bool stopEarly_ = false;
};

class CRegistryDlg : public fw::Dialog {
 public:
  // The caption of every message box of the dialog.
  static constexpr const char* kTitle = "레지스트리 최적화";

  CRegistryDlg();
  ~CRegistryDlg() override;

  // Hands rows and texts from the workers to the controls (valid once the
  // dialog is initialised).
  fw::UiFeed& Feed() { return *feed_; }
  // True while a scan or a deletion runs ("중지" on button 5).
  bool IsBusy() const { return busy_ != 0; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  void OnOK() override {}  // Enter does not close the dialog

  // Appends one row's backup lines to the backup file and forces them to
  // the disk. False when they are not all written: the row is then left
  // alone and the run stops.
  virtual bool WriteBackup(HANDLE file, const std::string& lines);

 private:
  friend class RegistryScanThread;
  static const fw::MessageEntry<CRegistryDlg> kMessages[];

  // A list row as the deletion run sees it, taken when the run starts.
  struct Row {
    std::string root;
    std::string keyPath;
    std::string valueName;
    std::string data;
    bool checked;
  };
  enum class RowResult { kDone, kBackupFailed };

  void OnExit();
  void OnDeleteOrStop();
  void OnCheckAll();
  void OnUncheckAll();
  void OnStopScan();
  LRESULT OnItemChanging(NMHDR* hdr);
  INT_PTR OnEnterIdle(WPARAM, LPARAM);
  INT_PTR OnTimer(WPARAM timerId, LPARAM);

  void EnterBusy();
  // Called by a worker as its very last step: the dialog's thread switches
  // to idle, after which the worker touches nothing of the dialog.
  void EnterIdleFromWorker();
  void StartAnimation();
  void StopAnimation();

  // The end of the scan run, on the scan thread.
  void FinishScan(const RegistryDlgScanner& scanner);
  static DWORD WINAPI DeleteThreadProc(void* dialog);
  void DeleteCheckedEntries();
  RowResult DeleteEntry(const Row& row, HANDLE backup);

  RegistryScanThread scanThread_;
  std::unique_ptr<fw::UiFeed> feed_;
  std::vector<Row> rows_;
  fw::UniqueHandle deleteThread_;
  // Button 5: "중지" while busy, "삭제" a moment after a job ended.
  fw::SettlingButton deleteButton_;
  // 1 asks the deletion to stop; 1 whenever the dialog is idle.
  std::atomic<int> stop_{1};
  std::atomic<int> busy_{0};
  // A deletion runs: the check boxes of the list are frozen.
  std::atomic<int> deleting_{0};
  fw::Font boldFont_;
  CGifPicture picture_;
  fw::CriticalSection pictureLock_;  // Draw and Stop come from three threads
};

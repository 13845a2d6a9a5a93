// The hard-disk optimizer ("하드디스크 최적화", template 105): lists the junk
// that the scan finds, deletes the ticked rows on a time-critical thread and
// records what it removed in a rotating set of three lists beside the program
// ("backup\disk-<stamp>-<slot>.txt", the next slot kept in
// "backup\diskclean.idx").
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/thread.h"
#include "cleaner/junk_scanner.h"
#include "cleaner/safe_files.h"
#include "framework/dialog.h"
#include "framework/raii.h"
#include "framework/settling_button.h"
#include "framework/ui_feed.h"
#include "widgets/color_label.h"
#include "widgets/gif_picture.h"

class CDiskCleanDlg;

// The scanner bound to the dialog: each item becomes a ticked row at the end
// of the list (its kind in the row's item data) and each folder entered is
// shown in the status label, all handed over through feed.
class DialogJunkScanner : public JunkScanner {
 public:
  DialogJunkScanner(CDiskCleanDlg& dialog, fw::UiFeed& feed);

  // Row: "", path, name, "%I64d %s" of the size scaled by FormatSize.
  void OnItemFound(const JunkItem& item) override;
  // The folder, cut to 60 bytes plus "..." when longer, for the status
  // label; a text equal to the one last handed over is not handed again.
  // Each change repaints the label, so the status goes at most every
  // 100 ms; a newer folder replaces one still waiting.
  void OnFolderEntered(const std::string& folder) override;

 private:
  void HandOverStatus();

  HWND list_;
  HWND status_;
  fw::UiFeed& feed_;
  std::string shown_;    // the status text last handed over
  std::string waiting_;  // a newer one, not handed over yet
  bool hasWaiting_ = false;
  DWORD handedOver_;
};

// The scan job: runs once when the dialog opens.
class DiskScanThread : public COptimizeThread {
 public:
  ~DiskScanThread() override;
  // The scan run; the dialog is owner.
  void DoWork() override;
  // Sets the stop flag of the running scan; a stop asked before the scanner
  // exists is kept for it.
  void RequestStop() override;

 private:
  // Created by the run and kept until the thread object goes.
  std::unique_ptr<fw::UiFeed> feed_;
  std::unique_ptr<DialogJunkScanner> scanner_;
  // The scanner as RequestStop (another thread) may see it.
  std::atomic<JunkScanner*> published_{nullptr};
  std::atomic<int> stopAsked_{0};
};

class CDiskCleanDlg : public fw::Dialog {
 public:
  CDiskCleanDlg();
  ~CDiskCleanDlg() override;

  // True while a scan or a deletion runs (button 5 reads "중지").
  bool IsBusy() const { return busy_ != 0; }
  // True while a worker has not finished, including the end of a stopped
  // job (its last texts and message box); tests wait for this to clear.
  bool IsWorking() const { return scanning_ != 0 || deleting_ != 0; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  // The Enter key does nothing.
  void OnOK() override {}
  // Esc or the close box: only when button 2 could be pressed.
  void OnCancel() override { OnExit(); }
  // Deletes one ticked file on the deletion thread; false when it stays.
  // Tests hold a run at a known row through it.
  virtual bool DeleteJunkFile(LinkSafeDeleter& deleter, const std::string& folder,
                              const std::string& name) {
    return deleter.Delete(folder, name);
  }

 private:
  friend class DiskScanThread;

  // One list row as the deletion found it when it started.
  struct RowSnapshot {
    std::string path, name, size;
    LPARAM kind;
    bool checked;
  };

  void OnDelete();
  void OnExit();
  LRESULT OnListItemChanging(NMHDR* header);
  INT_PTR OnRunOnUiThread(WPARAM wp, LPARAM lp);
  INT_PTR OnTimer(WPARAM timerId, LPARAM);

  // Runs fn on the dialog's thread (at once when called there).
  void RunOnUiThread(const std::function<void()>& fn);
  // Busy: stop flag 0, busy flag 1, button 5 "중지", button 2 disabled.
  void EnterBusy();
  // Idle: stop flag 1, busy flag 0, button 5 "삭제" (usable a moment
  // later), button 2 enabled.
  void EnterIdle();
  void StartAnimation();
  void StopAnimation();
  void ShowMessage(const std::string& text);
  // Pumps this thread's messages until no worker runs, so that a worker
  // sending to the dialog is never blocked by the wait.
  void WaitForWorkers();

  static DWORD WINAPI DeletionThread(void* dialog);
  void RunDeletion();
  // Takes the slot of the new list (rotating the old lists and the index)
  // and opens the list; null when it cannot be created.
  FILE* OpenDeletionList();

  fw::Font boldFont_;
  CGifPicture picture_;
  CColorLabel status_;
  DiskScanThread scanThread_;
  fw::UniqueHandle deletionThread_;
  // Button 5: "중지" while busy, "삭제" a moment after a job ended.
  fw::SettlingButton deleteButton_;
  std::vector<RowSnapshot> snapshot_;  // handed to the deletion thread

  // The flags are written by one thread and read by another.
  std::atomic<int> stop_{1};
  std::atomic<int> busy_{0};
  std::atomic<int> scanning_{0};  // the scan's DoWork has not returned
  std::atomic<int> deleting_{0};  // the deletion thread has not finished
  bool closing_ = false;          // OnExit is waiting for the workers

  static const fw::MessageEntry<CDiskCleanDlg> kMessages[];
};

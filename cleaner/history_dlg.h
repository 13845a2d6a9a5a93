// The privacy cleaner ("개인정보 삭제", template 109): one check box per kind
// of trace, all ticked; "삭제" clears the ticked kinds, the browser history
// here on the dialog's thread and the other ten on a time-critical worker,
// with a progress bar of eleven steps and a stop button.
#pragma once
#include <windows.h>

#include <atomic>

#include "cleaner/privacy_traces.h"
#include "framework/dialog.h"
#include "framework/raii.h"
#include "widgets/gif_picture.h"

class CHistoryDlg : public fw::Dialog {
 public:
  static constexpr const char* kTitle = "개인정보 삭제";

  CHistoryDlg();
  // Waits for a worker that still runs (it talks to the dialog).
  ~CHistoryDlg() override;

  // True from the start of a run until its worker has ended; tests wait for
  // this to clear.
  bool IsWorking() const { return working_ != 0; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;
  // The Enter key does nothing.
  void OnOK() override {}

  // Runs one item's operation: the browser history on the dialog's thread,
  // the rest on the worker. Tests replace it to watch or slow the steps.
  virtual void Clear(PrivacyItem item) { ClearPrivacyItem(item); }
  // True once a stop (or exit) was asked; the worker reads it between steps.
  bool StopRequested() const { return stop_ != 0; }

 private:
  void OnDeleteOrStop();
  void StartRun();
  void StopRun();
  // Button 2, Esc and the close box: ignored while button 2 is disabled.
  void OnExit();
  // Pumps this thread's messages until the worker has ended: the worker
  // changes the controls by synchronous messages and shows its message box.
  void WaitForWorker();
  INT_PTR OnStopAnimation(WPARAM, LPARAM);

  static DWORD WINAPI WorkerThread(void* dialog);
  void RunSteps();

  static const fw::MessageEntry<CHistoryDlg> kMessages[];

  // The boxes as the run took them at its start, in id order (1 = ticked).
  int ticked_[kPrivacyItemCount] = {};
  std::atomic<int> stop_{0};
  std::atomic<int> working_{0};
  // The dialog's own handle of the worker, which deletes itself when it
  // ends: waiting on this one never waits on a closed or reused handle.
  fw::UniqueHandle worker_;
  // A start, stop or exit is under way on this thread (its waits pump
  // messages, so a click could come back in).
  bool handling_ = false;
  fw::Font boldFont_;
  CGifPicture picture_;
};

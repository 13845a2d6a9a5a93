// The memory optimizer (106): shows the physical and virtual memory figures,
// refreshed every second, and on "메모리 최적화" runs two freeing passes on a
// worker thread, once per opening.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstddef>

#include "framework/dialog.h"
#include "framework/raii.h"
#include "memory/memory_figures.h"
#include "widgets/gradient_progress.h"

class CMemoryDlg : public fw::Dialog {
 public:
  // The dialog's caption and the title of its message box.
  static constexpr const char* kTitle = "메모리 최적화";
  static constexpr int kPasses = 2;

  CMemoryDlg();
  // Waits for a run still going; the window is destroyed first, so the
  // run's messages to it fail at once instead of blocking the wait.
  ~CMemoryDlg() override;

  // A run has been started and has not ended yet.
  bool IsRunning() const { return running_ != 0; }
  // A run has ended: button 1 does nothing more until the dialog reopens.
  bool IsDone() const { return done_ != 0; }

 protected:
  BOOL OnInitDialog() override;

  // Seams for tests: the memory status, and one freeing pass (on the run
  // thread; returns the bytes claimed).
  virtual MemoryFigures QueryFigures();
  virtual size_t FreeMemoryPass();

 private:
  static const fw::MessageEntry<CMemoryDlg> kMessages[];
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

  // Button 1 (IDOK), so also the Enter key.
  void OnOptimize();
  // Button 2 (IDCANCEL), so also Esc, the close box and WM_CLOSE.
  void OnExit();
  INT_PTR OnTimer(WPARAM id, LPARAM);
  INT_PTR OnRefreshRequest(WPARAM, LPARAM);
  INT_PTR OnDestroy(WPARAM, LPARAM);
  // Shows a new reading: texts, bar positions and their text colours.
  void Refresh();

  static DWORD WINAPI RunThreadProc(void* dialog);
  void Run();
  // Waits, serving the run's messages, until the run thread has ended.
  void WaitForRun();

  CGradientProgress physicalBar_;
  CGradientProgress virtualBar_;
  fw::Font boldFont_;
  fw::UniqueHandle runThread_;
  // The windows the run talks to, fixed before it starts: the run never
  // reads them from the dialog while the dialog may be going away.
  HWND window_ = nullptr;
  HWND runProgress_ = nullptr;
  // Set on the dialog's thread before the run thread starts, cleared by the
  // run as its last step: a second press during a run is ignored.
  std::atomic<int> running_{0};
  std::atomic<int> done_{0};
  // The dialog is closing: the run stops after its current pass, without
  // its closing message.
  std::atomic<int> closing_{0};
};

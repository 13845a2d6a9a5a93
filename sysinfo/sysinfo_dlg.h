// CSysInfoDlg (110): the system summary. Processor, display adapter, sound
// device and Windows install date are read once; the memory figures are
// refreshed every second by timer 0; the disk section shows the fixed drive
// chosen in the combo box. Everything runs on the UI thread.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "widgets/gradient_progress.h"

class CSysInfoDlg : public fw::Dialog {
 public:
  static constexpr const char* kTitle = "시스템 정보";
  // The memory refresh timer. Its id is 0: SetTimer then returns 0 on
  // success too, so its result can't tell failure and is not checked.
  static constexpr UINT_PTR kMemoryTimer = 0;
  static constexpr UINT kMemoryPeriodMs = 1000;

  CSysInfoDlg();

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  static const fw::MessageEntry<CSysInfoDlg> kMessages[];

  INT_PTR OnTimer(WPARAM wp, LPARAM lp);
  void OnDriveChanged();
  void OnDevices();

  void ShowMemory();
  void FillDrives();
  // The disk section for drive-root index: first the "읽을수 없음" texts
  // and an empty bar, then the figures when the drive is still fixed and
  // its space can be read.
  void ShowDisk(int rootIndex);
  void ShowInstallDate();
  // Range 0..100 (memory) and the colours shared by the three bars.
  static void StyleBar(CGradientProgress& bar);

  bool windows9x_;
  CGradientProgress physicalBar_;
  CGradientProgress virtualBar_;
  CGradientProgress diskBar_;
};

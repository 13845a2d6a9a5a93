// CMyUseTimeDlg (182): lists when the computer was switched on and off, from
// the "System" event log, newest first. The log is read once, while the
// dialog initialises, on the UI thread.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "framework/raii.h"
#include "sysinfo/event_records.h"
#include "widgets/cell_list.h"

class CMyUseTimeDlg : public fw::Dialog {
 public:
  static constexpr const char* kTitle = "컴퓨터 사용시간 체크";
  // The start rows' "켜진시간" cells.
  static constexpr COLORREF kStartText = RGB(242, 101, 34);
  static constexpr COLORREF kStartBack = RGB(255, 255, 255);

  // Reads the records from source, which must outlive the dialog's window;
  // without one, from this computer's "System" log.
  explicit CMyUseTimeDlg(EventRecordSource* source = nullptr);

 protected:
  BOOL OnInitDialog() override;

 private:
  // Replaces the rows with those of the log; an empty or unreadable log
  // leaves one blank row, so the list shows a row rather than its notice.
  void FillList();

  EventRecordSource* source_;
  CCellListCtrl list_;
  fw::Font boldFont_;
};

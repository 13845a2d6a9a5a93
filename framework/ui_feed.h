// Hands list rows, row removals, control texts and progress positions from a
// worker thread to the dialog's thread in batches. A cross-thread message
// costs about a tenth of a millisecond and a list insert with redraw on
// repaints the scroll bar, so rows are collected and inserted by the dialog's
// thread with redraw suspended, about every 100 ms; texts and positions are
// coalesced (the latest wins) and shown at most every 50 ms. Rows keep their
// order and Flush always delivers what is pending, so the user sees the same
// as with one message per change, only sooner.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace fw {

// The message a dialog receives to deliver a feed (lParam: the UiFeed).
constexpr UINT kFeedMessage = WM_APP + 0x3F0;

class UiFeed {
 public:
  // dialog: the window whose thread owns the controls.
  explicit UiFeed(HWND dialog);
  UiFeed(const UiFeed&) = delete;
  UiFeed& operator=(const UiFeed&) = delete;

  // Worker side. Each call may deliver what is due.
  void AppendRow(HWND list, std::vector<std::string> cells, bool checked, LPARAM data = 0);
  void DeleteRow(HWND list, int index);  // applied in order with the appends
  void SetText(HWND control, std::string text);
  void SetProgress(HWND progress, int position);
  // Delivers everything pending now (synchronously).
  void Flush();

  // Dialog side: applies the pending changes (called by the framework).
  void Deliver();

 private:
  struct RowOp {
    HWND list;
    int deleteIndex;  // -1: append
    std::vector<std::string> cells;
    bool checked;
    LPARAM data;
  };
  struct TextOp { HWND control; std::string text; };
  struct ProgressOp { HWND control; int position; };

  void DeliverIfDue();

  HWND dialog_;
  std::vector<RowOp> rows_;
  std::vector<TextOp> texts_;
  std::vector<ProgressOp> progress_;
  DWORD lastRows_ = 0;
  DWORD lastTexts_ = 0;
};

}  // namespace fw

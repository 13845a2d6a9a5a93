// Hands list rows, row removals, control texts and progress positions from a
// worker thread to the dialog's thread in batches, without making the worker
// wait. A cross-thread message costs about a tenth of a millisecond under
// Wine and a list insert with redraw on repaints the scroll bar, so rows are
// collected and inserted by the dialog's thread with redraw suspended.
//
// The worker fills one batch while the dialog's thread applies the one
// handed over before it (double-buffered): about every 100 ms (texts and
// positions every 50 ms, the latest winning) the worker moves its batch to
// the hand-over point and posts kFeedMessage, and goes on at once. Only
// Flush waits: it hands over what is pending and returns when the dialog's
// thread has applied all of it, so the final state is always shown. Rows
// keep their order and removals apply in order with the appends.
//
// Repainting a list costs 15-50 ms of window-system round trips under Wine
// on a busy machine, so the lists a delivery changes keep their redraw
// suspended and are repainted at most every 200 ms while rows stream in (a
// timer sees to it when the stream stops), and at once when a Flush is
// delivered. A delivery applies every batch that is waiting, and those
// handed over meanwhile; when the worker hands over faster than the dialog's
// thread can insert, it stops after 250 ms and the rest follows on the
// timer, so that input and painting (which the system serves after posted
// messages but before timers) get their turn: the Stop button answers while
// rows stream in.
//
// Nothing is applied to a dialog that is gone. A feed destroyed without
// Flush drops what it had not delivered.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

namespace fw {

// The message a dialog receives to deliver the feeds (lParam: a UiFeed whose
// Deliver the dialog calls; it applies every batch handed over to the
// dialogs of the receiving thread, not only its own).
constexpr UINT kFeedMessage = WM_APP + 0x3F0;

class UiFeed {
 public:
  // dialog: the window whose thread owns the controls.
  explicit UiFeed(HWND dialog);
  ~UiFeed();
  UiFeed(const UiFeed&) = delete;
  UiFeed& operator=(const UiFeed&) = delete;

  // Worker side. Each call may hand the pending batch over; none waits.
  void AppendRow(HWND list, std::vector<std::string> cells, bool checked, LPARAM data = 0);
  void DeleteRow(HWND list, int index);  // applied in order with the appends
  void SetText(HWND control, std::string text);
  void SetProgress(HWND progress, int position);
  // Hands over everything pending and returns when the dialog's thread has
  // applied it (at once when called on that thread, or when the dialog is
  // gone, in which case it is dropped).
  void Flush();

  // Dialog side, called by the framework for kFeedMessage: applies, in
  // order, every batch handed over to the dialogs of the calling thread.
  void Deliver();

 private:
  struct RowOp {
    HWND list;
    int deleteIndex;  // -1: append
    std::vector<std::string> cells;
    bool checked;
    LPARAM data;
  };
  struct TextOp {
    HWND control;
    std::string text;
  };
  struct ProgressOp {
    HWND control;
    int position;
  };
  struct Batch {
    std::vector<RowOp> rows;
    std::vector<TextOp> texts;       // one per control, the latest
    std::vector<ProgressOp> progress;  // one per control, the latest
    bool Empty() const { return rows.empty() && texts.empty() && progress.empty(); }
    void SetText(HWND control, std::string text);
    void SetProgress(HWND control, int position);
    // Appends later's changes after these (later texts and positions win)
    // and leaves later empty.
    void Take(Batch& later);
  };
  // One dialog thread's changes taken off the hand-over point together.
  struct Taken {
    HWND dialog;
    Batch batch;
  };

  // The postman: the lParam of every posted kFeedMessage. It lives as long
  // as the process, so a message that arrives after its feed has gone finds
  // a valid object (and nothing left to deliver).
  UiFeed();
  static UiFeed& Postman();

  void HandOverIfDue();
  // Moves the filling batch to the hand-over point; with post, also posts
  // kFeedMessage unless one is on its way; flush marks it for delivery in
  // full. False when the dialog is gone (what was handed over is dropped).
  bool HandOver(bool post, bool flush);
  void DropHandedOver();
  // Applies what is handed over to the dialogs of the calling thread.
  static void DeliverForThread();
  static void CALLBACK OnDeliveryTimer(HWND, UINT, UINT_PTR, DWORD);
  // Applies one batch, suspending the redraw of the lists it changes (and
  // adding them to suspended).
  static void Apply(Batch& batch, std::vector<HWND>& suspended);

  HWND dialog_ = nullptr;
  DWORD dialogThread_ = 0;
  Batch filling_;  // the worker's side
  DWORD lastRows_ = 0;
  DWORD lastTexts_ = 0;
  // Under the process-wide feed lock:
  Batch handed_;
  bool flushed_ = false;  // handed_ holds a Flush: it is delivered in full
  // A kFeedMessage is on its way for handed_ (read without the lock as a
  // hint by the worker).
  std::atomic<bool> posted_{false};
};

}  // namespace fw

#include "framework/ui_feed.h"

#include <algorithm>

#include "framework/controls.h"
#include "framework/sync.h"

namespace fw {
namespace {

constexpr DWORD kRowInterval = 100;
constexpr DWORD kTextInterval = 50;
// Rows handed over before their 100 ms are up when the dialog's thread has
// taken everything before them: it would otherwise sit idle while the
// worker collects.
constexpr size_t kEagerRows = 1000;
// The longest a delivery applies batches before it lets input and painting
// through.
constexpr DWORD kDeliveryBudget = 250;
// How often a list that rows stream into is repainted (each repaint costs
// 15-50 ms of window-system round trips under Wine on a busy machine).
constexpr DWORD kPaintInterval = 200;

// Guards every feed's hand-over point, the list of live feeds and the table
// of dialog threads. Held only to move batches, never while a control is
// changed.
class FeedLock {
 public:
  FeedLock() : guard_(Section()) {}

 private:
  static CriticalSection& Section() {
    // Never deleted: feeds may still be in use while the process ends.
    static CriticalSection* section = new CriticalSection;
    return *section;
  }
  ScopedLock guard_;
};

// What a dialog thread's deliveries keep between them: a delivery is
// running (a nested one leaves the batches to it, so that they keep their
// order); the lists whose redraw is suspended and when lists were last
// repainted; the timer that resumes a delivery cut short or repaints the
// suspended lists. Only its thread touches it. It is kept in a table, not
// in thread-local storage, which the shipped programs' runtime does not
// give on the oldest systems.
struct DeliveryState {
  DWORD thread;
  int delivering;
  std::vector<HWND> suspended;
  DWORD lastPaint;
  UINT_PTR timer;
};

DeliveryState& ThisThreadsState() {
  static std::vector<DeliveryState*>* states = new std::vector<DeliveryState*>;
  const DWORD thread = GetCurrentThreadId();
  FeedLock lock;
  for (DeliveryState* state : *states)
    if (state->thread == thread) return *state;
  states->push_back(new DeliveryState{thread, 0, {}, 0, 0});
  return *states->back();
}

void ResumeSuspendedLists(DeliveryState& state) {
  for (HWND list : state.suspended) {
    if (!IsWindow(list)) continue;
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
  }
  state.suspended.clear();
  state.lastPaint = GetTickCount();
}

bool OnThreadOf(DWORD thread) { return GetCurrentThreadId() == thread; }

// The live feeds, under FeedLock.
std::vector<UiFeed*>& LiveFeeds() {
  static std::vector<UiFeed*>* feeds = new std::vector<UiFeed*>;
  return *feeds;
}

}  // namespace

// ---------------------------------------------------------------------------
// Batch

void UiFeed::Batch::SetText(HWND control, std::string text) {
  for (TextOp& t : texts) {
    if (t.control == control) {
      t.text = std::move(text);
      return;
    }
  }
  texts.push_back(TextOp{control, std::move(text)});
}

void UiFeed::Batch::SetProgress(HWND control, int position) {
  for (ProgressOp& p : progress) {
    if (p.control == control) {
      p.position = position;
      return;
    }
  }
  progress.push_back(ProgressOp{control, position});
}

void UiFeed::Batch::Take(Batch& later) {
  if (rows.empty()) {
    rows.swap(later.rows);
  } else {
    rows.insert(rows.end(), std::make_move_iterator(later.rows.begin()),
                std::make_move_iterator(later.rows.end()));
  }
  later.rows.clear();
  for (TextOp& t : later.texts) SetText(t.control, std::move(t.text));
  for (const ProgressOp& p : later.progress) SetProgress(p.control, p.position);
  later.texts.clear();
  later.progress.clear();
}

// ---------------------------------------------------------------------------
// Worker side

UiFeed::UiFeed() = default;

UiFeed& UiFeed::Postman() {
  // Never destroyed: a message may arrive while the process ends.
  static UiFeed* postman = new UiFeed();
  return *postman;
}

UiFeed::UiFeed(HWND dialog)
    : dialog_(dialog),
      dialogThread_(GetWindowThreadProcessId(dialog, nullptr)),
      lastRows_(GetTickCount()) {
  Postman();  // made before any message can name it
  FeedLock lock;
  LiveFeeds().push_back(this);
}

UiFeed::~UiFeed() {
  // A message still on its way names the postman, not this feed: it finds
  // nothing of this feed left.
  FeedLock lock;
  std::vector<UiFeed*>& feeds = LiveFeeds();
  feeds.erase(std::remove(feeds.begin(), feeds.end(), this), feeds.end());
}

void UiFeed::AppendRow(HWND list, std::vector<std::string> cells, bool checked, LPARAM data) {
  filling_.rows.push_back(RowOp{list, -1, std::move(cells), checked, data});
  HandOverIfDue();
}

void UiFeed::DeleteRow(HWND list, int index) {
  filling_.rows.push_back(RowOp{list, index, {}, false, 0});
  HandOverIfDue();
}

void UiFeed::SetText(HWND control, std::string text) {
  filling_.SetText(control, std::move(text));
  HandOverIfDue();
}

void UiFeed::SetProgress(HWND progress, int position) {
  filling_.SetProgress(progress, position);
  HandOverIfDue();
}

void UiFeed::HandOverIfDue() {
  const DWORD now = GetTickCount();
  const bool rowsDue =
      !filling_.rows.empty() &&
      (now - lastRows_ >= kRowInterval || (filling_.rows.size() >= kEagerRows && !posted_));
  const bool textsDue = (!filling_.texts.empty() || !filling_.progress.empty()) &&
                        now - lastTexts_ >= kTextInterval;
  if (!rowsDue && !textsDue) return;
  lastTexts_ = now;
  if (!filling_.rows.empty()) lastRows_ = now;
  if (OnThreadOf(dialogThread_)) {
    HandOver(false, false);
    DeliverForThread();
  } else {
    HandOver(true, false);
  }
}

bool UiFeed::HandOver(bool post, bool flush) {
  bool postNow = false;
  {
    FeedLock lock;
    handed_.Take(filling_);
    if (flush) flushed_ = true;
    if (post && !posted_ && !handed_.Empty()) posted_ = postNow = true;
  }
  if (!postNow || PostMessageA(dialog_, kFeedMessage, 0, reinterpret_cast<LPARAM>(&Postman())))
    return true;
  if (IsWindow(dialog_)) {
    // The queue is full: the next hand-over posts again.
    posted_ = false;
    return true;
  }
  DropHandedOver();
  return false;
}

void UiFeed::DropHandedOver() {
  FeedLock lock;
  handed_ = Batch();
  flushed_ = false;
  posted_ = false;
}

void UiFeed::Flush() {
  if (!dialog_) return;
  lastRows_ = lastTexts_ = GetTickCount();
  if (!HandOver(false, true)) return;
  if (OnThreadOf(dialogThread_)) {
    DeliverForThread();
    return;
  }
  // The dialog's procedure delivers everything handed over for its thread,
  // this batch included, before the call returns. A window that is gone (or
  // goes meanwhile) takes nothing: what is left is dropped.
  SendMessageA(dialog_, kFeedMessage, 0, reinterpret_cast<LPARAM>(&Postman()));
  if (!IsWindow(dialog_)) DropHandedOver();
}

// ---------------------------------------------------------------------------
// Dialog side

void UiFeed::Deliver() { DeliverForThread(); }

void CALLBACK UiFeed::OnDeliveryTimer(HWND, UINT, UINT_PTR, DWORD) {
  DeliveryState& state = ThisThreadsState();
  if (state.timer) KillTimer(nullptr, state.timer);
  state.timer = 0;
  DeliverForThread();
}

void UiFeed::DeliverForThread() {
  DeliveryState& state = ThisThreadsState();
  if (state.delivering) return;  // the running delivery takes what is waiting next
  ++state.delivering;
  const DWORD thread = GetCurrentThreadId();
  const DWORD start = GetTickCount();
  bool flushed = false;
  bool cutShort = false;
  for (;;) {
    std::vector<Taken> taken;
    {
      FeedLock lock;
      for (UiFeed* feed : LiveFeeds()) {
        if (feed->dialogThread_ != thread || feed->handed_.Empty()) continue;
        taken.push_back(Taken{feed->dialog_, Batch()});
        taken.back().batch.Take(feed->handed_);
        flushed = flushed || feed->flushed_;
        feed->flushed_ = false;
        feed->posted_ = false;
      }
    }
    if (taken.empty()) break;
    for (Taken& t : taken) {
      // Nothing reaches a dialog that is gone (its controls went with it).
      if (IsWindow(t.dialog)) Apply(t.batch, state.suspended);
    }
    // A flushed batch is delivered whole, with everything before it.
    if (!flushed && GetTickCount() - start >= kDeliveryBudget) {
      cutShort = true;
      break;
    }
  }
  if (cutShort) {
    // The rest follows on the timer, which the system serves after input
    // and painting; meanwhile the workers' hand-overs post nothing more.
    FeedLock lock;
    cutShort = false;
    for (UiFeed* feed : LiveFeeds()) {
      if (feed->dialogThread_ != thread || feed->handed_.Empty()) continue;
      feed->posted_ = true;
      cutShort = true;
    }
  }

  // The lists repaint when a Flush delivers and otherwise at most every
  // kPaintInterval; the timer repaints them when no more rows come.
  const DWORD now = GetTickCount();
  if (!state.suspended.empty() && (flushed || now - state.lastPaint >= kPaintInterval))
    ResumeSuspendedLists(state);
  const DWORD delay = cutShort ? 1
                      : state.suspended.empty()
                          ? 0
                          : kPaintInterval - (GetTickCount() - state.lastPaint);
  if (delay > 0 && delay <= kPaintInterval) {
    state.timer = SetTimer(nullptr, state.timer, delay, &UiFeed::OnDeliveryTimer);
  } else if (state.timer) {
    KillTimer(nullptr, state.timer);
    state.timer = 0;
  }
  if ((cutShort || !state.suspended.empty()) && !state.timer) {
    // No timer to be had: repaint now, and the next hand-over posts again.
    ResumeSuspendedLists(state);
    FeedLock lock;
    for (UiFeed* feed : LiveFeeds())
      if (feed->dialogThread_ == thread) feed->posted_ = false;
  }
  --state.delivering;
}

void UiFeed::Apply(Batch& batch, std::vector<HWND>& suspended) {
  for (const RowOp& r : batch.rows) {
    if (std::find(suspended.begin(), suspended.end(), r.list) == suspended.end()) {
      SendMessageA(r.list, WM_SETREDRAW, FALSE, 0);
      suspended.push_back(r.list);
    }
    if (r.deleteIndex >= 0)
      list::DeleteRow(r.list, r.deleteIndex);
    else
      list::AppendRow(r.list, r.cells, r.checked, r.data);
  }
  for (const TextOp& t : batch.texts) SetControlText(t.control, t.text);
  for (const ProgressOp& p : batch.progress) progress::SetPos(p.control, p.position);
}

}  // namespace fw

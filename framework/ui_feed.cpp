#include "framework/ui_feed.h"

#include <algorithm>

#include "framework/controls.h"

namespace fw {
namespace {
constexpr DWORD kRowInterval = 100;
constexpr DWORD kTextInterval = 50;
}  // namespace

UiFeed::UiFeed(HWND dialog) : dialog_(dialog), lastRows_(GetTickCount()), lastTexts_(0) {}

void UiFeed::AppendRow(HWND list, std::vector<std::string> cells, bool checked, LPARAM data) {
  rows_.push_back(RowOp{list, -1, std::move(cells), checked, data});
  DeliverIfDue();
}

void UiFeed::DeleteRow(HWND list, int index) {
  rows_.push_back(RowOp{list, index, {}, false, 0});
  DeliverIfDue();
}

void UiFeed::SetText(HWND control, std::string text) {
  for (TextOp& t : texts_) {
    if (t.control == control) {
      t.text = std::move(text);
      DeliverIfDue();
      return;
    }
  }
  texts_.push_back(TextOp{control, std::move(text)});
  DeliverIfDue();
}

void UiFeed::SetProgress(HWND progress, int position) {
  for (ProgressOp& p : progress_) {
    if (p.control == progress) {
      p.position = position;
      DeliverIfDue();
      return;
    }
  }
  progress_.push_back(ProgressOp{progress, position});
  DeliverIfDue();
}

void UiFeed::DeliverIfDue() {
  DWORD now = GetTickCount();
  bool rowsDue = !rows_.empty() && now - lastRows_ >= kRowInterval;
  bool textsDue = (!texts_.empty() || !progress_.empty()) && now - lastTexts_ >= kTextInterval;
  if (rowsDue || textsDue) Flush();
}

void UiFeed::Flush() {
  if (rows_.empty() && texts_.empty() && progress_.empty()) return;
  if (GetWindowThreadProcessId(dialog_, nullptr) == GetCurrentThreadId())
    Deliver();
  else
    SendMessageA(dialog_, kFeedMessage, 0, reinterpret_cast<LPARAM>(this));
  // Whatever the dialog could not take (it was gone) is dropped with it.
  rows_.clear();
  texts_.clear();
  progress_.clear();
  lastRows_ = lastTexts_ = GetTickCount();
}

void UiFeed::Deliver() {
  std::vector<HWND> lists;
  for (const RowOp& r : rows_)
    if (std::find(lists.begin(), lists.end(), r.list) == lists.end()) lists.push_back(r.list);
  for (HWND l : lists) SendMessageA(l, WM_SETREDRAW, FALSE, 0);
  for (RowOp& r : rows_) {
    if (r.deleteIndex >= 0)
      list::DeleteRow(r.list, r.deleteIndex);
    else
      list::AppendRow(r.list, r.cells, r.checked, r.data);
  }
  for (HWND l : lists) {
    SendMessageA(l, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(l, nullptr, TRUE);
  }
  for (const TextOp& t : texts_) SetControlText(t.control, t.text);
  for (const ProgressOp& p : progress_) SendMessageA(p.control, PBM_SETPOS, p.position, 0);
  rows_.clear();
  texts_.clear();
  progress_.clear();
}

}  // namespace fw

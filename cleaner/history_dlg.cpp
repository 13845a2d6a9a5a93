#include "cleaner/history_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "resources/resource.h"

namespace {

// Asks the dialog's thread to stop the animation (the picture's thread is
// stopped by the thread that started it).
constexpr UINT kStopAnimationMessage = WM_APP + 0x109;

constexpr int kLastPosition = 11;

// The worker's steps, in order: step n clears kSteps[n - 1] and then moves
// the progress bar to n.
constexpr PrivacyItem kSteps[] = {
    PrivacyItem::kIntelliForms,    PrivacyItem::kFormData,       PrivacyItem::kWordPadRecent,
    PrivacyItem::kTypedUrls,       PrivacyItem::kMediaPlayerRecent,
    PrivacyItem::kMessengerId,     PrivacyItem::kCookies,        PrivacyItem::kTemporaryFiles,
    PrivacyItem::kRunHistory,      PrivacyItem::kRecentDocuments};
static_assert(sizeof kSteps / sizeof kSteps[0] == kPrivacyItemCount - 1, "ten worker steps");
static_assert(static_cast<int>(PrivacyItem::kBrowsingHistory) == IDC_HISTORY_BROWSING &&
                  static_cast<int>(PrivacyItem::kRecentDocuments) == IDC_HISTORY_RECENT_DOCS,
              "each item is numbered by its check box");

int IndexOf(PrivacyItem item) {
  return static_cast<int>(item) - static_cast<int>(PrivacyItem::kBrowsingHistory);
}

}  // namespace

const fw::MessageEntry<CHistoryDlg> CHistoryDlg::kMessages[] = {
    fw::OnCommand(IDC_DELETE, &CHistoryDlg::OnDeleteOrStop),
    fw::OnCommand(IDCANCEL, &CHistoryDlg::OnExit),
    fw::OnMessage(kStopAnimationMessage, &CHistoryDlg::OnStopAnimation),
};

CHistoryDlg::CHistoryDlg() : fw::Dialog(IDD_HISTORY) {}

CHistoryDlg::~CHistoryDlg() {
  stop_ = 1;
  if (worker_.Valid()) fw::WaitForHandleWhilePumping(worker_.Get());
}

bool CHistoryDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

BOOL CHistoryDlg::OnInitDialog() {
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  for (int i = 0; i < kPrivacyItemCount; ++i) {
    ticked_[i] = 1;
    CheckDlgButton(Hwnd(), IDC_HISTORY_BROWSING + i, BST_CHECKED);
  }
  picture_.SubclassDlgItem(IDC_PICTURE, Hwnd());
  picture_.SetBkColor(GetSysColor(COLOR_BTNFACE));
  picture_.Load(MAKEINTRESOURCEA(IDR_GIF_WORKING), "GIF");
  // Started and stopped at once: the first frame stands still.
  picture_.Draw();
  picture_.Stop();
  fw::progress::SetRange(Item(IDC_PROGRESS), 0, kLastPosition);
  return TRUE;
}

void CHistoryDlg::OnDeleteOrStop() {
  if (handling_) return;
  if (fw::GetControlText(Item(IDC_DELETE)) == "중지")
    StopRun();
  else if (!working_)  // else the last run is still showing its end
    StartRun();
}

void CHistoryDlg::StartRun() {
  handling_ = true;
  stop_ = 0;
  for (int i = 0; i < kPrivacyItemCount; ++i)
    ticked_[i] = IsDlgButtonChecked(Hwnd(), IDC_HISTORY_BROWSING + i) == BST_CHECKED;
  // Busy before anything else runs, on this thread: a second click (the
  // other half of a double click) now asks for a stop instead of starting a
  // second worker, and exit stays disabled from the first moment.
  working_ = 1;
  fw::SetControlText(Item(IDC_DELETE), "중지");
  EnableWindow(Item(IDCANCEL), FALSE);
  fw::progress::SetRange(Item(IDC_PROGRESS), 0, kLastPosition);
  fw::progress::SetPos(Item(IDC_PROGRESS), 0);
  picture_.Draw();
  // The history object belongs to this thread's apartment; a stop does not
  // reach this step.
  if (ticked_[IndexOf(PrivacyItem::kBrowsingHistory)]) Clear(PrivacyItem::kBrowsingHistory);
  worker_ = fw::StartWorkerThread(&CHistoryDlg::WorkerThread, this, THREAD_PRIORITY_TIME_CRITICAL);
  if (!worker_.Valid()) {
    // No worker to run the steps: back to idle at once.
    picture_.Stop();
    fw::SetControlText(Item(IDC_DELETE), "삭제");
    EnableWindow(Item(IDCANCEL), TRUE);
    working_ = 0;
  }
  handling_ = false;
}

void CHistoryDlg::StopRun() {
  handling_ = true;
  picture_.Stop();
  stop_ = 1;
  WaitForWorker();
  // The worker has said so already; the stop button says it again.
  fw::ShowMessageBox(Hwnd(), "중지 되었습니다.", "중지", MB_OK);
  handling_ = false;
}

void CHistoryDlg::OnExit() {
  // Button 2 is disabled while clearing; Esc and the close box (which come
  // here as button 2) must not get round that.
  if (handling_ || !IsWindowEnabled(Item(IDCANCEL))) return;
  handling_ = true;
  stop_ = 1;
  WaitForWorker();
  handling_ = false;
  EndDialog(IDCANCEL);
}

void CHistoryDlg::WaitForWorker() {
  // A worker handle that cannot be waited for counts as ended.
  if (worker_.Valid()) fw::WaitForHandleWhilePumping(worker_.Get());
}

INT_PTR CHistoryDlg::OnStopAnimation(WPARAM, LPARAM) {
  picture_.Stop();
  return TRUE;
}

DWORD WINAPI CHistoryDlg::WorkerThread(void* dialog) {
  static_cast<CHistoryDlg*>(dialog)->RunSteps();
  return 0;
}

void CHistoryDlg::RunSteps() {
  HWND bar = Item(IDC_PROGRESS);
  int step = 0;
  for (PrivacyItem item : kSteps) {
    ++step;
    if (stop_) break;  // a step already running finishes; no further one starts
    if (ticked_[IndexOf(item)]) Clear(item);
    fw::progress::SetPos(bar, step);
  }
  fw::progress::SetPos(bar, kLastPosition);
  SendMessageA(Hwnd(), kStopAnimationMessage, 0, 0);
  EnableWindow(Item(IDCANCEL), TRUE);
  fw::SetControlText(Item(IDC_DELETE), "삭제");
  if (stop_) {
    fw::SetControlText(Item(IDC_HISTORY_STATE), "삭제중지");
    fw::ShowMessageBox(Hwnd(), "중지 되었습니다.", "중지", MB_OK);
  } else {
    fw::SetControlText(Item(IDC_HISTORY_STATE), "삭제완료");
    fw::ShowMessageBox(Hwnd(), "삭제 완료되었습니다", kTitle, MB_OK);
  }
  // The last touch of the dialog: from here on it may close.
  working_ = 0;
}

#include "cleaner/disk_clean_dlg.h"

#include <objbase.h>

#include <cstdio>

#include "app/cleaner_app.h"
#include "cleaner/backup_slots.h"
#include "cleaner/safe_files.h"
#include "framework/controls.h"
#include "framework/font.h"
#include "framework/helpers.h"
#include "framework/msgbox.h"
#include "framework/shell.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "resources/resource.h"

namespace {

const char kCaption[] = "하드디스크 최적화";

// Asks the dialog's thread to run a std::function (lParam) and return.
constexpr UINT kRunMessage = WM_APP + 0x101;
// The timer that makes button 5 usable after a job ended.
constexpr UINT_PTR kSettleTimer = 1;

// How often the scan hands its status text to the dialog: each change
// repaints the label, and a folder shown for less is not read anyway.
constexpr DWORD kHandOverInterval = 100;

std::string SizeText(uint64_t size) {
  int64_t scaled = static_cast<int64_t>(size);
  std::string unit = FormatSize(scaled);
  return std::to_string(scaled) + " " + unit;
}

}  // namespace

// ---------------------------------------------------------------------------
// DialogJunkScanner

DialogJunkScanner::DialogJunkScanner(CDiskCleanDlg& dialog, fw::UiFeed& feed)
    : list_(dialog.Item(IDC_LIST)),
      status_(dialog.Item(IDC_STATUS)),
      feed_(feed),
      handedOver_(GetTickCount() - kHandOverInterval) {}

void DialogJunkScanner::OnItemFound(const JunkItem& item) {
  feed_.AppendRow(list_, {std::string(), item.path, item.name, SizeText(item.size)}, true,
                  item.kind);
  if (hasWaiting_) HandOverStatus();
}

void DialogJunkScanner::OnFolderEntered(const std::string& folder) {
  std::string text = diskclean::StatusText(folder);
  hasWaiting_ = text != shown_;
  if (!hasWaiting_) return;
  waiting_ = std::move(text);
  HandOverStatus();
}

void DialogJunkScanner::HandOverStatus() {
  if (GetTickCount() - handedOver_ < kHandOverInterval) return;
  shown_ = waiting_;
  hasWaiting_ = false;
  feed_.SetText(status_, waiting_);
  handedOver_ = GetTickCount();
}

// ---------------------------------------------------------------------------
// DiskScanThread

DiskScanThread::~DiskScanThread() {
  // The dialog waits for the job before it goes; this only guards the
  // members against a thread that is somehow still inside DoWork.
  if (IsRunning()) Kill(0, true);
}

void DiskScanThread::RequestStop() {
  stopAsked_ = 1;
  if (JunkScanner* scanner = published_.load()) scanner->RequestStop();
}

void DiskScanThread::DoWork() {
  auto* dialog = static_cast<CDiskCleanDlg*>(owner);
  // CoInitialize: Windows 95 has no CoInitializeEx (an apartment thread either way).
  const bool com = SUCCEEDED(CoInitialize(nullptr));

  feed_.reset(new fw::UiFeed(dialog->Hwnd()));
  scanner_.reset(new DialogJunkScanner(*dialog, *feed_));
  published_ = scanner_.get();
  // A stop asked before the scanner existed applies to it now.
  if (stopAsked_) scanner_->RequestStop();

  scanner_->ResetTotals();
  scanner_->ScanAll();

  int64_t total = static_cast<int64_t>(scanner_->TotalSize());
  std::string unit = FormatSize(total);
  std::string summary =
      std::to_string(scanner_->FoundCount()) + "개, " + std::to_string(total) + " " + unit;
  feed_->Flush();
  dialog->StopAnimation();
  const bool stopped = scanner_->StopRequested();
  dialog->ShowMessage(stopped ? "검색이 중지되었습니다." : "검색이 완료되었습니다.");
  feed_->SetText(dialog->Item(IDC_STATE), stopped ? "검색중지" : "검색완료");
  feed_->SetText(dialog->Item(IDC_STATUS), summary);
  feed_->Flush();
  dialog->EnterIdle();

  if (com) CoUninitialize();
  // The last touch of the dialog: from here on it may close.
  dialog->scanning_ = 0;
}

// ---------------------------------------------------------------------------
// CDiskCleanDlg

const fw::MessageEntry<CDiskCleanDlg> CDiskCleanDlg::kMessages[] = {
    fw::OnCommand(IDC_DELETE, &CDiskCleanDlg::OnDelete),
    fw::OnCommand(IDCANCEL, &CDiskCleanDlg::OnExit),
    fw::OnNotify(IDC_LIST, LVN_ITEMCHANGING, &CDiskCleanDlg::OnListItemChanging),
    fw::OnMessage(kRunMessage, &CDiskCleanDlg::OnRunOnUiThread),
    fw::OnMessage(WM_TIMER, &CDiskCleanDlg::OnTimer),
};

CDiskCleanDlg::CDiskCleanDlg()
    : fw::Dialog(IDD_DISKCLEAN), deleteButton_(IDC_DELETE, kSettleTimer) {}

CDiskCleanDlg::~CDiskCleanDlg() {
  stop_ = 1;
  scanThread_.RequestStop();
  WaitForWorkers();
  if (deletionThread_.Valid()) WaitForSingleObject(deletionThread_.Get(), INFINITE);
  if (scanThread_.IsRunning()) {
    DWORD code = 0;
    try {
      scanThread_.Stop(code);
    } catch (const CThreadException&) {
      // Posting Exit failed: the thread object's destructor ends it instead.
    }
  }
}

bool CDiskCleanDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  // Outside a deletion every list notification gets the default answer
  // (allow), so it is not dispatched: storing the answer costs a round trip
  // to the window server under Wine, for each of thousands of rows listed.
  if (msg == WM_NOTIFY && !deleting_) return false;
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

BOOL CDiskCleanDlg::OnInitDialog() {
  fw::list::SetupCheckedReport(Item(IDC_LIST),
                               {{"선택", 50}, {"경로", 300}, {"파일명(갯수)", 100}, {"크기", 133}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  picture_.SubclassDlgItem(IDC_PICTURE, Hwnd());
  picture_.SetBkColor(GetSysColor(COLOR_BTNFACE));
  picture_.Load(MAKEINTRESOURCEA(IDR_GIF_WORKING), "GIF");
  status_.SubclassDlgItem(IDC_STATUS, Hwnd());

  if (!scanThread_.IsRunning()) {
    StartAnimation();
    // Busy before the job starts, so that button 5 is "중지" from the first
    // moment and can never start a deletion beside the scan.
    EnterBusy();
    scanning_ = 1;
    scanThread_.owner = this;
    try {
      scanThread_.Start();
    } catch (...) {
      scanning_ = 0;
      StopAnimation();
      EnterIdle();
      throw;
    }
  }
  return TRUE;
}

void CDiskCleanDlg::OnDelete() {
  // A click queued before the button settled arrives all the same.
  if (closing_ || !deleteButton_.Accepts(Hwnd())) return;
  if (busy_) {
    EnterIdle();
    StopAnimation();
    scanThread_.RequestStop();
    return;
  }
  // A stopped job is still writing its last texts; it ends in a moment.
  if (IsWorking()) return;

  // The rows are read here, on the list's own thread, in one go: read from
  // the worker each cell would cost a cross-thread message.
  HWND list = Item(IDC_LIST);
  const int count = fw::list::Count(list);
  std::vector<RowSnapshot> rows;
  rows.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    rows.push_back(RowSnapshot{fw::list::Text(list, i, 1), fw::list::Text(list, i, 2),
                               fw::list::Text(list, i, 3), fw::list::Data(list, i),
                               fw::list::IsChecked(list, i)});
  }
  snapshot_ = std::move(rows);

  EnterBusy();
  deleting_ = 1;
  deletionThread_ =
      fw::StartWorkerThread(&CDiskCleanDlg::DeletionThread, this, THREAD_PRIORITY_TIME_CRITICAL);
  if (!deletionThread_.Valid()) {
    deleting_ = 0;
    snapshot_.clear();
    EnterIdle();
  }
}

void CDiskCleanDlg::OnExit() {
  // Button 2 is disabled while busy; Esc must not get round that.
  if (busy_ || closing_) return;
  closing_ = true;
  StopAnimation();
  WaitForWorkers();
  if (scanThread_.IsRunning()) {
    DWORD code = 0;
    scanThread_.Stop(code);
  }
  EndDialog(IDCANCEL);
}

LRESULT CDiskCleanDlg::OnListItemChanging(NMHDR* header) {
  // While a deletion runs its snapshot decides; a tick changed now would
  // show something other than what happens.
  auto* change = reinterpret_cast<NMLISTVIEW*>(header);
  if (deleting_ && (change->uChanged & LVIF_STATE) &&
      ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK))
    return TRUE;
  return FALSE;
}

INT_PTR CDiskCleanDlg::OnTimer(WPARAM timerId, LPARAM) {
  return deleteButton_.OnTimer(Hwnd(), timerId);
}

INT_PTR CDiskCleanDlg::OnRunOnUiThread(WPARAM, LPARAM lp) {
  (*reinterpret_cast<const std::function<void()>*>(lp))();
  return TRUE;
}

void CDiskCleanDlg::RunOnUiThread(const std::function<void()>& fn) {
  HWND hwnd = Hwnd();
  if (!hwnd || !IsWindow(hwnd)) return;
  if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId())
    fn();
  else
    SendMessageA(hwnd, kRunMessage, 0, reinterpret_cast<LPARAM>(&fn));
}

void CDiskCleanDlg::EnterBusy() {
  stop_ = 0;
  busy_ = 1;
  RunOnUiThread([this] {
    deleteButton_.Activate(Hwnd(), "중지");
    EnableWindow(Item(IDCANCEL), FALSE);
  });
}

void CDiskCleanDlg::EnterIdle() {
  stop_ = 1;
  busy_ = 0;
  RunOnUiThread([this] {
    // A stop click still on its way must not start a deletion.
    deleteButton_.Settle(Hwnd(), "삭제");
    EnableWindow(Item(IDCANCEL), TRUE);
  });
}

void CDiskCleanDlg::StartAnimation() {
  RunOnUiThread([this] { picture_.Draw(); });
}

void CDiskCleanDlg::StopAnimation() {
  RunOnUiThread([this] { picture_.Stop(); });
}

void CDiskCleanDlg::ShowMessage(const std::string& text) {
  fw::ShowMessageBox(Hwnd(), text, kCaption, MB_OK);
}

void CDiskCleanDlg::WaitForWorkers() {
  fw::WaitWhilePumping([this] { return !IsWorking(); });
}

DWORD WINAPI CDiskCleanDlg::DeletionThread(void* dialog) {
  static_cast<CDiskCleanDlg*>(dialog)->RunDeletion();
  return 0;
}

FILE* CDiskCleanDlg::OpenDeletionList() {
  // Everything goes by full path: the process's current directory stays
  // where it was, so later bare-name lookups keep working.
  const std::string folder = ProgramFolder() + "\\backup";
  CreateDirectoryA(folder.c_str(), nullptr);

  std::string slotFiles[diskclean::kLastSlot + 1];
  WIN32_FIND_DATAA data;
  {
    fw::FindHandle find(FindFirstFileA((folder + "\\*.txt").c_str(), &data));
    if (find.Valid()) {
      do {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        int slot = diskclean::SlotOfFileName(data.cFileName);
        if (slot) slotFiles[slot] = data.cFileName;
      } while (FindNextFileA(find.Get(), &data));
    }
  }

  // Opened for reading and writing, created when missing, never truncated
  // on opening.
  const std::string indexPath = folder + "\\diskclean.idx";
  fw::UniqueHandle index(CreateFileA(indexPath.c_str(), GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                     nullptr));
  int slot = diskclean::kFirstSlot;
  if (index.Valid()) {
    char text[64] = {};
    DWORD got = 0;
    if (ReadFile(index.Get(), text, sizeof text - 1, &got, nullptr))
      slot = diskclean::SlotFromIndexText(std::string(text, got));
  } else {
    ShowMessage("디스크삭제 인덱스 파일을 생성할 수 없습니다.");
  }

  if (!slotFiles[slot].empty()) DeleteFileA((folder + "\\" + slotFiles[slot]).c_str());

  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::string listPath =
      folder + "\\" +
      diskclean::ListFileName(diskclean::StampText(now.wYear, now.wMonth, now.wDay, now.wHour,
                                                   now.wMinute, now.wSecond),
                              slot);
  DeleteFileA(listPath.c_str());

  if (index.Valid()) {
    // The index holds exactly the one digit: bytes left behind it from an
    // older, longer text would be read back as part of the number.
    const char next = static_cast<char>('0' + diskclean::NextSlot(slot));
    DWORD written = 0;
    SetFilePointer(index.Get(), 0, nullptr, FILE_BEGIN);
    WriteFile(index.Get(), &next, 1, &written, nullptr);
    SetEndOfFile(index.Get());
  }
  return std::fopen(listPath.c_str(), "wb");
}

void CDiskCleanDlg::RunDeletion() {
  std::vector<RowSnapshot> rows = std::move(snapshot_);
  snapshot_.clear();
  StartAnimation();

  FILE* record = OpenDeletionList();

  HWND list = Item(IDC_LIST);
  HWND state = Item(IDC_STATE);
  HWND status = Item(IDC_STATUS);
  HWND bar = Item(IDC_PROGRESS);
  const int total = static_cast<int>(rows.size());
  RunOnUiThread([&] {
    ShowWindow(state, SW_HIDE);
    ShowWindow(status, SW_HIDE);
    fw::progress::SetRange(bar, 0, total);
    fw::progress::SetPos(bar, 0);
    ShowWindow(bar, SW_SHOW);
  });

  // Rows leave the list in order through the feed, so a row's index in the
  // list is the number of rows before it that stay. The feed hands the
  // removals and the progress over without waiting for the dialog.
  fw::UiFeed feed(Hwnd());
  LinkSafeDeleter deleter;
  int index = 0;
  int visits = 0;
  for (const RowSnapshot& row : rows) {
    ++visits;
    if (stop_) break;
    if (!row.checked) {
      ++index;
      continue;
    }
    if (row.kind == JunkItem::kRecycleBin && !row.path.empty()) {
      const char root[] = {row.path[0], ':', '\\', '\0'};
      // Emptying may fail (nothing to empty, drive gone); the line is
      // written all the same, as the row is removed all the same.
      fw::EmptyRecycleBin(root);
      if (record)
        std::fputs(diskclean::RecycleBinLine(row.path, row.name, row.size).c_str(), record);
    }
    feed.DeleteRow(list, index);
    feed.SetProgress(bar, visits);
    // A file that will not go (in use, no rights, already gone, a link)
    // leaves the list silently and is not recorded.
    if (row.kind != JunkItem::kRecycleBin && DeleteJunkFile(deleter, row.path, row.name) &&
        record)
      std::fputs(diskclean::FileLine(row.path, row.name).c_str(), record);
  }
  if (record) std::fclose(record);
  feed.Flush();

  const bool stopped = stop_ != 0;
  RunOnUiThread([&] {
    fw::progress::SetPos(bar, total);
    ShowWindow(bar, SW_HIDE);
    ShowWindow(state, SW_SHOW);
    ShowWindow(status, SW_SHOW);
  });
  StopAnimation();
  if (stopped) {
    ShowMessage("취소 되었습니다.");
  } else {
    ShowMessage("삭제 완료되었습니다");
    feed.SetText(state, "삭제완료");
    feed.SetText(status, std::string());
    feed.Flush();
  }
  EnterIdle();
  // The last touch of the dialog: from here on it may close.
  deleting_ = 0;
}

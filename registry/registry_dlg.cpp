#include "registry/registry_dlg.h"

#include <cstdio>

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "framework/worker.h"
#include "registry/backup_file.h"
#include "registry/backup_format.h"
#include "resources/resource.h"

namespace {

// Sent by a worker as its last step; the dialog's thread switches to idle.
constexpr UINT kEnterIdleMessage = WM_APP + 0x120;
// The timer that makes button 5 usable after a job ended.
constexpr UINT_PTR kSettleTimer = 1;

constexpr size_t kStatusLimit = 50;
constexpr DWORD kStatusInterval = 100;
constexpr DWORD kValueNameBuffer = 16383;

// Value names in enumeration order; true only when the enumeration ended
// with ERROR_NO_MORE_ITEMS.
bool ListValueNames(HKEY key, std::vector<std::string>& names) {
  names.clear();
  std::string name(kValueNameBuffer, '\0');
  for (DWORD i = 0;; ++i) {
    DWORD size = kValueNameBuffer;
    LONG status = RegEnumValueA(key, i, &name[0], &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names.emplace_back(name.data(), size);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The dialog-bound scanner

RegistryDlgScanner::RegistryDlgScanner(CRegistryDlg& dialog)
    : dialog_(dialog), list_(dialog.Item(IDC_LIST)), status_(dialog.Item(IDC_STATUS)) {}

void RegistryDlgScanner::OnFound(const RegistryFinding& finding) {
  dialog_.Feed().AppendRow(
      list_, {std::string(), finding.root, finding.keyPath, finding.valueName, finding.data}, true);
  ++found_;
}

void RegistryDlgScanner::OnScanning(const std::string& text) {
  // Each text shown repaints the status line, and a key shown for less is
  // not read anyway: the status shows a key at most every kStatusInterval
  // ms, the final count always.
  const DWORD now = GetTickCount();
  if (statusShown_ && now - lastStatus_ < kStatusInterval) return;
  statusShown_ = true;
  lastStatus_ = now;
  dialog_.Feed().SetText(status_, StatusText(text));
}

std::string RegistryDlgScanner::StatusText(const std::string& text) {
  if (text.size() <= kStatusLimit) return text;
  return text.substr(0, kStatusLimit) + "...";
}

// ---------------------------------------------------------------------------
// The scan thread

RegistryScanThread::~RegistryScanThread() {
  if (!IsRunning()) return;
  RequestStop();
  try {
    DWORD code = 0;
    Stop(code);
  } catch (...) {
    // The base destructor ends the thread by force if it is still there.
  }
}

void RegistryScanThread::DoWork() {
  auto* dialog = static_cast<CRegistryDlg*>(owner);
  RegistryDlgScanner* scanner;
  {
    fw::ScopedLock guard(lock_);
    scanner_ = std::make_unique<RegistryDlgScanner>(*dialog);
    scanner = scanner_.get();
    // A stop asked for before the scanner existed is not lost.
    if (stopEarly_) scanner->RequestStop();
  }
  scanner->RunAllRules();
  dialog->FinishScan(*scanner);
}

void RegistryScanThread::RequestStop() {
  fw::ScopedLock guard(lock_);
  if (scanner_)
    scanner_->RequestStop();
  else
    stopEarly_ = true;
}

// ---------------------------------------------------------------------------
// The dialog

const fw::MessageEntry<CRegistryDlg> CRegistryDlg::kMessages[] = {
    fw::OnCommand(IDCANCEL, &CRegistryDlg::OnExit),
    fw::OnCommand(IDC_DELETE, &CRegistryDlg::OnDeleteOrStop),
    fw::OnCommand(3, &CRegistryDlg::OnCheckAll),
    fw::OnCommand(4, &CRegistryDlg::OnUncheckAll),
    fw::OnCommand(2024, &CRegistryDlg::OnStopScan),
    fw::OnNotify(IDC_LIST, LVN_ITEMCHANGING, &CRegistryDlg::OnItemChanging),
    fw::OnMessage(kEnterIdleMessage, &CRegistryDlg::OnEnterIdle),
    fw::OnMessage(WM_TIMER, &CRegistryDlg::OnTimer),
};

bool CRegistryDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  // Outside a deletion every list notification gets the default answer
  // (allow), so it is not dispatched: storing the answer costs a round trip
  // to the window server under Wine, for each of thousands of rows listed.
  if (msg == WM_NOTIFY && !deleting_) return false;
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CRegistryDlg::CRegistryDlg()
    : fw::Dialog(IDD_REGISTRY), deleteButton_(IDC_DELETE, kSettleTimer) {}

CRegistryDlg::~CRegistryDlg() {
  // The workers talk to the window by synchronous messages. Once it is gone
  // those fail at once, so waiting for the workers here cannot block on them.
  if (IsModeless() && Hwnd()) DestroyWindow(Hwnd());
  if (scanThread_.IsRunning()) {
    scanThread_.RequestStop();
    try {
      DWORD code = 0;
      scanThread_.Stop(code);
    } catch (...) {
      // ~CThread ends it by force.
    }
  }
  if (deleteThread_.Valid()) WaitForSingleObject(deleteThread_.Get(), INFINITE);
}

BOOL CRegistryDlg::OnInitDialog() {
  HWND list = Item(IDC_LIST);
  fw::list::SetupCheckedReport(
      list, {{"선택", 50}, {"경로", 50}, {"키", 200}, {"이름", 100}, {"데이타", 195}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  feed_ = std::make_unique<fw::UiFeed>(Hwnd());
  picture_.SubclassDlgItem(IDC_PICTURE, Hwnd());
  picture_.Load(MAKEINTRESOURCEA(IDR_GIF_WORKING), "GIF");
  if (scanThread_.IsRunning()) return TRUE;

  picture_.SetBkColor(GetSysColor(COLOR_WINDOW));
  // Busy before the thread exists: the exit button must never be usable
  // while the scan may still send to this window.
  EnterBusy();
  fw::list::DeleteAll(list);
  fw::SetControlText(Item(IDC_STATE), "검색중");
  StartAnimation();
  scanThread_.owner = this;
  try {
    scanThread_.Start();
  } catch (...) {
    StopAnimation();
    OnEnterIdle(0, 0);
    throw;  // the framework reports it
  }
  return TRUE;
}

void CRegistryDlg::EnterBusy() {
  stop_ = 0;
  busy_ = 1;
  deleteButton_.Activate(Hwnd(), "중지");
  EnableWindow(Item(IDCANCEL), FALSE);
}

INT_PTR CRegistryDlg::OnEnterIdle(WPARAM, LPARAM) {
  stop_ = 1;
  busy_ = 0;
  deleting_ = 0;
  // A stop click still on its way must not start a deletion.
  deleteButton_.Settle(Hwnd(), "삭제");
  EnableWindow(Item(IDCANCEL), TRUE);
  return TRUE;
}

INT_PTR CRegistryDlg::OnTimer(WPARAM timerId, LPARAM) {
  return deleteButton_.OnTimer(Hwnd(), timerId);
}

void CRegistryDlg::EnterIdleFromWorker() {
  SendMessageA(Hwnd(), kEnterIdleMessage, 0, 0);
}

void CRegistryDlg::StartAnimation() {
  fw::ScopedLock guard(pictureLock_);
  picture_.Draw();
}

void CRegistryDlg::StopAnimation() {
  fw::ScopedLock guard(pictureLock_);
  picture_.Stop();
}

void CRegistryDlg::OnExit() {
  // Esc and the close box come here too: while a job runs the exit button
  // is disabled, and closing would leave the job writing to a dead dialog.
  if (busy_) return;
  StopAnimation();
  if (scanThread_.IsRunning()) {
    DWORD code = 0;
    scanThread_.Stop(code);
  }
  EndDialog(IDCANCEL);
}

void CRegistryDlg::OnDeleteOrStop() {
  // A click queued before the button settled arrives all the same.
  if (!deleteButton_.Accepts(Hwnd())) return;
  if (busy_) {
    // The job stops after the entry it is examining and then switches the
    // dialog to idle itself; until then the button can't start another.
    stop_ = 1;
    scanThread_.RequestStop();
    deleteButton_.Hold(Hwnd());
    return;
  }
  // The rows are read here, in one go on the dialog's thread; the check
  // boxes are frozen until the run ends, so the copy stays true.
  HWND list = Item(IDC_LIST);
  const int n = fw::list::Count(list);
  rows_.clear();
  rows_.reserve(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    rows_.push_back(Row{fw::list::Text(list, i, 1), fw::list::Text(list, i, 2),
                        fw::list::Text(list, i, 3), fw::list::Text(list, i, 4),
                        fw::list::IsChecked(list, i)});
  }
  EnterBusy();
  deleting_ = 1;
  deleteThread_ = fw::StartWorkerThread(&CRegistryDlg::DeleteThreadProc, this,
                                        THREAD_PRIORITY_TIME_CRITICAL);
  if (!deleteThread_.Valid()) OnEnterIdle(0, 0);
}

void CRegistryDlg::OnCheckAll() { fw::list::SetAllChecked(Item(IDC_LIST), true); }
void CRegistryDlg::OnUncheckAll() { fw::list::SetAllChecked(Item(IDC_LIST), false); }

void CRegistryDlg::OnStopScan() {
  stop_ = 1;
  scanThread_.RequestStop();
}

LRESULT CRegistryDlg::OnItemChanging(NMHDR* hdr) {
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(hdr);
  // TRUE refuses the change: no check box may change under a deletion run.
  return deleting_ && (change->uChanged & LVIF_STATE) &&
         ((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK);
}

void CRegistryDlg::FinishScan(const RegistryDlgScanner& scanner) {
  HWND hwnd = Hwnd();
  char count[32];
  std::snprintf(count, sizeof count, "%d개", scanner.FoundCount());
  StopAnimation();
  const bool stopped = scanner.StopRequested();
  feed_->SetText(Item(IDC_STATE), stopped ? "검색중지" : "검색완료");
  feed_->SetText(Item(IDC_STATUS), count);
  feed_->Flush();
  // A dialog destroyed under a running scan has nobody left to tell.
  if (IsWindow(hwnd)) {
    fw::ShowMessageBox(hwnd, stopped ? "검색이 중지되었습니다." : "검색이 완료되었습니다.", kTitle,
                       MB_OK);
  }
  EnterIdleFromWorker();
}

DWORD WINAPI CRegistryDlg::DeleteThreadProc(void* dialog) {
  static_cast<CRegistryDlg*>(dialog)->DeleteCheckedEntries();
  return 0;
}

bool CRegistryDlg::WriteBackup(HANDLE file, const std::string& lines) {
  return AppendBackupLines(file, lines);
}

void CRegistryDlg::DeleteCheckedEntries() {
  HWND hwnd = Hwnd();
  HWND list = Item(IDC_LIST);
  StartAnimation();

  fw::UniqueHandle file = OpenBackupFile();
  if (!file.Valid()) {
    StopAnimation();
    fw::ShowMessageBox(hwnd, "백업 파일을 만들 수 없어 삭제하지 않았습니다.", kTitle,
                       MB_OK | MB_ICONEXCLAMATION);
    EnterIdleFromWorker();
    return;
  }

  int removed = 0;
  bool backupFailed = false;
  for (size_t r = 0; r < rows_.size() && !stop_; ++r) {
    if (!rows_[r].checked) continue;
    if (DeleteEntry(rows_[r], file.Get()) == RowResult::kBackupFailed) {
      backupFailed = true;  // this row and the rest stay
      break;
    }
    feed_->DeleteRow(list, static_cast<int>(r) - removed);
    ++removed;
  }
  file.Reset();
  StopAnimation();
  feed_->Flush();

  if (backupFailed) {
    fw::ShowMessageBox(hwnd, "백업 파일에 쓰지 못해 삭제를 중지했습니다.", kTitle,
                       MB_OK | MB_ICONEXCLAMATION);
  } else if (stop_) {
    fw::ShowMessageBox(hwnd, "취소 되었습니다.", kTitle, MB_OK);
  } else {
    fw::ShowMessageBox(hwnd, "삭제 완료되었습니다.", kTitle, MB_OK);
    feed_->SetText(Item(IDC_STATE), "삭제완료");
    feed_->Flush();
  }
  EnterIdleFromWorker();
}

CRegistryDlg::RowResult CRegistryDlg::DeleteEntry(const Row& row, HANDLE backup) {
  HKEY root = RootFromShortName(row.root);
  const char* rootLong = RootLongName(root);
  if (!root || !rootLong) return RowResult::kDone;

  if (!row.valueName.empty()) {
    fw::KeyHandle key;
    if (RegOpenKeyExA(root, row.keyPath.c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE, key.Put()) !=
        ERROR_SUCCESS)
      return RowResult::kDone;
    DWORD type = 0;
    std::string bytes;
    // A value that can't be read can't be deleted either: nothing to do.
    if (!ReadRawValue(key.Get(), row.valueName, type, bytes)) return RowResult::kDone;
    // The lines are on the disk before the value goes.
    if (!WriteBackup(backup, FormatValueLine(rootLong, row.keyPath, row.valueName, row.data) +
                                 FormatTypedValueLine(rootLong, row.keyPath, row.valueName, type,
                                                      bytes)))
      return RowResult::kBackupFailed;
    RegDeleteValueA(key.Get(), row.valueName.c_str());
    return RowResult::kDone;
  }

  std::string lines;
  DWORD subkeys = 0;
  bool queried;
  {
    fw::KeyHandle key;
    if (RegOpenKeyExA(root, row.keyPath.c_str(), 0, KEY_ALL_ACCESS, key.Put()) != ERROR_SUCCESS)
      return RowResult::kDone;
    std::vector<std::string> names;
    if (!ListValueNames(key.Get(), names)) return RowResult::kDone;  // the key stays
    lines = FormatKeyLine(rootLong, row.keyPath) + FormatTypedKeyLine(rootLong, row.keyPath);
    for (const std::string& name : names) {
      DWORD type = 0;
      std::string bytes;
      if (!ReadRawValue(key.Get(), name, type, bytes)) continue;  // gone meanwhile
      lines += FormatValueLine(rootLong, row.keyPath, name, RegistryStringText(type, bytes));
      lines += FormatTypedValueLine(rootLong, row.keyPath, name, type, bytes);
    }
    queried = RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                               nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }
  if (!WriteBackup(backup, lines)) return RowResult::kBackupFailed;
  // A key with subkeys stays, on every Windows line (95/98/ME would delete
  // the whole subtree, which the backup does not hold); its lines stay in
  // the backup all the same.
  if (queried && subkeys == 0) RegDeleteKeyA(root, row.keyPath.c_str());
  return RowResult::kDone;
}

#include "startup/startup_prog_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "registry/backup_file.h"
#include "resources/resource.h"

const fw::MessageEntry<CStartProgDlg> CStartProgDlg::kMessages[] = {
    fw::OnCommand(IDC_DELETE, &CStartProgDlg::OnDelete),
    fw::OnCommand(IDCANCEL, &CStartProgDlg::OnExit),
};

bool CStartProgDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CStartProgDlg::CStartProgDlg() : fw::Dialog(IDD_STARTUP) {}

BOOL CStartProgDlg::OnInitDialog() {
  fw::list::SetupCheckedReport(Item(IDC_LIST),
                               {{"선택", 50}, {"프로그램", 100}, {"경로", 233}, {"위치", 200}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  entries_ = CollectStartupEntries();
  FillList();
  return TRUE;
}

void CStartProgDlg::FillList() {
  // With nothing collected the list is left as it is.
  if (entries_.empty()) return;
  HWND list = Item(IDC_LIST);
  fw::list::DeleteAll(list);
  for (size_t i = 0; i < entries_.size(); ++i) {
    const StartupEntry& entry = entries_[i];
    fw::list::AppendRow(list, {std::string(), entry.program, entry.commandLine, entry.location},
                        false, static_cast<LPARAM>(i));
  }
}

void CStartProgDlg::OnDelete() {
  HWND list = Item(IDC_LIST);
  bool anyChecked = false;
  for (int row = 0; row < fw::list::Count(list) && !anyChecked; ++row)
    anyChecked = fw::list::IsChecked(list, row);
  if (!anyChecked) {
    fw::ShowMessageBox(Hwnd(), "삭제 완료되었습니다.", kTitle, MB_OK);
    return;
  }
  // Every value deleted is in the backup first: without a backup file
  // nothing is deleted.
  fw::UniqueHandle backup = OpenBackupFile();
  if (!backup.Valid()) {
    fw::ShowMessageBox(Hwnd(), "백업 파일을 만들 수 없어 삭제하지 않았습니다.", kTitle,
                       MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  bool kept = false;
  bool backupFailed = false;
  for (int row = 0; row < fw::list::Count(list) && !backupFailed;) {
    const auto index = static_cast<size_t>(fw::list::Data(list, row));
    if (fw::list::IsChecked(list, row) && index < entries_.size()) {
      const StartupDeletion result = DeleteStartupEntry(entries_[index], backup.Get());
      if (result == StartupDeletion::kDeleted) {
        fw::list::DeleteRow(list, row);  // the next row moves up into this place
        continue;
      }
      // A value that is still there (no rights, a locked key) keeps its
      // row, checked, so the list never hides a program that still starts.
      kept = true;
      backupFailed = result == StartupDeletion::kBackupFailed;  // this row and the rest stay
    }
    ++row;
  }
  if (backupFailed) {
    fw::ShowMessageBox(Hwnd(), "백업 파일에 쓰지 못해 삭제를 중지했습니다.", kTitle,
                       MB_OK | MB_ICONEXCLAMATION);
  } else if (kept) {
    fw::ShowMessageBox(Hwnd(), "체크된 채 남은 항목은 삭제할 수 없습니다. 관리자 권한이 필요합니다.",
                       kTitle, MB_OK | MB_ICONEXCLAMATION);
  } else {
    fw::ShowMessageBox(Hwnd(), "삭제 완료되었습니다.", kTitle, MB_OK);
  }
}

void CStartProgDlg::OnExit() { EndDialog(IDCANCEL); }

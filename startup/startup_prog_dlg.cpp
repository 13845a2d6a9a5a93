#include "startup/startup_prog_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
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

bool CStartProgDlg::DeleteEntry(const StartupEntry& entry) { return DeleteStartupEntry(entry); }

void CStartProgDlg::OnDelete() {
  HWND list = Item(IDC_LIST);
  for (int row = 0; row < fw::list::Count(list);) {
    const auto index = static_cast<size_t>(fw::list::Data(list, row));
    // A value that is still there (no rights, a locked key) keeps its row,
    // checked, so the list never hides a program that still starts.
    if (fw::list::IsChecked(list, row) && index < entries_.size() && DeleteEntry(entries_[index])) {
      fw::list::DeleteRow(list, row);  // the next row moves up into this place
      continue;
    }
    ++row;
  }
  // Shown after every press, whatever was checked or deleted.
  fw::ShowMessageBox(Hwnd(), "삭제 완료되었습니다.", kTitle, MB_OK);
}

void CStartProgDlg::OnExit() { EndDialog(IDCANCEL); }

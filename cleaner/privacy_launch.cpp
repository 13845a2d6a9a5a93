#include "app/tools.h"
#include "cleaner/force_del_dlg.h"
#include "cleaner/history_dlg.h"

void OpenPrivacyCleaner(HWND owner) {
  CHistoryDlg dialog;
  dialog.DoModal(owner);
}

void OpenForceDelete(HWND owner) {
  CForceDelDlg dialog;
  dialog.DoModal(owner);
}

#include "app/tools.h"
#include "cleaner/disk_clean_dlg.h"

void OpenDiskCleaner(HWND owner) {
  CDiskCleanDlg dialog;
  dialog.DoModal(owner);
}

#include "app/tools.h"
#include "startup/startup_prog_dlg.h"

void OpenStartupPrograms(HWND owner) {
  CStartProgDlg dialog;
  dialog.DoModal(owner);
}

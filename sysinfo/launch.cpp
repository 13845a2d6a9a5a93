#include "app/tools.h"
#include "sysinfo/sysinfo_dlg.h"
#include "sysinfo/usage_time_dlg.h"

void OpenSystemInfo(HWND owner) {
  CSysInfoDlg dialog;
  dialog.DoModal(owner);
}

void OpenUsageTime(HWND owner) {
  CMyUseTimeDlg dialog;
  dialog.DoModal(owner);
}

#include "app/tools.h"
#include "sysinfo/usage_time_dlg.h"

// Not built yet: the button does nothing.
void OpenSystemInfo(HWND) {}

void OpenUsageTime(HWND owner) {
  CMyUseTimeDlg dialog;
  dialog.DoModal(owner);
}

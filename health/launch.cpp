#include "app/tools.h"
#include "health/hdd_temp_dlg.h"
#include "health/smart_dlg.h"
#include "health/system_drive_commands.h"

void OpenSmart(HWND owner) {
  CSmartDlg dialog(smart::ToolSmartReader());
  dialog.DoModal(owner);
}

void OpenDiskTemperature(HWND owner) {
  CHddTempDlg dialog(smart::ToolSmartReader());
  dialog.DoModal(owner);
}

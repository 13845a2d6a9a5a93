#include "app/tools.h"
#include "registry/registry_dlg.h"
#include "registry/restore_dlg.h"

void OpenRegistryOptimizer(HWND owner) {
  CRegistryDlg dialog;
  dialog.DoModal(owner);
}

void OpenRegistryRestore(HWND owner) {
  CRegistryRestoreDlg dialog;
  dialog.DoModal(owner);
}

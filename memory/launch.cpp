#include "app/tools.h"
#include "memory/memory_dlg.h"

void OpenMemoryOptimizer(HWND owner) {
  CMemoryDlg dialog;
  dialog.DoModal(owner);
}

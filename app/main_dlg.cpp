#include "app/main_dlg.h"

#include "resources/resource.h"

CMainDlg::CMainDlg() : fw::Dialog(IDD_MAIN) {}

BOOL CMainDlg::OnInitDialog() { return TRUE; }

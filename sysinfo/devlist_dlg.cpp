#include "sysinfo/devlist_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "resources/resource.h"

CDevListDlg::CDevListDlg() : fw::Dialog(IDD_DEVLIST) {}

BOOL CDevListDlg::OnInitDialog() {
  fw::list::SetupReport(Item(IDC_LIST),
                        {{"제조사", 100}, {"장치명", 150}, {"유형", 80}, {"위치", 150}});
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  return TRUE;
}

#include "app/tools.h"
#include "network/internet_dlg.h"
#include "network/ip_addr_info_dlg.h"

void OpenInternetOptimizer(HWND owner) {
  CInternetDlg dialog;
  dialog.DoModal(owner);
}

void OpenMyIp(HWND owner) {
  CIpAddrInfoDlg dialog;
  dialog.DoModal(owner);
}

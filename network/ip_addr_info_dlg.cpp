#include "network/ip_addr_info_dlg.h"

#include "framework/controls.h"
#include "framework/font.h"
#include "framework/msgbox.h"
#include "framework/site.h"
#include "network/ip_lookup.h"
#include "resources/resource.h"

CIpAddrInfoDlg::CIpAddrInfoDlg() : fw::Dialog(IDD_MYIP) {}

std::string CIpAddrInfoDlg::GetPublicIpAddress() {
  const PublicAddressFetch fetch = FetchPublicAddress(SiteUrl("/spruce/ip.html"), kFetchDeadlineMs);
  if (fetch.failed) fw::ShowMessageBox(Hwnd(), "외부 IP를 확인할 수 없습니다.", kTitle, MB_OK);
  return fetch.address;
}

BOOL CIpAddrInfoDlg::OnInitDialog() {
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);
  fw::SetControlText(Item(IDC_MYIP_LOCAL), GetLocalIpAddress());
  fw::SetControlText(Item(IDC_MYIP_PUBLIC), GetPublicIpAddress());
  whois_.SubclassDlgItem(IDC_MYIP_WHOIS, Hwnd());
  whois_.SetTextColor(RGB(0, 0, 255)).SetFontUnderline(true).SetLink(true, false).SetLinkURL(kWhoisPage);
  // The exit button takes the focus, so no address shows selected.
  SetFocus(Item(IDCANCEL));
  return FALSE;
}

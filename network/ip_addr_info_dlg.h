// My IP (118): the computer's private address and the public address the
// site's echo page sees, both looked up once while the dialog opens, and a
// link to the registry's whois search.
#pragma once
#include <windows.h>

#include <string>

#include "framework/dialog.h"
#include "framework/raii.h"
#include "widgets/color_label.h"

class CIpAddrInfoDlg : public fw::Dialog {
 public:
  // The dialog's title, which also titles its message box.
  static constexpr const char* kTitle = "내컴퓨터 IP 알기";
  // How long the echo page may take, connection and transfer together.
  static constexpr DWORD kFetchDeadlineMs = 10000;

  CIpAddrInfoDlg();

  // The public address from the site's "/spruce/ip.html"; empty when the
  // page cannot be opened, after a box when the transfer failed.
  std::string GetPublicIpAddress();

  const CColorLabel& WhoisLink() const { return whois_; }

 protected:
  BOOL OnInitDialog() override;

 private:
  fw::Font boldFont_;
  CColorLabel whois_;
};

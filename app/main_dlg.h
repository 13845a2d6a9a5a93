// The main window (dialog 102): a picture header, one picture button per
// tool, the installed version, the date of the previous run, the advertising
// banner and the home-page buttons. Each tool button runs its tool modally.
#pragma once
#include <windows.h>

#include <string>

#include "app/hover_button.h"
#include "app/html_banner.h"
#include "framework/dialog.h"
#include "framework/raii.h"
#include "widgets/color_label.h"

class CMainDlg : public fw::Dialog {
 public:
  CMainDlg();

  // The installed version as "version.dat" holds it ("1.0.0" without it).
  const std::string& Version() const { return version_; }

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  static const fw::MessageEntry<CMainDlg> kMessages[];

  void ReadInstalledVersion();
  // The upgrade prompt: the silent check at start, the Upgrade button's
  // highlight and blinking, and the button itself.
  void CheckForUpgradeAtStart();
  void StartUpgradeBlink();
  INT_PTR OnTimer(WPARAM, LPARAM);
  void OnUpgrade();
  CHoverButton* UpgradeButton();
  void PlaceButtons();
  void RepairHelpCenter();
  void PlaceBanner();
  // True (after telling the user) when the tool needs the NT line and this
  // is Windows 95/98/ME.
  bool RefuseOn9x(const char* title);

  INT_PTR OnPaint(WPARAM, LPARAM);
  INT_PTR OnSysCommand(WPARAM, LPARAM);
  INT_PTR OnQueryDragIcon(WPARAM, LPARAM);
  INT_PTR OnShowOrMove(WPARAM, LPARAM);
  void OnEnter() {}
  void OnClose();
  void OnRegistry();
  void OnRestore();
  void OnHardDisk();
  void OnMemory();
  void OnInternet();
  void OnStartup();
  void OnHistory();
  void OnSystemInfo();
  void OnMyIp();
  void OnSmart();
  void OnTemperature();
  void OnUsageTime();
  void OnForceDelete();
  void OnHomePage();

  // Buttons 1000-1012, 1014, 1027 and the top button 1013.
  CHoverButton buttons_[16];
  CColorLabel versionLabel_;
  CColorLabel previousRunLabel_;
  CHtmlBannerDlg banner_;
  std::string version_ = "1.0.0";
  // Set by the start-up check when the server has a newer version; the
  // blink timer toggles it afterwards.
  int newerVersion_ = 0;
  // A press of the Upgrade button is being handled (its check pumps messages).
  bool upgrading_ = false;
  // The user has closed the window. A modal dialog that has ended stays on
  // screen until its handler returns, so a check still running must then
  // neither ask nor start anything.
  bool closed_ = false;
  fw::Bitmap header_;
  HICON icon_ = nullptr;
};

// The about box (dialog 100).
class CAboutDlg : public fw::Dialog {
 public:
  CAboutDlg();
};

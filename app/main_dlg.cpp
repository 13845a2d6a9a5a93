#include "app/main_dlg.h"

#include <shellapi.h>

#include <cstdio>

#include "app/cleaner_app.h"
#include "app/registry_key.h"
#include "app/tools.h"
#include "framework/msgbox.h"
#include "framework/program_window.h"
#include "framework/site.h"
#include "resources/resource.h"
#include "upgrade/installed_version.h"
#include "upgrade/upgrade_checker.h"

namespace {


struct ButtonPlace {
  int id;
  int x, y;
  UINT bitmap;
};

// Buttons are moved to their place (173 x 34) and then sized by their bitmap.
const ButtonPlace kButtons[] = {
    {IDC_BTN_REGISTRY, 25, 55, IDB_REGISTRY},     {IDC_BTN_RESTORE, 25, 95, IDB_RESTORE},
    {IDC_BTN_HARDDISK, 25, 135, IDB_HARDDISK},    {IDC_BTN_MEMORY, 25, 175, IDB_MEMORY},
    {IDC_BTN_INTERNET, 25, 215, IDB_INTERNET},    {IDC_BTN_STARTUP, 25, 255, IDB_STARTUP},
    {IDC_BTN_HISTORY, 25, 295, IDB_HISTORY},      {IDC_BTN_FORCEDEL, 25, 335, IDB_FORCEDEL},
    {IDC_BTN_SMART, 238, 55, IDB_SMART},          {IDC_BTN_TEMPERATURE, 238, 95, IDB_TEMPERATURE},
    {IDC_BTN_SYSINFO, 238, 135, IDB_SYSINFO},     {IDC_BTN_MYIP, 238, 175, IDB_MYIP},
    {IDC_BTN_USAGETIME, 238, 215, IDB_USAGETIME}, {IDC_BTN_UPGRADE, 238, 255, IDB_UPGRADE},
    {IDC_BTN_HOMEPAGE, 238, 295, IDB_HOMEPAGE},
};
constexpr int kTopButtonSlot = 15;

// Blinks the Upgrade button while a newer version is known.
constexpr UINT_PTR kBlinkTimer = 1000;
constexpr UINT kBlinkPeriod = 500;

// Help Center type libraries whose paths the main window repairs at start.
struct HelpCenterKey {
  const char* key;
  const char* format;
};
const HelpCenterKey kHelpCenterKeys[] = {
    {"TypeLib\\{FC7D9000-3F9E-11D3-93C0-00C04F72DAF7}\\1.0\\0\\win32",
     "%s\\PCHealth\\HelpCtr\\Binaries\\HelpCtr.exe\\2"},
    {"TypeLib\\{FC7D9E00-3F9E-11D3-93C0-00C04F72DAF7}\\1.0\\0\\win32",
     "%s\\PCHealth\\HelpCtr\\Binaries\\HelpCtr.exe\\1"},
};

// Opens the upgrade page in the browser at its fixed path, or, where that is
// missing, with the system's handler for web addresses. The address comes
// without a scheme (the version file cuts values at colons); it is always
// given one, so the shell can only ever take it for a web page, never for a
// program or a file to run.
void OpenUpgradePage(const std::string& address) {
  // A browser that will not start is passed over.
  if (GetFileAttributesA(kBrowserPath) != INVALID_FILE_ATTRIBUTES) {
    ShellExecuteA(nullptr, "open", kBrowserPath, address.c_str(), nullptr, SW_SHOWNORMAL);
    return;
  }
  ShellExecuteA(nullptr, "open", ("http://" + address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

const fw::MessageEntry<CMainDlg> CMainDlg::kMessages[] = {
    fw::OnMessage(WM_PAINT, &CMainDlg::OnPaint),
    fw::OnMessage(WM_SYSCOMMAND, &CMainDlg::OnSysCommand),
    fw::OnMessage(WM_QUERYDRAGICON, &CMainDlg::OnQueryDragIcon),
    fw::OnMessage(WM_SHOWWINDOW, &CMainDlg::OnShowOrMove),
    fw::OnMessage(WM_MOVE, &CMainDlg::OnShowOrMove),
    fw::OnMessage(WM_TIMER, &CMainDlg::OnTimer),
    fw::OnCommand(IDOK, &CMainDlg::OnEnter),
    fw::OnCommand(IDCANCEL, &CMainDlg::OnClose),
    fw::OnCommand(IDC_BTN_REGISTRY, &CMainDlg::OnRegistry),
    fw::OnCommand(IDC_BTN_RESTORE, &CMainDlg::OnRestore),
    fw::OnCommand(IDC_BTN_HARDDISK, &CMainDlg::OnHardDisk),
    fw::OnCommand(IDC_BTN_MEMORY, &CMainDlg::OnMemory),
    fw::OnCommand(IDC_BTN_INTERNET, &CMainDlg::OnInternet),
    fw::OnCommand(IDC_BTN_STARTUP, &CMainDlg::OnStartup),
    fw::OnCommand(IDC_BTN_HISTORY, &CMainDlg::OnHistory),
    fw::OnCommand(IDC_BTN_SYSINFO, &CMainDlg::OnSystemInfo),
    fw::OnCommand(IDC_BTN_MYIP, &CMainDlg::OnMyIp),
    fw::OnCommand(IDC_BTN_SMART, &CMainDlg::OnSmart),
    fw::OnCommand(IDC_BTN_TEMPERATURE, &CMainDlg::OnTemperature),
    fw::OnCommand(IDC_BTN_USAGETIME, &CMainDlg::OnUsageTime),
    fw::OnCommand(IDC_BTN_FORCEDEL, &CMainDlg::OnForceDelete),
    fw::OnCommand(IDC_BTN_UPGRADE, &CMainDlg::OnUpgrade),
    fw::OnCommand(IDC_BTN_HOMEPAGE, &CMainDlg::OnHomePage),
    fw::OnCommand(IDC_BTN_TOP, &CMainDlg::OnHomePage),
};

CMainDlg::CMainDlg() : fw::Dialog(IDD_MAIN) {}

bool CMainDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

BOOL CMainDlg::OnInitDialog() {
  HINSTANCE module = GetModuleHandleA(nullptr);
  icon_ = fw::SetUpProgramWindow(Hwnd(), IDS_ABOUTBOX, IDI_SPRUCE);

  ReadInstalledVersion();
  CheckForUpgradeAtStart();

  CHoverButton& top = buttons_[kTopButtonSlot];
  top.SubclassDlgItem(IDC_BTN_TOP, Hwnd());
  SetWindowPos(top.Hwnd(), nullptr, 0, 5, 236, 18, SWP_NOZORDER | SWP_NOACTIVATE);
  SetWindowPos(top.Hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  top.SetBitmap(IDB_TOP);
  top.noFill = true;
  RedrawWindow(top.Hwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE | RDW_UPDATENOW);

  header_.Reset(LoadBitmapA(module, MAKEINTRESOURCEA(IDB_HEADER)));

  versionLabel_.SubclassDlgItem(IDC_VERSION, Hwnd());
  versionLabel_.SetTextColor(RGB(255, 255, 255));
  versionLabel_.SetTransparent(true);
  versionLabel_.SetText("버전: " + version_);
  MoveWindow(versionLabel_.Hwnd(), 343, 7, 80, 18, TRUE);

  PlaceButtons();
  StartUpgradeBlink();

  const std::string& previous = TheApp().PreviousRunDate();
  previousRunLabel_.SubclassDlgItem(IDC_PREVIOUS_RUN, Hwnd());
  previousRunLabel_.SetTextColor(RGB(66, 66, 66));
  previousRunLabel_.SetBkColor(RGB(255, 255, 255));
  previousRunLabel_.SetText("최근 실행일:" + (previous.empty() ? std::string("없음") : previous));
  MoveWindow(previousRunLabel_.Hwnd(), 238, 345, 173, 17, TRUE);

  if (banner_.Create(Hwnd())) banner_.Navigate(SiteUrl("/spruce/adpan.htm"));
  HWND frame = Item(IDC_BANNER_FRAME);
  ShowWindow(frame, SW_SHOW);
  MoveWindow(frame, 12, 382, 418, 66, TRUE);
  SetWindowPos(Hwnd(), nullptr, 0, 0, 450, 490, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceBanner();

  RepairHelpCenter();
  return TRUE;
}

void CMainDlg::ReadInstalledVersion() {
  // A relative name: the file is looked for in the current directory, which
  // is the program folder.
  version_ = ::ReadInstalledVersion("version.dat");
}

void CMainDlg::CheckForUpgradeAtStart() {
  // The updater's old copy, which it cannot delete while it runs, is left to
  // the recovery at start-up (RecoverInterruptedUpgrade), which keeps a
  // backup whose installed file is missing.
  CUpgradeChecker checker;
  newerVersion_ = checker.CheckVersion(CUpgradeChecker::kAgent, SiteUrl("/spruce"),
                                       CUpgradeChecker::kVersionFileName, version_, true);
}

CHoverButton* CMainDlg::UpgradeButton() {
  for (size_t i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i)
    if (kButtons[i].id == IDC_BTN_UPGRADE) return &buttons_[i];
  return nullptr;
}

void CMainDlg::StartUpgradeBlink() {
  if (newerVersion_) SetTimer(Hwnd(), kBlinkTimer, kBlinkPeriod, nullptr);
  CHoverButton* button = UpgradeButton();
  button->highlight = newerVersion_ != 0;
  InvalidateRect(button->Hwnd(), nullptr, FALSE);
}

INT_PTR CMainDlg::OnTimer(WPARAM wp, LPARAM) {
  if (wp != kBlinkTimer) return FALSE;
  newerVersion_ = !newerVersion_;
  CHoverButton* button = UpgradeButton();
  button->highlight = newerVersion_ != 0;
  InvalidateRect(button->Hwnd(), nullptr, FALSE);
  return TRUE;
}

void CMainDlg::OnUpgrade() {
  // The check waits for its download while pumping messages: a second press
  // meanwhile is the same request.
  if (upgrading_) return;
  upgrading_ = true;
  std::string serverVersion, upgradeUrl;
  bool newer;
  {
    CUpgradeChecker checker;
    newer = checker.CheckVersion(CUpgradeChecker::kAgent, SiteUrl("/spruce"),
                                 CUpgradeChecker::kVersionFileName, version_, false);
    serverVersion = checker.Server().version;
    upgradeUrl = checker.Server().upgradeUrl;
  }
  upgrading_ = false;
  // Closed while the check ran: the user no longer wants anything from it.
  if (!newer || closed_) return;
  if (!upgradeUrl.empty()) {
    OpenUpgradePage(upgradeUrl);
    return;
  }
  if (fw::ShowMessageBox(Hwnd(), "새버전(" + serverVersion + ")이 나왔습니다. 업그레이드 하시겠습니까?",
                         CUpgradeChecker::kTitle, MB_YESNO | MB_ICONQUESTION) != IDYES ||
      closed_)
    return;
  // By its full path and with the program folder as its working directory:
  // the current directory may have moved (the registry restore dialog), and
  // the updater works on the files of its working directory.
  const std::string folder = ProgramFolder();
  const std::string updater = folder + "\\SpruceUp.exe";
  const INT_PTR started = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", updater.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL));
  if (started <= 32) {
    fw::ShowMessageBox(Hwnd(), "SpruceUp.exe를 실행할 수 없습니다.", CUpgradeChecker::kTitle,
                       MB_OK | MB_ICONERROR);
    return;
  }
  // The updater replaces this program's files: end at once, without the
  // usual exit processing.
  ExitProcess(0);
}

void CMainDlg::OnClose() {
  closed_ = true;
  EndDialog(IDCANCEL);
}

void CMainDlg::PlaceButtons() {
  for (size_t i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i) {
    CHoverButton& button = buttons_[i];
    button.SubclassDlgItem(kButtons[i].id, Hwnd());
    MoveWindow(button.Hwnd(), kButtons[i].x, kButtons[i].y, 173, 34, TRUE);
    button.SetBitmap(kButtons[i].bitmap);
  }
}

void CMainDlg::RepairHelpCenter() {
  RegistryKey key;
  if (!key.SetRoot(HKEY_CLASSES_ROOT)) return;
  char windows[260] = {};
  GetWindowsDirectoryA(windows, sizeof windows);
  for (const HelpCenterKey& entry : kHelpCenterKeys) {
    if (!key.Open(entry.key)) continue;  // a missing registration is left alone
    char value[600];
    std::snprintf(value, sizeof value, entry.format, windows);
    key.SetString("", value);  // a failed write is passed over
  }
}

void CMainDlg::PlaceBanner() {
  HWND frame = Item(IDC_BANNER_FRAME);
  if (!frame || !banner_.Hwnd()) return;
  POINT origin = {0, 0};
  ClientToScreen(Hwnd(), &origin);
  RECT client;
  GetClientRect(frame, &client);
  RECT r = BannerRect(origin, SIZE{client.right, client.bottom});
  banner_.MoveTo(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

INT_PTR CMainDlg::OnShowOrMove(WPARAM, LPARAM) {
  PlaceBanner();
  return FALSE;  // the default handling goes on
}

INT_PTR CMainDlg::OnPaint(WPARAM, LPARAM) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Hwnd(), &ps);
  RECT client;
  GetClientRect(Hwnd(), &client);
  if (IsIconic(Hwnd())) {
    fw::DrawCentredIcon(Hwnd(), dc, icon_);
  } else {
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (header_) {
      fw::MemoryDc memory(dc);
      fw::SelectScope select(memory.Get(), header_.Get());
      BitBlt(dc, 0, 0, 445, 39, memory.Get(), 0, 0, SRCCOPY);
    }
  }
  EndPaint(Hwnd(), &ps);
  return TRUE;
}

INT_PTR CMainDlg::OnSysCommand(WPARAM wp, LPARAM) {
  if ((wp & 0xFFF0) != fw::kAboutCommand) return FALSE;  // default handling
  CAboutDlg about;
  about.DoModal(Hwnd());
  return TRUE;
}

INT_PTR CMainDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(icon_); }

void CMainDlg::OnRegistry() { OpenRegistryOptimizer(Hwnd()); }
void CMainDlg::OnRestore() { OpenRegistryRestore(Hwnd()); }
void CMainDlg::OnHardDisk() { OpenDiskCleaner(Hwnd()); }
void CMainDlg::OnMemory() { OpenMemoryOptimizer(Hwnd()); }
void CMainDlg::OnInternet() { OpenInternetOptimizer(Hwnd()); }
void CMainDlg::OnStartup() { OpenStartupPrograms(Hwnd()); }
void CMainDlg::OnHistory() { OpenPrivacyCleaner(Hwnd()); }
void CMainDlg::OnSystemInfo() { OpenSystemInfo(Hwnd()); }
void CMainDlg::OnMyIp() { OpenMyIp(Hwnd()); }

bool CMainDlg::RefuseOn9x(const char* title) {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  if (info.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS) return false;
  fw::ShowMessageBox(Hwnd(), "Windows 95/98/ME는 지원하지 않습니다.", title, MB_OK);
  return true;
}

void CMainDlg::OnSmart() {
  if (!RefuseOn9x("하드디스크 상태점검")) OpenSmart(Hwnd());
}
void CMainDlg::OnTemperature() {
  if (!RefuseOn9x("하드디스크 온도")) OpenDiskTemperature(Hwnd());
}
void CMainDlg::OnUsageTime() {
  if (!RefuseOn9x("컴퓨터 사용시간 체크")) OpenUsageTime(Hwnd());
}
void CMainDlg::OnForceDelete() {
  if (!RefuseOn9x("파일 강제삭제")) OpenForceDelete(Hwnd());
}

void CMainDlg::OnHomePage() {
  // A browser that will not start is passed over.
  ShellExecuteA(nullptr, "open", kBrowserPath, SiteUrl("/go.htm").c_str(), nullptr, SW_SHOWNORMAL);
}

CAboutDlg::CAboutDlg() : fw::Dialog(IDD_ABOUTBOX) {}

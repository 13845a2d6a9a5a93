#include "updater/updater_dlg.h"

#include <commctrl.h>
#include <shellapi.h>

#include <vector>

#include "framework/controls.h"
#include "framework/msgbox.h"
#include "framework/program_window.h"
#include "framework/site.h"
#include "updater/install_swap.h"
#include "updater/uninstall_entry.h"
#include "updater/updater_res.h"
#include "upgrade/installed_version.h"

namespace {

const char kCancelCaption[] = "취소";
const char kDoneCaption[] = "완료";
const char kCannotPlace[] = "업그레이드 파일을 실행할위치로 옮길 수 없습니다.";

}  // namespace

std::string UpdaterFolder() {
  // Sized by the system: the folder may be longer than MAX_PATH allows for
  // a fixed buffer on some systems.
  DWORD size = GetCurrentDirectoryA(0, nullptr);
  std::string folder(size, '\0');
  DWORD n = GetCurrentDirectoryA(size, &folder[0]);
  folder.resize(n < size ? n : 0);
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();  // a drive's root
  return folder;
}

// ---------------------------------------------------------------------------
// CUpdaterChecker

std::vector<std::string> CUpdaterChecker::FileNames() const {
  return std::vector<std::string>(server_.fileNames, server_.fileNames + server_.fileCount);
}

bool CUpdaterChecker::DownloadAll(const char* agent, const std::string& baseUrl,
                                  const char* versionFile, const std::string& installed,
                                  const std::string& folder) {
  if (!CheckVersion(agent, baseUrl, versionFile, installed, false)) return false;
  const std::vector<std::string> names = FileNames();
  // The names become paths: one that could reach outside the program folder
  // or name a device refuses the whole upgrade before anything is fetched.
  // So does a file listed without its digest: every byte put in place must
  // be one the publisher signed for.
  bool allHashed = true;
  for (int i = 0; i < server_.fileCount; ++i) allHashed = allHashed && server_.fileHashed[i];
  if (!allHashed ||
      CheckFileList(names, folder.size(), InstallSwap::ReservedNames()) != FileListProblem::kOk) {
    ShowError("업그레이드 파일 목록이 올바르지 않습니다.");
    return false;
  }
  InstallSwap swap(folder);
  const int count = server_.fileCount;
  OnBatchBegin(count);
  for (int i = 0; i < count; ++i) {
    const std::string& name = server_.fileNames[i];
    const uint32_t size = server_.fileSizes[i];
    OnFileBegin(name, size);
    if (!StageFile(baseUrl, name, size, server_.fileHashes[i], swap.PathOf(name) + kStagingSuffix)) {
      swap.DeleteStaging(names);
      // A staging copy that cannot be made is the program folder's fault.
      ShowError(LastResult() == upgrade::DownloadResult::kTempFileFailed ? std::string(kCannotPlace)
                                                                         : name + " 파일을 다운받을 수 없습니다.");
      return false;
    }
    OnFileDone(name, size);
    OnBatchStep(i);
  }
  OnBatchDone(count);
  Disconnect();
  return true;
}

bool CUpdaterChecker::StageFile(const std::string& baseUrl, const std::string& name, uint32_t size,
                                const Sha256Digest& digest, const std::string& staging) {
  // Written straight into the program folder as a new file, so the copy
  // takes the folder's permissions, which a rename from the temporary
  // folder would not (there only the user who upgraded could start the
  // program). The bytes are hashed as they arrive: a copy whose digest is
  // not the listed one is deleted and never counts as staged.
  return DownloadProgramFile(baseUrl, name, size, digest, staging);
}

void CUpdaterChecker::OnFileBegin(const std::string& name, uint32_t size) {
  fw::progress::SetRange(Control(IDC_UP_FILE_BAR), 0, static_cast<int>(size));
  fw::progress::SetPos(Control(IDC_UP_FILE_BAR), 0);
  fw::SetControlText(Control(IDC_UP_FILE_TEXT), name + " 파일 다운로드중 ...");
}

void CUpdaterChecker::OnFileChunk(const std::string&, uint32_t bytes) {
  // Called at most every 50 ms with the bytes since the last call.
  HWND bar = Control(IDC_UP_FILE_BAR);
  if (!bar || bytes == 0) return;
  const int position = static_cast<int>(SendMessageA(bar, PBM_GETPOS, 0, 0));
  fw::progress::SetPos(bar, position + static_cast<int>(bytes));
}

void CUpdaterChecker::OnFileDone(const std::string& name, uint32_t size) {
  fw::progress::SetPos(Control(IDC_UP_FILE_BAR), static_cast<int>(size));
  fw::SetControlText(Control(IDC_UP_FILE_TEXT), name + " 파일 다운로드 완료");
}

void CUpdaterChecker::OnBatchBegin(int count) {
  fw::progress::SetRange(Control(IDC_UP_BATCH_BAR), 0, count);
  fw::progress::SetPos(Control(IDC_UP_BATCH_BAR), 0);
}

void CUpdaterChecker::OnBatchStep(int index) {
  HWND bar = Control(IDC_UP_BATCH_BAR);
  if (!bar) return;
  fw::progress::SetPos(bar, index);
  const int upper = static_cast<int>(SendMessageA(bar, PBM_GETRANGE, FALSE, 0));
  // The trailing blank is part of the line as users know it.
  fw::SetControlText(Control(IDC_UP_COUNT_TEXT),
                     std::to_string(index) + " / " + std::to_string(upper) + " ");
}

void CUpdaterChecker::OnBatchDone(int count) { OnBatchStep(count); }

// ---------------------------------------------------------------------------
// CUpdaterDlg

const fw::MessageEntry<CUpdaterDlg> CUpdaterDlg::kMessages[] = {
    fw::OnMessage(WM_TIMER, &CUpdaterDlg::OnTimer),
    fw::OnMessage(WM_PAINT, &CUpdaterDlg::OnPaint),
    fw::OnMessage(WM_SYSCOMMAND, &CUpdaterDlg::OnSysCommand),
    fw::OnMessage(WM_QUERYDRAGICON, &CUpdaterDlg::OnQueryDragIcon),
    fw::OnCommand(IDOK, &CUpdaterDlg::OnEnter),
    fw::OnCommand(IDCANCEL, &CUpdaterDlg::OnButton2),
};

CUpdaterDlg::CUpdaterDlg() : fw::Dialog(IDD_UPDATER) {}

void CUpdaterDlg::SetTimeLimits(DWORD versionFileDeadlineMs, DWORD stallLimitMs) {
  versionFileDeadlineMs_ = versionFileDeadlineMs;
  stallLimitMs_ = stallLimitMs;
}

bool CUpdaterDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

BOOL CUpdaterDlg::OnInitDialog() {
  icon_ = fw::SetUpProgramWindow(Hwnd(), IDS_UPDATER_ABOUT, IDI_UPDATER);
  ShowWindow(Item(IDC_UP_BATCH_BAR), SW_HIDE);
  armed_ = SetTimer(Hwnd(), kStartTimer, kStartDelayMs, nullptr) != 0;
  return TRUE;
}

INT_PTR CUpdaterDlg::OnTimer(WPARAM wp, LPARAM) {
  if (wp != kStartTimer) return FALSE;
  KillTimer(Hwnd(), kStartTimer);
  // A tick already queued when the cancel question killed the timer must
  // not start the upgrade under the question.
  if (!armed_) return TRUE;
  armed_ = false;
  RunUpgrade();
  return TRUE;
}

void CUpdaterDlg::RunUpgrade() {
  working_ = true;
  const std::string folder = UpdaterFolder();
  const std::string installed = ReadInstalledVersion((folder + "\\version.dat").c_str());
  {
    CUpdaterChecker checker(Hwnd());
    checker.SetTimeLimits(versionFileDeadlineMs_, stallLimitMs_);
    if (checker.DownloadAll(CUpgradeChecker::kAgent, SiteUrl("/spruce"),
                            CUpgradeChecker::kVersionFileName, installed, folder)) {
      ShowWindow(Item(IDC_UP_BATCH_BAR), checker.Server().fileCount >= 2 ? SW_SHOW : SW_HIDE);
      InstallSwap swap(folder);
      if (swap.Apply(checker.FileNames(), checker.Server().version)) {
        RecordVersionInUninstallEntry(folder, checker.Server().version);
      } else {
        const std::string text =
            swap.Stuck().empty() ? kCannotPlace : std::string(kCannotPlace) + "\n" + MixedInstallText(swap.Stuck());
        fw::ShowMessageBox(nullptr, text, CUpgradeChecker::kTitle, MB_OK | MB_ICONERROR);
      }
    }
  }
  SetDlgItemTextA(Hwnd(), IDCANCEL, kDoneCaption);
  finished_ = true;
  working_ = false;
}

void CUpdaterDlg::OnButton2() {
  // While the upgrade runs the button waits: stopping between a file's
  // rename aside and its replacement is what the replacement must never see.
  if (working_) return;
  if (finished_) {
    RestartMainProgram();
    return;
  }
  armed_ = false;
  KillTimer(Hwnd(), kStartTimer);
  if (fw::ShowMessageBox(Hwnd(), "업그레이드 중입니다. 취소 하시겠습니까?", "스프루스 업그레이드",
                         MB_YESNO | MB_ICONQUESTION) == IDYES) {
    RestartMainProgram();
    return;
  }
  armed_ = SetTimer(Hwnd(), kStartTimer, kStartDelayMs, nullptr) != 0;
}

void CUpdaterDlg::RestartMainProgram() {
  const std::string folder = UpdaterFolder();
  // A main program that will not start is passed over: the updater has
  // nothing else to offer, and the files on disk are whole either way.
  ShellExecuteA(nullptr, "open", (folder + "\\Spruce.exe").c_str(), nullptr, folder.c_str(),
                SW_SHOWNORMAL);
  ExitProcess(0);
}

INT_PTR CUpdaterDlg::OnPaint(WPARAM, LPARAM) {
  if (!IsIconic(Hwnd())) return FALSE;  // the default painting
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(Hwnd(), &ps);
  fw::DrawCentredIcon(Hwnd(), dc, icon_);
  EndPaint(Hwnd(), &ps);
  return TRUE;
}

INT_PTR CUpdaterDlg::OnSysCommand(WPARAM wp, LPARAM) {
  if ((wp & 0xFFF0) != fw::kAboutCommand) return FALSE;
  CUpdaterAboutDlg about;
  about.DoModal(Hwnd());
  return TRUE;
}

INT_PTR CUpdaterDlg::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(icon_); }

CUpdaterAboutDlg::CUpdaterAboutDlg() : fw::Dialog(IDD_UPDATER_ABOUT) {}

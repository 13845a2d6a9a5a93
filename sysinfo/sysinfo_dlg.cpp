#include "sysinfo/sysinfo_dlg.h"

#include <clocale>

#include "framework/controls.h"
#include "memory/memory_status.h"
#include "resources/resource.h"
#include "sysinfo/devlist_dlg.h"
#include "sysinfo/korean_time.h"
#include "sysinfo/system_figures.h"
#include "sysinfo/system_probe.h"

namespace {

constexpr COLORREF kBarStart = RGB(83, 190, 12);
constexpr COLORREF kBarEnd = RGB(3, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

void ShowShare(CGradientProgress& bar, int percent) {
  bar.SetPos(percent);
  bar.SetTextColor(percent >= kWhiteTextFromPercent ? kWhite : kBlack);
}

}  // namespace

const fw::MessageEntry<CSysInfoDlg> CSysInfoDlg::kMessages[] = {
    fw::OnMessage(WM_TIMER, &CSysInfoDlg::OnTimer),
    fw::OnCommand(IDC_SYSINFO_DRIVES, &CSysInfoDlg::OnDriveChanged, CBN_SELCHANGE),
    fw::OnCommand(IDC_SYSINFO_DEVICES, &CSysInfoDlg::OnDevices),
};

bool CSysInfoDlg::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

CSysInfoDlg::CSysInfoDlg() : fw::Dialog(IDD_SYSINFO), windows9x_(IsWindows9xLine()) {}

void CSysInfoDlg::StyleBar(CGradientProgress& bar) {
  bar.SetStartColor(kBarStart);
  bar.SetEndColor(kBarEnd);
  bar.SetTextColor(kBlack);
  bar.ShowPercent(true);
}

BOOL CSysInfoDlg::OnInitDialog() {
  fw::SetControlText(Item(IDC_SYSINFO_CPU), ProcessorText(windows9x_));

  physicalBar_.SubclassDlgItem(IDC_SYSINFO_PHYS_BAR, Hwnd());
  virtualBar_.SubclassDlgItem(IDC_SYSINFO_VIRTUAL_BAR, Hwnd());
  for (CGradientProgress* bar : {&physicalBar_, &virtualBar_}) {
    bar->SetRange(0, 100);
    StyleBar(*bar);
  }
  ShowMemory();

  FillDrives();
  diskBar_.SubclassDlgItem(IDC_SYSINFO_DISK_BAR, Hwnd());
  StyleBar(diskBar_);
  OnDriveChanged();

  fw::SetControlText(Item(IDC_SYSINFO_DISPLAY), DisplayAdapterName());
  fw::SetControlText(Item(IDC_SYSINFO_SOUND), SoundDeviceName());
  ShowInstallDate();
  SetTimer(Hwnd(), kMemoryTimer, kMemoryPeriodMs, nullptr);
  return TRUE;
}

INT_PTR CSysInfoDlg::OnTimer(WPARAM wp, LPARAM) {
  if (wp != kMemoryTimer) return FALSE;  // not ours: passed on
  ShowMemory();
  return TRUE;
}

void CSysInfoDlg::ShowMemory() {
  const MemoryFigures m = QueryMemoryFigures();
  fw::SetControlTextIfChanged(Item(IDC_SYSINFO_TOTAL_PHYS), MebibyteText(m.totalPhysical));
  fw::SetControlTextIfChanged(Item(IDC_SYSINFO_AVAIL_PHYS), MebibyteText(m.availablePhysical));
  ShowShare(physicalBar_, AvailablePercent(m.availablePhysical, m.totalPhysical));
  fw::SetControlTextIfChanged(Item(IDC_SYSINFO_TOTAL_VIRTUAL),
                              VirtualMemoryFigureText(m.totalVirtual));
  fw::SetControlTextIfChanged(Item(IDC_SYSINFO_AVAIL_VIRTUAL),
                              VirtualMemoryFigureText(m.availableVirtual));
  ShowShare(virtualBar_, AvailablePercent(m.availableVirtual, m.totalVirtual));
}

void CSysInfoDlg::FillDrives() {
  HWND combo = Item(IDC_SYSINFO_DRIVES);
  for (int index = 0; index < kDriveRootCount; ++index) {
    const std::string root = DriveRoot(index);
    if (!IsFixedDrive(root)) continue;
    const LRESULT item =
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DriveItemText(root).c_str()));
    if (item >= 0) SendMessageA(combo, CB_SETITEMDATA, item, index);
  }
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
}

void CSysInfoDlg::OnDriveChanged() {
  HWND combo = Item(IDC_SYSINFO_DRIVES);
  const LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (selected == CB_ERR) return;
  ShowDisk(static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, selected, 0)));
}

void CSysInfoDlg::ShowDisk(int rootIndex) {
  diskBar_.SetRange(0, 0);
  diskBar_.SetPos(0);
  diskBar_.SetTextColor(kBlack);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_USED), kDiskUsedUnknown);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_FREE), kDiskFreeUnknown);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_TOTAL), kDiskTotalUnknown);

  const std::string root = DriveRoot(rootIndex);
  uint64_t total = 0, free = 0;
  if (!IsFixedDrive(root) || !QueryDiskSpace(root, total, free)) return;
  const DiskFigures f = ComputeDiskFigures(total, free);
  diskBar_.SetRange(0, f.barRange);
  diskBar_.SetPos(f.barPosition);
  diskBar_.SetTextColor(f.whiteText ? kWhite : kBlack);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_USED), f.usedText);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_FREE), f.freeText);
  fw::SetControlText(Item(IDC_SYSINFO_DISK_TOTAL), f.totalText);
}

void CSysInfoDlg::ShowInstallDate() {
  std::tm installed;
  if (!WindowsInstallTime(installed)) {
    fw::SetControlText(Item(IDC_SYSINFO_INSTALL_CAPTION), "");
    fw::SetControlText(Item(IDC_SYSINFO_INSTALL_DATE), "");
    return;
  }
  // The C runtime's locale turns Korean for the rest of the run, as it
  // always has once this dialog has shown a date (the text itself is built
  // without it: see korean_time.h).
  std::setlocale(LC_ALL, "Korean");
  fw::SetControlText(Item(IDC_SYSINFO_INSTALL_CAPTION), "윈도우 설치일자:");
  fw::SetControlText(Item(IDC_SYSINFO_INSTALL_DATE), KoreanDateTime(installed));
}

void CSysInfoDlg::OnDevices() {
  CDevListDlg devices;
  devices.DoModal(Hwnd());
}

// The system-information dialog under Wine, against what the prefix itself
// reports: processor values planted in the registry (and read under Wine's
// win98 version by a probe program), the fixed drives, a zero-sized drive
// made from /sys, the install date, the adapter and sound device, and the
// memory timer.
#include "sysinfo/sysinfo_dlg.h"

#include <gtest/gtest.h>

#include <mmsystem.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "memory/memory_figures.h"
#include "resources/resource.h"
#include "sysinfo/system_figures.h"
#include "tests/support/wine_env.h"

using testing_support::BinFolder;
using testing_support::DeleteKeyTree;
using testing_support::RunProcess;

namespace {

const char kCpuKey[] = "Hardware\\Description\\System\\CentralProcessor\\0";

std::string Text(const fw::Dialog& dialog, int id) { return fw::GetControlText(dialog.Item(id)); }

// Sets processor values for one test and puts the prefix's own back.
class PlantedProcessor {
 public:
  PlantedProcessor() {
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, kCpuKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                    nullptr);
    for (const char* name : {"ProcessorNameString", "VendorIdentifier", "Identifier"}) {
      char data[256] = {};
      DWORD size = sizeof data, type = 0;
      if (RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) ==
          ERROR_SUCCESS)
        saved_.push_back({name, std::string(data, size), type});
    }
  }
  ~PlantedProcessor() {
    for (const char* name : {"ProcessorNameString", "VendorIdentifier", "Identifier"})
      RegDeleteValueA(key_, name);
    for (const Saved& s : saved_)
      RegSetValueExA(key_, s.name, 0, s.type, reinterpret_cast<const BYTE*>(s.data.data()),
                     static_cast<DWORD>(s.data.size()));
    RegCloseKey(key_);
  }
  void Set(const char* name, const std::string& text) {
    RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
  }

 private:
  struct Saved {
    const char* name;
    std::string data;
    DWORD type;
  };
  HKEY key_ = nullptr;
  std::vector<Saved> saved_;
};

// The probe program's lines under a Windows version of Wine's.
std::vector<std::string> ProbeUnder(const char* version) {
  const std::string key = "Software\\Wine\\AppDefaults\\sysinfo_probe.exe";
  HKEY k;
  RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                  nullptr);
  RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                 static_cast<DWORD>(std::strlen(version) + 1));
  RegCloseKey(k);
  std::string out;
  RunProcess("\"" + BinFolder() + "\\sysinfo_probe.exe\"", "", &out);
  DeleteKeyTree(HKEY_CURRENT_USER, key);
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = out.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(out.substr(start, end - start + (out[end - 1] == '\r' ? -1 : 0)));
  return lines;
}

TEST(SysInfoDlg, ProcessorTextIsTrimmedInBothWindowsLines) {
  PlantedProcessor cpu;
  cpu.Set("ProcessorNameString", "   Spruce(R) Test CPU @ 2.40GHz \t ");
  cpu.Set("VendorIdentifier", " GenuineSpruce ");
  cpu.Set("Identifier", "x86 Family 6 Model 15 Stepping 11  ");

  CSysInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_CPU), "Spruce(R) Test CPU @ 2.40GHz");

  const std::vector<std::string> nt = ProbeUnder("winxp");
  ASSERT_GE(nt.size(), 2u);
  EXPECT_EQ(nt[0], "nt");
  EXPECT_EQ(nt[1], "Spruce(R) Test CPU @ 2.40GHz");
  const std::vector<std::string> win98 = ProbeUnder("win98");
  ASSERT_GE(win98.size(), 4u);
  EXPECT_EQ(win98[0], "9x");
  EXPECT_EQ(win98[1], "GenuineSpruce  x86 Family 6 Model 15 Stepping 11");
  // The 95/98/ME memory branch: GlobalMemoryStatus, whose figures Wine caps.
  EXPECT_NE(win98[2].find(" MB"), std::string::npos);
}

struct ComboItem {
  std::string text;
  LRESULT data;
};

std::vector<ComboItem> Drives(const fw::Dialog& dialog) {
  HWND combo = dialog.Item(IDC_SYSINFO_DRIVES);
  std::vector<ComboItem> items;
  for (LRESULT i = 0, n = SendMessageA(combo, CB_GETCOUNT, 0, 0); i < n; ++i) {
    char text[64] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back({text, SendMessageA(combo, CB_GETITEMDATA, i, 0)});
  }
  return items;
}

void SelectDrive(const fw::Dialog& dialog, int item) {
  SendMessageA(dialog.Item(IDC_SYSINFO_DRIVES), CB_SETCURSEL, item, 0);
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_SYSINFO_DRIVES, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(dialog.Item(IDC_SYSINFO_DRIVES)));
}

std::pair<int, int> BarRange(const fw::Dialog& dialog, int id) {
  PBRANGE range = {};
  SendMessageA(dialog.Item(id), PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
  return {range.iLow, range.iHigh};
}

int BarPos(const fw::Dialog& dialog, int id) {
  return static_cast<int>(SendMessageA(dialog.Item(id), PBM_GETPOS, 0, 0));
}

TEST(SysInfoDlg, ListsThePrefixsFixedDrivesAndShowsTheFirst) {
  std::vector<ComboItem> expected;
  for (char letter = 'c'; letter <= 'z'; ++letter) {
    const std::string root = std::string(1, letter) + ":\\";
    if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED)
      expected.push_back(
          {std::string(" ") + static_cast<char>(letter - 'a' + 'A') + " 드라이브", letter - 'c'});
  }
  ASSERT_FALSE(expected.empty());  // c: and z: at least

  CSysInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  const std::vector<ComboItem> items = Drives(dialog);
  ASSERT_EQ(items.size(), expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(items[i].text, expected[i].text);
    EXPECT_EQ(items[i].data, expected[i].data);
  }
  EXPECT_EQ(SendMessageA(dialog.Item(IDC_SYSINFO_DRIVES), CB_GETCURSEL, 0, 0), 0);

  // The first drive's texts and bar, from its space as the system gives it.
  // Other programs write to that drive meanwhile: the free space may move a
  // little between the dialog's query and this one, its total may not.
  const std::string root = std::string(1, static_cast<char>('c' + items[0].data)) + ":\\";
  ULARGE_INTEGER caller, total, free;
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &caller, &total, &free));
  const DiskFigures f = ComputeDiskFigures(total.QuadPart, free.QuadPart);
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_TOTAL), f.totalText);
  EXPECT_EQ(BarRange(dialog, IDC_SYSINFO_DISK_BAR), std::make_pair(0, f.barRange));
  EXPECT_NEAR(BarPos(dialog, IDC_SYSINFO_DISK_BAR), f.barPosition, 256);
  const std::string used = "사용중인 용량 : ", left = "남은 용량 : ";
  const std::string usedText = Text(dialog, IDC_SYSINFO_DISK_USED);
  const std::string freeText = Text(dialog, IDC_SYSINFO_DISK_FREE);
  ASSERT_EQ(usedText.compare(0, used.size(), used), 0) << usedText;
  ASSERT_EQ(freeText.compare(0, left.size(), left), 0) << freeText;
  EXPECT_EQ(usedText.substr(usedText.size() - 3), " GB");
  const long long usedGb = std::stoll(usedText.substr(used.size()));
  const long long freeGb = std::stoll(freeText.substr(left.size()));
  EXPECT_NEAR(static_cast<double>(usedGb),
              static_cast<double>((total.QuadPart - free.QuadPart) >> 30), 1);
  EXPECT_NEAR(static_cast<double>(usedGb + freeGb), static_cast<double>(total.QuadPart >> 30), 1);
  EXPECT_FALSE(IsWindowVisible(dialog.Item(IDC_SYSINFO_DEVICES)));
}

// A drive letter for /sys, which Wine reports as a fixed drive of size 0;
// made through the prefix's dosdevices folder and removed again.
class ZeroSizedDrive {
 public:
  ZeroSizedDrive() {
    char prefix[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH)) return;
    for (char letter = 'y'; letter > 'd'; --letter) {
      const std::string root = std::string(1, letter) + ":\\";
      if (GetDriveTypeA(root.c_str()) != DRIVE_NO_ROOT_DIR) continue;
      link_ = std::string(prefix) + "/dosdevices/" + letter + ":";
      RunProcess("/bin/ln -sfn /sys \"" + link_ + "\"", "");
      // The system reads the drive table again after about a second.
      for (int i = 0; i < 50 && GetDriveTypeA(root.c_str()) != DRIVE_FIXED; ++i) Sleep(100);
      if (GetDriveTypeA(root.c_str()) == DRIVE_FIXED) letter_ = letter;
      return;
    }
  }
  ~ZeroSizedDrive() {
    if (!link_.empty()) RunProcess("/bin/rm -f \"" + link_ + "\"", "");
  }
  char Letter() const { return letter_; }

 private:
  std::string link_;
  char letter_ = 0;
};

TEST(SysInfoDlg, AZeroSizedDriveShowsZerosWithoutDividingByZero) {
  ZeroSizedDrive zero;
  ASSERT_NE(zero.Letter(), 0) << "no drive letter could be made for /sys";
  ULARGE_INTEGER caller, total, free;
  const std::string root = std::string(1, zero.Letter()) + ":\\";
  ASSERT_TRUE(GetDiskFreeSpaceExA(root.c_str(), &caller, &total, &free));
  ASSERT_EQ(total.QuadPart, 0u);

  CSysInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  const std::vector<ComboItem> items = Drives(dialog);
  int item = -1;
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].data == zero.Letter() - 'c') item = static_cast<int>(i);
  ASSERT_GE(item, 0);
  SelectDrive(dialog, item);
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_USED), "사용중인 용량 : 0 GB");
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_FREE), "남은 용량 : 0 GB");
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_TOTAL), "전체 용량 : 0 GB");
  EXPECT_EQ(BarRange(dialog, IDC_SYSINFO_DISK_BAR), std::make_pair(0, 0));
  EXPECT_EQ(BarPos(dialog, IDC_SYSINFO_DISK_BAR), 0);

  // A drive that is gone by the time it is chosen shows the unreadable texts.
  SendMessageA(dialog.Item(IDC_SYSINFO_DRIVES), CB_SETITEMDATA, item, 'x' - 'c');
  SelectDrive(dialog, item);
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_USED), "사용중인 용량 : 읽을수 없음");
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_FREE), "남은 용량 : 읽을수 없음");
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISK_TOTAL), "전체 용량 : 읽을수 없음");
}

TEST(SysInfoDlg, InstallDateInKoreanAndTheDevicesAsTheSystemReportsThem) {
  // The date is the creation time of the system folder the system reports
  // (the 95/98/ME line has no "system32").
  char system[MAX_PATH];
  ASSERT_GT(GetSystemDirectoryA(system, MAX_PATH), 0u);
  WIN32_FILE_ATTRIBUTE_DATA attributes;
  ASSERT_TRUE(GetFileAttributesExA(system, GetFileExInfoStandard, &attributes));
  FILETIME local;
  SYSTEMTIME t;
  FileTimeToLocalFileTime(&attributes.ftCreationTime, &local);
  FileTimeToSystemTime(&local, &t);
  // The same instant in the system's own Korean formats (Wine's Korean
  // locale says "AM"/"PM" for the marker, so that part is checked by hand).
  const LCID korean = MAKELCID(MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT), SORT_DEFAULT);
  char date[64] = {}, clock[64] = {};
  GetDateFormatA(korean, 0, &t, "yyyy'년' MM'월' dd'일' dddd", date, sizeof date);
  GetTimeFormatA(korean, 0, &t, "hh:mm:ss", clock, sizeof clock);
  const std::string marker = t.wHour < 12 ? "오전 " : "오후 ";
  const std::string installed = std::string(date) + " " + marker + clock;

  // Wine reports the same system folder to a program it tells it runs on
  // Windows 98: the date is found on that line too.
  const std::vector<std::string> win98 = ProbeUnder("win98");
  ASSERT_GE(win98.size(), 5u);
  EXPECT_EQ(win98[0], "9x");
  EXPECT_EQ(win98[4], installed);

  CSysInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_INSTALL_CAPTION), "윈도우 설치일자:");
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_INSTALL_DATE), installed);

  DISPLAY_DEVICEA adapter = {};
  adapter.cb = sizeof adapter;
  ASSERT_TRUE(EnumDisplayDevicesA(nullptr, 0, &adapter, 0));
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_DISPLAY), adapter.DeviceString);
  WAVEOUTCAPSA caps = {};
  const bool sound =
      waveOutGetNumDevs() > 0 && waveOutGetDevCapsA(0, &caps, sizeof caps) == MMSYSERR_NOERROR;
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_SOUND), sound ? std::string(caps.szPname) : std::string());
}

TEST(SysInfoDlg, TimerZeroRefreshesTheMemoryAndOtherTimersAreNotOurs) {
  CSysInfoDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  MEMORYSTATUSEX m = {};
  m.dwLength = sizeof m;
  ASSERT_TRUE(GlobalMemoryStatusEx(&m));
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_TOTAL_PHYS), MebibyteText(m.ullTotalPhys));
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_TOTAL_VIRTUAL), VirtualMemoryFigureText(m.ullTotalVirtual));
  const int share = BarPos(dialog, IDC_SYSINFO_PHYS_BAR);
  EXPECT_GE(share, 0);
  EXPECT_LE(share, 100);
  EXPECT_EQ(BarRange(dialog, IDC_SYSINFO_PHYS_BAR), std::make_pair(0, 100));

  fw::SetControlText(dialog.Item(IDC_SYSINFO_TOTAL_PHYS), "stale");
  SendMessageA(dialog.Hwnd(), WM_TIMER, 7, 0);
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_TOTAL_PHYS), "stale");
  SendMessageA(dialog.Hwnd(), WM_TIMER, CSysInfoDlg::kMemoryTimer, 0);
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_TOTAL_PHYS), MebibyteText(m.ullTotalPhys));
  // And the window timer itself runs: the label is refreshed within seconds.
  fw::SetControlText(dialog.Item(IDC_SYSINFO_TOTAL_PHYS), "stale");
  MSG msg;
  for (DWORD start = GetTickCount();
       GetTickCount() - start < 3000 && Text(dialog, IDC_SYSINFO_TOTAL_PHYS) == "stale";) {
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    Sleep(20);
  }
  EXPECT_EQ(Text(dialog, IDC_SYSINFO_TOTAL_PHYS), MebibyteText(m.ullTotalPhys));
}

}  // namespace

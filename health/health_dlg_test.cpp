// The disk-health and temperature dialogs under Wine, over emulated ATA
// drives (which also check every request the reader makes) and over the
// system's own drive commands, which under Wine answer no S.M.A.R.T. command.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "framework/controls.h"
#include "health/emulated_ata_drive.h"
#include "health/hdd_temp_dlg.h"
#include "health/smart_dlg.h"
#include "health/system_drive_commands.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

using namespace smart;

namespace {

const char kNoTemperature[] = "이 하드디스크는\r\n온도측정을 지원하지 않는\r\n하드입니다.";

std::string Text(const fw::Dialog& d, int id) { return fw::GetControlText(d.Item(id)); }

std::vector<std::string> ComboItems(const fw::Dialog& d) {
  HWND combo = d.Item(IDC_DRIVES);
  std::vector<std::string> items;
  for (int i = 0, n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0)); i < n; ++i) {
    char text[256] = {};
    SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
    items.push_back(text);
  }
  return items;
}

int Selection(const fw::Dialog& d) {
  return static_cast<int>(SendMessageA(d.Item(IDC_DRIVES), CB_GETCURSEL, 0, 0));
}

// Picks item index of the combo box as a user does.
void Pick(const fw::Dialog& d, int index) {
  HWND combo = d.Item(IDC_DRIVES);
  SendMessageA(combo, CB_SETCURSEL, index, 0);
  SendMessageA(d.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DRIVES, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo));
}

std::vector<std::string> Row(const fw::Dialog& d, int row) {
  std::vector<std::string> cells;
  for (int column = 0; column < 8; ++column) cells.push_back(fw::list::Text(d.Item(IDC_LIST), row, column));
  return cells;
}

// Pixels of the control's window on the screen in roughly the colour given
// (text edges are smoothed, the middle of bold strokes is not).
int InkPixels(HWND control, COLORREF colour) {
  testing_support::PumpFor(50);
  RECT r;
  GetClientRect(control, &r);
  fw::WindowDc dc(control);
  int n = 0;
  for (int y = 0; y < r.bottom; ++y)
    for (int x = 0; x < r.right; ++x) {
      const COLORREF p = GetPixel(dc.Get(), x, y);
      n += std::abs(GetRValue(p) - GetRValue(colour)) < 40 &&
           std::abs(GetGValue(p) - GetGValue(colour)) < 40 &&
           std::abs(GetBValue(p) - GetBValue(colour)) < 40;
    }
  return n;
}

class HealthDialogs : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(drives.Violations(), std::vector<std::string>{});
    EXPECT_EQ(drives.OpenHandles(), 0);
  }
  EmulatedAtaDrives drives;
  SmartReader reader{drives, PlatformFamily::kNt};
};

TEST_F(HealthDialogs, SmartListsTheOnlyDriveWithColumnsRowsAndVerdict) {
  drives.Attach(1, WornDisk());
  CSmartDlg dialog(reader);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  EXPECT_EQ(ComboItems(dialog), std::vector<std::string>{"Maxtor 6Y120P0 (120GB)"});
  EXPECT_EQ(Selection(dialog), 0);
  EXPECT_EQ(SendMessageA(dialog.Item(IDC_DRIVES), CB_GETITEMDATA, 0, 0), 1);

  HWND list = dialog.Item(IDC_LIST);
  const char* headers[] = {"ID", "속성", "Current", "Worst", "Threshold", "Data", "상태", "RawValue"};
  const int widths[] = {50, 200, 80, 80, 80, 80, 80, 140};
  for (int i = 0; i < 8; ++i) {
    char text[64] = {};
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = text;
    column.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, i, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(text, headers[i]);
    EXPECT_EQ(column.cx, widths[i]);
  }
  EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);

  ASSERT_EQ(fw::list::Count(list), 18);
  EXPECT_EQ(Row(dialog, 0), (std::vector<std::string>{"3", "Spin Up Time", "221", "219", "63",
                                                       "15389", "OK", "1D 3C 00 00 00 00 "}));
  EXPECT_EQ(Row(dialog, 2), (std::vector<std::string>{"5", "Reallocated Sector Ct", "63", "63",
                                                       "63", "1297", "Failed", "11 05 00 00 00 00 "}));
  EXPECT_EQ(Row(dialog, 11)[0], "194");
  EXPECT_EQ(Row(dialog, 11)[6], "OK");
  EXPECT_TRUE(dialog.Failed());
  EXPECT_EQ(Text(dialog, IDC_VERDICT), "점검이 필요한 상태");
  EXPECT_GT(InkPixels(dialog.Item(IDC_VERDICT), RGB(0, 0, 255)), 10) << "the verdict is blue";
  // Opening probes each drive and reads the first one: one enable, no more.
  const auto& log = drives.Log();
  EXPECT_EQ(std::count(log.begin(), log.end(), "enable"), 1);
}

TEST_F(HealthDialogs, SmartSaysNothingWithoutAReading) {
  drives.Attach(0, HealthyDisk());
  EmulatedDisk unreadable = WornDisk();
  unreadable.failing = {Step::kReadThresholds};
  drives.Attach(2, unreadable);
  CSmartDlg dialog(reader);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  ASSERT_EQ(ComboItems(dialog),
            (std::vector<std::string>{"ST380011A (80GB)", "Maxtor 6Y120P0 (120GB)"}));
  EXPECT_EQ(fw::list::Count(dialog.Item(IDC_LIST)), 15);
  EXPECT_EQ(Text(dialog, IDC_VERDICT), "정상");
  EXPECT_FALSE(dialog.Failed());

  // The second item is drive 2, whose read fails: no rows and no verdict,
  // not the first drive's "정상".
  Pick(dialog, 1);
  EXPECT_EQ(fw::list::Count(dialog.Item(IDC_LIST)), 0);
  EXPECT_EQ(Text(dialog, IDC_VERDICT), "");
  Pick(dialog, 0);
  EXPECT_EQ(fw::list::Count(dialog.Item(IDC_LIST)), 15);
  EXPECT_EQ(Text(dialog, IDC_VERDICT), "정상");

  // A drive that reads but reports no attribute has nothing that failed.
  drives.Disk(0)->sectors = SmartSectors();
  Pick(dialog, 0);
  EXPECT_EQ(fw::list::Count(dialog.Item(IDC_LIST)), 0);
  EXPECT_EQ(Text(dialog, IDC_VERDICT), "정상");

  // A selection change that leaves nothing selected does nothing.
  SendMessageA(dialog.Item(IDC_DRIVES), CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
  drives.ClearLog();
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DRIVES, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(dialog.Item(IDC_DRIVES)));
  EXPECT_TRUE(drives.Log().empty());
}

TEST_F(HealthDialogs, TemperatureShowsRawByteZeroLargeAndGoesBackWithoutAReading) {
  drives.Attach(0, HealthyDisk());  // raw bytes 26 00 12 00 33 00
  EmulatedDisk noSensor = HealthyDisk();
  noSensor.model = "IC35L060AVV207-0";
  noSensor.sectors = BuildSectors({{9, 0x0012, 99, 99, 0, 4000}, {231, 0x0022, 41, 41, 0, 41}});
  drives.Attach(1, noSensor);
  EmulatedDisk unreadable = WornDisk();
  unreadable.failing = {Step::kEnable};
  drives.Attach(3, unreadable);

  CHddTempDlg dialog(reader);
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  ASSERT_EQ(ComboItems(dialog).size(), 3u);
  EXPECT_EQ(Selection(dialog), 0);
  EXPECT_EQ(Text(dialog, IDC_TEMPERATURE), "38 도");
  EXPECT_GT(InkPixels(dialog.Item(IDC_TEMPERATURE), RGB(0, 0, 0)), 100) << "large black type";
  const int largeInk = InkPixels(dialog.Item(IDC_TEMPERATURE), RGB(0, 0, 0));

  // Id 231 is no temperature for this dialog: the red template text again,
  // in the template's font.
  Pick(dialog, 1);
  EXPECT_EQ(Text(dialog, IDC_TEMPERATURE), kNoTemperature);
  EXPECT_GT(InkPixels(dialog.Item(IDC_TEMPERATURE), RGB(255, 0, 0)), 10) << "red";
  EXPECT_LT(InkPixels(dialog.Item(IDC_TEMPERATURE), RGB(0, 0, 0)), largeInk / 4);

  Pick(dialog, 0);
  EXPECT_EQ(Text(dialog, IDC_TEMPERATURE), "38 도");
  Pick(dialog, 2);  // drive 3 cannot be read
  EXPECT_EQ(Text(dialog, IDC_TEMPERATURE), kNoTemperature);

  // The thermometer: sized to its 86 x 75 picture, drawn by the button.
  RECT r;
  GetWindowRect(dialog.Item(IDC_THERMOMETER), &r);
  EXPECT_EQ(r.right - r.left, 86);
  EXPECT_EQ(r.bottom - r.top, 75);
  EXPECT_EQ(GetWindowLongPtrA(dialog.Item(IDC_THERMOMETER), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  // Clicking it changes nothing.
  SendMessageA(dialog.Item(IDC_THERMOMETER), BM_CLICK, 0, 0);
  EXPECT_EQ(Text(dialog, IDC_TEMPERATURE), kNoTemperature);
  EXPECT_TRUE(IsWindow(dialog.Hwnd()));
}

TEST_F(HealthDialogs, BothCloseWithButtonTwoEscapeAndTheCloseBox) {
  drives.Attach(0, HealthyDisk());
  for (int way = 0; way < 3; ++way) {
    CSmartDlg smartDialog(reader);
    CHddTempDlg temperatureDialog(reader);
    for (fw::Dialog* dialog : {static_cast<fw::Dialog*>(&smartDialog),
                               static_cast<fw::Dialog*>(&temperatureDialog)}) {
      ASSERT_TRUE(dialog->CreateModeless(nullptr));
      HWND hwnd = dialog->Hwnd();
      if (way == 0) {
        SendMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(dialog->Item(IDCANCEL)));
      } else if (way == 1) {
        MSG escape = {};
        escape.hwnd = hwnd;
        escape.message = WM_KEYDOWN;
        escape.wParam = VK_ESCAPE;
        EXPECT_TRUE(IsDialogMessageA(hwnd, &escape));
      } else {
        // The close box: the dialog manager posts IDCANCEL.
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        testing_support::PumpUntil([&] { return !IsWindow(hwnd); }, 5000);
      }
      EXPECT_FALSE(IsWindow(hwnd)) << "way " << way;
    }
  }
}

// Wine's disks open but answer no S.M.A.R.T. command: no drive is offered,
// nothing is read, nothing claims the disk is healthy.
TEST(HealthDialogsOnWine, TheSystemDrivesOfferNothingAndTheDialogsSaySo) {
  const SmartReader system(SystemDriveCommands(), CurrentPlatformFamily());
  CSmartDlg smartDialog(system);
  ASSERT_TRUE(smartDialog.CreateModeless(nullptr));
  EXPECT_TRUE(ComboItems(smartDialog).empty());
  EXPECT_EQ(Selection(smartDialog), CB_ERR);
  EXPECT_EQ(fw::list::Count(smartDialog.Item(IDC_LIST)), 0);
  EXPECT_EQ(Text(smartDialog, IDC_VERDICT), "");

  CHddTempDlg temperatureDialog(system);
  ASSERT_TRUE(temperatureDialog.CreateModeless(nullptr));
  EXPECT_TRUE(ComboItems(temperatureDialog).empty());
  EXPECT_EQ(Text(temperatureDialog, IDC_TEMPERATURE), kNoTemperature);
  EXPECT_GT(InkPixels(temperatureDialog.Item(IDC_TEMPERATURE), RGB(255, 0, 0)), 10);

  // The tools open their dialogs over the system's drives unless a program
  // put others in place.
  EXPECT_EQ(&DriveCommandsInUse(), &SystemDriveCommands());
  EmulatedAtaDrives emulated;
  UseDriveCommands(&emulated);
  EXPECT_EQ(&DriveCommandsInUse(), &emulated);
  UseDriveCommands(nullptr);
  EXPECT_EQ(&DriveCommandsInUse(), &SystemDriveCommands());
}

}  // namespace

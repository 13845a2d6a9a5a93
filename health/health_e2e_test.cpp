// The disk-health tools driven from the main window like a user would: in
// SpruceDemo.exe, whose emulated drives stand in for the disks Wine cannot
// read, and in the shipped Spruce.exe, which under Wine finds no drive.
#include <gtest/gtest.h>

#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kSmartTitle[] = "하드디스크 상태점검";
const char kTemperatureTitle[] = "하드디스크 온도";
const char kNoTemperature[] = "이 하드디스크는\r\n온도측정을 지원하지 않는\r\n하드입니다.";

HWND StartDemo(driver::Process& process, const std::string& folder) {
  if (!process.Start("\"" + BinFolder() + "\\SpruceDemo.exe\"", folder,
                     {"SPRUCE_SITE=http://127.0.0.1:9"}))
    return nullptr;
  return driver::WaitForWindow(e2e::kMainTitle, process.Id(), 120000);
}

HWND OpenTool(HWND main, int button, const char* title, DWORD pid) {
  driver::Click(main, button);
  return driver::WaitForWindow(title, pid, 30000);
}

void CloseTool(HWND dialog) {
  driver::Click(dialog, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(dialog, 30000));
}

bool Contains(const std::string& bytes, const std::string& text) {
  return bytes.find(text) != std::string::npos;
}

TEST(HealthEndToEnd, DemoDrivesShowAttributesVerdictsAndTemperatures) {
  TempFolder folder("e2e-health");
  driver::Process spruce;
  HWND main = StartDemo(spruce, folder.Path());
  ASSERT_NE(main, nullptr);

  HWND smart = OpenTool(main, IDC_BTN_SMART, kSmartTitle, spruce.Id());
  ASSERT_NE(smart, nullptr);
  EXPECT_EQ(driver::ComboItems(smart, IDC_DRIVES),
            (std::vector<std::string>{"ST380011A (80GB)", "Maxtor 6Y120P0 (120GB)"}));
  EXPECT_EQ(driver::ComboSelection(smart, IDC_DRIVES), 0);
  HWND list = GetDlgItem(smart, IDC_LIST);
  std::vector<driver::ListRow> rows = driver::ReadList(list, 8);
  ASSERT_EQ(rows.size(), 15u);
  EXPECT_EQ(rows[0].cells, (std::vector<std::string>{"1", "Raw Read Error Rate", "58", "52", "6",
                                                      "188352814", "OK", "2E 09 3A 0B 00 00 "}));
  EXPECT_EQ(rows[8].cells[1], "Temperature Celsius");
  EXPECT_EQ(rows[8].cells[5], "1179686");  // raw bytes 0..3: 26 00 12 00
  EXPECT_EQ(driver::ControlText(smart, IDC_VERDICT), "정상");
  e2e::KeepScreenshot(smart, "readme-smart");

  driver::SelectComboItem(smart, IDC_DRIVES, 1);
  EXPECT_TRUE(driver::WaitForControlText(smart, IDC_VERDICT, "점검이 필요한 상태", 10000));
  rows = driver::ReadList(list, 8);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows[2].cells[6], "Failed");
  e2e::KeepScreenshot(smart, "smart-worn-drive");
  CloseTool(smart);

  HWND temperature = OpenTool(main, IDC_BTN_TEMPERATURE, kTemperatureTitle, spruce.Id());
  ASSERT_NE(temperature, nullptr);
  EXPECT_EQ(driver::ComboItems(temperature, IDC_DRIVES).size(), 2u);
  EXPECT_EQ(driver::ControlText(temperature, IDC_TEMPERATURE), "38 도");
  e2e::KeepScreenshot(temperature, "readme-hddtemp");
  driver::SelectComboItem(temperature, IDC_DRIVES, 1);
  EXPECT_TRUE(driver::WaitForControlText(temperature, IDC_TEMPERATURE, "45 도", 10000));
  CloseTool(temperature);

  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
}

TEST(HealthEndToEnd, ShippedProgramFindsNoDriveUnderWineAndClaimsNothing) {
  // The emulated drives are not in the shipped program at all.
  const std::string shipped = ReadFileBytes(BinFolder() + "\\Spruce.exe");
  const std::string demo = ReadFileBytes(BinFolder() + "\\SpruceDemo.exe");
  ASSERT_FALSE(shipped.empty());
  EXPECT_TRUE(Contains(demo, "Maxtor 6Y120P0"));
  EXPECT_FALSE(Contains(shipped, "Maxtor 6Y120P0"));
  EXPECT_FALSE(Contains(shipped, "ST380011A"));

  TempFolder folder("e2e-health-real");
  driver::Process spruce;
  HWND main = e2e::StartSpruce(spruce, folder.Path());
  ASSERT_NE(main, nullptr);

  HWND smart = OpenTool(main, IDC_BTN_SMART, kSmartTitle, spruce.Id());
  ASSERT_NE(smart, nullptr);
  EXPECT_TRUE(driver::ComboItems(smart, IDC_DRIVES).empty());
  EXPECT_EQ(driver::ComboSelection(smart, IDC_DRIVES), -1);
  EXPECT_TRUE(driver::ReadList(GetDlgItem(smart, IDC_LIST), 8).empty());
  EXPECT_EQ(driver::ControlText(smart, IDC_VERDICT), "");
  e2e::KeepScreenshot(smart, "smart-no-drive");
  CloseTool(smart);

  HWND temperature = OpenTool(main, IDC_BTN_TEMPERATURE, kTemperatureTitle, spruce.Id());
  ASSERT_NE(temperature, nullptr);
  EXPECT_TRUE(driver::ComboItems(temperature, IDC_DRIVES).empty());
  EXPECT_EQ(driver::ControlText(temperature, IDC_TEMPERATURE), kNoTemperature);
  e2e::KeepScreenshot(temperature, "hddtemp-no-drive");
  CloseTool(temperature);

  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
}

}  // namespace

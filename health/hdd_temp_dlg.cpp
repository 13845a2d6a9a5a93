#include "health/hdd_temp_dlg.h"

#include <cstring>

#include "framework/controls.h"
#include "framework/font.h"
#include "resources/resource.h"

namespace {

constexpr COLORREF kNoTemperatureColour = RGB(255, 0, 0);
constexpr COLORREF kTemperatureColour = RGB(0, 0, 0);
constexpr COLORREF kPictureBackground = RGB(255, 255, 255);

// The large type of a reading: 40 pixels high, bold, "MS Shell Dlg 2".
LOGFONTA DisplayFont() {
  LOGFONTA font = {};
  font.lfHeight = 40;
  font.lfWeight = FW_BOLD;
  std::strcpy(font.lfFaceName, "MS Shell Dlg 2");
  return font;
}

}  // namespace

CHddTempDlg::CHddTempDlg(const smart::SmartReader& reader) : CDriveDialog(IDD_HDDTEMP, reader) {}

BOOL CHddTempDlg::OnInitDialog() {
  boldFont_ = fw::SetBoldCaption(Hwnd(), IDC_TITLE);

  templateText_ = fw::GetControlText(Item(IDC_TEMPERATURE));
  temperature_.SubclassDlgItem(IDC_TEMPERATURE, Hwnd());
  templateFont_ = temperature_.FontRecord();
  temperature_.SetTextColor(kNoTemperatureColour);

  // The button owns the bitmap from here on (and deletes it); the dialog
  // keeps no handle to it.
  thermometer_.SubclassDlgItem(IDC_THERMOMETER, Hwnd());
  thermometer_.SetBitmaps(
      LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDB_THERMOMETER)), kPictureBackground);
  thermometer_.SizeToContent();
  thermometer_.DrawBorder(false, false);
  thermometer_.SetPressedStyle(CImageButton::kPressedNone, true);

  FillDrives();
  return TRUE;
}

void CHddTempDlg::ShowDrive(int drive) {
  smart::SmartSectors sectors;
  std::optional<int> celsius;
  if (Reader().ReadSmartData(drive, &sectors)) celsius = smart::SmartTemperature(sectors.values);
  // Without a reading the previous drive's temperature would be shown as
  // this drive's.
  if (!celsius) {
    ShowNoTemperature();
    return;
  }
  temperature_.SetFont(DisplayFont());
  temperature_.SetTextColor(kTemperatureColour);
  temperature_.SetText(std::to_string(*celsius) + " 도");
}

void CHddTempDlg::ShowNoTemperature() {
  temperature_.SetFont(templateFont_);
  temperature_.SetTextColor(kNoTemperatureColour);
  temperature_.SetText(templateText_);
}

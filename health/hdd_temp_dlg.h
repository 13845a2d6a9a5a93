// The disk-temperature dialog ("하드디스크 온도", template 113): the drives the
// reader offers in a combo box and the chosen drive's temperature in large
// type beside a thermometer picture. A drive without a temperature reading
// shows the template's red text saying it cannot measure one. All work runs
// on the UI thread, when the dialog opens and whenever another drive is
// picked.
#pragma once
#include <windows.h>

#include <string>

#include "framework/raii.h"
#include "health/drive_dialog.h"
#include "widgets/color_label.h"
#include "widgets/image_button.h"

class CHddTempDlg : public CDriveDialog {
 public:
  explicit CHddTempDlg(const smart::SmartReader& reader);

 protected:
  BOOL OnInitDialog() override;

 private:
  // The drive's temperature, or the template text when it has none or
  // cannot be read.
  void ShowDrive(int drive) override;
  void ShowNoTemperature();

  fw::Font boldFont_;
  CColorLabel temperature_;
  // Owns the thermometer bitmap.
  CImageButton thermometer_;
  // The label as the template made it, to go back to.
  std::string templateText_;
  LOGFONTA templateFont_ = {};
};

// The disk-health dialog ("하드디스크 상태점검", template 111): the drives the
// reader offers in a combo box, every S.M.A.R.T. attribute of the chosen one
// with its verdict, and the drive's overall verdict. All work runs on the UI
// thread, when the dialog opens and whenever another drive is picked.
#pragma once
#include <windows.h>

#include "framework/raii.h"
#include "health/drive_dialog.h"
#include "widgets/color_label.h"

class CSmartDlg : public CDriveDialog {
 public:
  explicit CSmartDlg(const smart::SmartReader& reader);

  // True when the drive shown last has at least one "Failed" attribute.
  bool Failed() const { return failed_; }

 protected:
  BOOL OnInitDialog() override;

 private:
  // Lists drive's attributes and shows its verdict; a drive that cannot be
  // read leaves the list and the verdict empty.
  void ShowDrive(int drive) override;

  fw::Font boldFont_;
  CColorLabel verdict_;
  bool failed_ = false;
};

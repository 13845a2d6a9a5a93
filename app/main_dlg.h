// The main window: one button per tool.
#pragma once
#include "framework/dialog.h"

class CMainDlg : public fw::Dialog {
 public:
  CMainDlg();

 protected:
  BOOL OnInitDialog() override;
  void OnOK() override {}  // Enter does nothing
};

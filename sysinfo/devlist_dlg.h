// CDevListDlg (181): the device list. Its list shows the columns of a device
// inventory and stays empty: no device enumeration exists. It opens only from
// the system-information dialog's hidden "장치검색(&S)" button.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "framework/raii.h"

class CDevListDlg : public fw::Dialog {
 public:
  static constexpr const char* kTitle = "장치리스트";
  CDevListDlg();

 protected:
  BOOL OnInitDialog() override;

 private:
  fw::Font boldFont_;
};

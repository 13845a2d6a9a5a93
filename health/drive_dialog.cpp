#include "health/drive_dialog.h"

#include <string>

#include "resources/resource.h"

const fw::MessageEntry<CDriveDialog> CDriveDialog::kMessages[] = {
    fw::OnCommand(IDC_DRIVES, &CDriveDialog::OnDriveSelected, CBN_SELCHANGE),
};

bool CDriveDialog::HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) {
  return Dispatch(*this, kMessages, msg, wp, lp, result);
}

void CDriveDialog::FillDrives() {
  HWND combo = Item(IDC_DRIVES);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  int first = -1;
  for (int drive = 0; drive < smart::kDriveCount; ++drive) {
    std::string caption;
    if (!reader_.EnumerateSmartDrive(drive, &caption)) continue;
    const LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    if (item < 0) continue;  // out of memory: the drive is not offered
    SendMessageA(combo, CB_SETITEMDATA, item, drive);
    if (first < 0) first = drive;
  }
  if (first < 0) return;
  SendMessageA(combo, CB_SETCURSEL, 0, 0);
  ShowDrive(first);
}

void CDriveDialog::OnDriveSelected() {
  HWND combo = Item(IDC_DRIVES);
  const LRESULT item = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return;
  const LRESULT drive = SendMessageA(combo, CB_GETITEMDATA, item, 0);
  if (drive != CB_ERR) ShowDrive(static_cast<int>(drive));
}

#include "health/drive_list.h"

#include <string>

namespace smart {

int FillDriveCombo(HWND combo, const SmartReader& reader) {
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  int first = -1;
  for (int drive = 0; drive < kDriveCount; ++drive) {
    std::string caption;
    if (!reader.EnumerateSmartDrive(drive, &caption)) continue;
    const LRESULT item = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(caption.c_str()));
    if (item < 0) continue;  // out of memory: the drive is not offered
    SendMessageA(combo, CB_SETITEMDATA, item, drive);
    if (first < 0) first = drive;
  }
  if (first >= 0) SendMessageA(combo, CB_SETCURSEL, 0, 0);
  return first;
}

int SelectedDrive(HWND combo) {
  const LRESULT item = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (item == CB_ERR) return -1;
  const LRESULT drive = SendMessageA(combo, CB_GETITEMDATA, item, 0);
  return drive == CB_ERR ? -1 : static_cast<int>(drive);
}

}  // namespace smart

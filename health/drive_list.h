// The drive combo box both disk-health dialogs fill when they open.
#pragma once
#include <windows.h>

#include "health/smart_reader.h"

namespace smart {

// Empties combo, then appends the caption of every drive 0..3 that the
// reader offers, in that order, each item carrying its drive number, and
// selects the first item. Returns the first drive added, or -1 when no drive
// was offered (nothing is selected then).
int FillDriveCombo(HWND combo, const SmartReader& reader);

// The drive number of combo's selected item, or -1 when nothing is selected.
int SelectedDrive(HWND combo);

}  // namespace smart

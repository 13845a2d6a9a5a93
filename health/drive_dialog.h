// Base of the two disk-health dialogs: the drive combo box (control 1013),
// filled from the reader when the dialog opens, and the chosen drive shown
// whenever the user picks another. All on the UI thread.
#pragma once
#include <windows.h>

#include "framework/dialog.h"
#include "health/smart_reader.h"

class CDriveDialog : public fw::Dialog {
 protected:
  CDriveDialog(UINT templateId, const smart::SmartReader& reader)
      : fw::Dialog(templateId), reader_(reader) {}

  const smart::SmartReader& Reader() const { return reader_; }

  // Empties the combo box, appends the caption of every drive 0..3 that the
  // reader offers, in that order, each item carrying its drive number, then
  // selects the first item and shows its drive. With no drive offered
  // nothing is selected and nothing shown.
  void FillDrives();
  // Shows drive (the dialog's own part).
  virtual void ShowDrive(int drive) = 0;

  bool HandleMessage(UINT msg, WPARAM wp, LPARAM lp, INT_PTR& result) override;

 private:
  // The selection changed: shows the selected item's drive, if any.
  void OnDriveSelected();

  smart::SmartReader reader_;

  static const fw::MessageEntry<CDriveDialog> kMessages[];
};

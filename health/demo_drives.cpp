// SpruceDemo.exe is Spruce.exe with emulated ATA drives behind the drive-
// command seam, so that the demo and the outside-in tests show drives where
// Wine has none (its disks answer no S.M.A.R.T. command). This file and the
// emulated drives are linked into that program only: the shipped Spruce.exe
// always talks to the real drives.
#include "health/emulated_ata_drive.h"
#include "health/system_drive_commands.h"

namespace {

// Put in place before WinMain runs, for the whole run.
struct DemoDrives {
  DemoDrives() {
    smart::AttachDemoDrives(drives);
    smart::UseDriveCommands(&drives);
  }
  ~DemoDrives() { smart::UseDriveCommands(nullptr); }
  smart::EmulatedAtaDrives drives;
} g_demoDrives;

}  // namespace

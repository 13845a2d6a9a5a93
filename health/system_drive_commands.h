// The drive commands of the running Windows, and the choice of which drive
// commands the disk-health tools use.
#pragma once
#include "health/drive_commands.h"
#include "health/smart_reader.h"

namespace smart {

// CreateFileA, DeviceIoControl and CloseHandle, as they are.
DriveCommands& SystemDriveCommands();

// The Windows line the program runs on (GetVersionExA's platform id 1 is
// 95/98/ME).
PlatformFamily CurrentPlatformFamily();

// The drive commands the tools open their dialogs with: the system's, unless
// a program put others in their place (the demo program puts emulated drives
// there). commands must outlive every later use; null restores the system's.
void UseDriveCommands(DriveCommands* commands);
DriveCommands& DriveCommandsInUse();

// A reader over DriveCommandsInUse for the running Windows.
SmartReader ToolSmartReader();

}  // namespace smart

// What the system-information dialog asks the system. Each probe that finds
// nothing gives an empty text or false. Functions that Windows 95 or NT 4.0
// lack (GlobalMemoryStatusEx, EnumDisplayDevicesA, GetDiskFreeSpaceExA) are
// looked up at run time, so the program still loads there.
#pragma once
#include <windows.h>

#include <cstdint>
#include <ctime>
#include <string>

// True on the Windows 95/98/ME line (platform 1 from GetVersionExA).
bool IsWindows9xLine();

// The processor's name from HKLM\Hardware\Description\System\CentralProcessor\0:
// on the 95/98/ME line "VendorIdentifier", a blank and "Identifier"; on the
// NT line "ProcessorNameString"; white space around it removed. Empty when
// the key can't be opened.
std::string ProcessorText(bool windows9x);

// The first display adapter's description (EnumDisplayDevicesA, adapter 0);
// empty without that function or when the call fails.
std::string DisplayAdapterName();

// The product name of wave-out device 0; empty without a device.
std::string SoundDeviceName();

// The creation time of the system folder (GetSystemDirectoryA: "system32"
// on the NT line, "SYSTEM" on the 95/98/ME line), in local time; false when
// the file system can't tell it.
bool WindowsInstallTime(std::tm& local);

// The drive-root table: "c:\" to "z:\", index 0 to 23 (A and B are never
// considered).
constexpr int kDriveRootCount = 24;
std::string DriveRoot(int index);
bool IsFixedDrive(const std::string& root);

// The total and free bytes of a drive (free for everyone, not the caller's
// quota). GetDiskFreeSpaceExA where the system has it, else the cluster
// figures of GetDiskFreeSpaceA (Windows 95 before OSR2).
bool QueryDiskSpace(const std::string& root, uint64_t& total, uint64_t& free);

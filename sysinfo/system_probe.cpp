#include "sysinfo/system_probe.h"

#include <mmsystem.h>

#include <cstring>

#include "framework/mbstring.h"
#include "framework/raii.h"
#include "sysinfo/system_figures.h"

namespace {

// A function of a system library that older systems may lack; null then.
template <class Fn>
Fn SystemFunction(HMODULE module, const char* name) {
  return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                : nullptr;
}

// A string value of an open key, up to its first NUL; empty for any other
// type or a value that can't be read.
std::string StringValue(HKEY key, const char* name) {
  char data[256] = {};
  DWORD type = 0, size = sizeof data - 1;
  if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return std::string();
  return std::string(data, strnlen(data, sizeof data - 1));
}

// Fixed-size text fields of system records need not end in a NUL.
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  return std::string(field, strnlen(field, N));
}

}  // namespace

bool IsWindows9xLine() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

std::string ProcessorText(bool windows9x) {
  // Read access is all this needs: the key is read-only for users without
  // administrator rights, who would otherwise see no processor at all.
  fw::KeyHandle key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Hardware\\Description\\System\\CentralProcessor\\0", 0,
                    KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS)
    return std::string();
  const std::string text = windows9x ? StringValue(key.Get(), "VendorIdentifier") + " " +
                                           StringValue(key.Get(), "Identifier")
                                     : StringValue(key.Get(), "ProcessorNameString");
  return mb::Trim(text);
}

std::string DisplayAdapterName() {
  using EnumDisplayDevicesFn = BOOL(WINAPI*)(LPCSTR, DWORD, DISPLAY_DEVICEA*, DWORD);
  HMODULE user32 = LoadLibraryA("user32.dll");
  if (!user32) return std::string();
  auto enumDevices = SystemFunction<EnumDisplayDevicesFn>(user32, "EnumDisplayDevicesA");
  DISPLAY_DEVICEA device = {};
  device.cb = sizeof device;  // 424 bytes
  const BOOL found = enumDevices && enumDevices(nullptr, 0, &device, 0);
  FreeLibrary(user32);
  return found ? FieldText(device.DeviceString) : std::string();
}

std::string SoundDeviceName() {
  WAVEOUTCAPSA caps = {};
  if (waveOutGetNumDevs() < 1 || waveOutGetDevCapsA(0, &caps, sizeof caps) != MMSYSERR_NOERROR)
    return std::string();
  return FieldText(caps.szPname);
}

bool WindowsInstallTime(std::tm& local) {
  // The system folder as the system reports it: "system32" on the NT line,
  // "SYSTEM" on the 95/98/ME line, which has no "system32".
  char system[MAX_PATH] = {};
  const UINT n = GetSystemDirectoryA(system, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return false;
  const std::string folder(system, n);
  // The folder's own entry, found by its name (Windows 95 has no
  // GetFileAttributesExA).
  WIN32_FIND_DATAA entry;
  fw::FindHandle find(FindFirstFileA(folder.c_str(), &entry));
  if (!find.Valid()) return false;
  FILETIME localTime;
  SYSTEMTIME t;
  if (!FileTimeToLocalFileTime(&entry.ftCreationTime, &localTime) ||
      !FileTimeToSystemTime(&localTime, &t))
    return false;
  local = std::tm();
  local.tm_year = t.wYear - 1900;
  local.tm_mon = t.wMonth - 1;
  local.tm_mday = t.wDay;
  local.tm_wday = t.wDayOfWeek;
  local.tm_hour = t.wHour;
  local.tm_min = t.wMinute;
  local.tm_sec = t.wSecond;
  return true;
}

std::string DriveRoot(int index) {
  if (index < 0 || index >= kDriveRootCount) return std::string();
  return std::string(1, static_cast<char>('c' + index)) + ":\\";
}

bool IsFixedDrive(const std::string& root) { return GetDriveTypeA(root.c_str()) == DRIVE_FIXED; }

bool QueryDiskSpace(const std::string& root, uint64_t& total, uint64_t& free) {
  using GetDiskFreeSpaceExFn =
      BOOL(WINAPI*)(LPCSTR, ULARGE_INTEGER*, ULARGE_INTEGER*, ULARGE_INTEGER*);
  static const auto spaceEx =
      SystemFunction<GetDiskFreeSpaceExFn>(GetModuleHandleA("kernel32.dll"), "GetDiskFreeSpaceExA");
  if (spaceEx) {
    ULARGE_INTEGER callerFree, totalBytes, freeBytes;
    if (!spaceEx(root.c_str(), &callerFree, &totalBytes, &freeBytes)) return false;
    total = totalBytes.QuadPart;
    free = freeBytes.QuadPart;
    return true;
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (!GetDiskFreeSpaceA(root.c_str(), &sectorsPerCluster, &bytesPerSector, &freeClusters,
                         &clusters))
    return false;
  const uint64_t clusterBytes = static_cast<uint64_t>(sectorsPerCluster) * bytesPerSector;
  total = clusterBytes * clusters;
  free = clusterBytes * freeClusters;
  return true;
}

#include "health/system_drive_commands.h"

#include <windows.h>

namespace smart {
namespace {

static_assert(kGenericRead == GENERIC_READ && kGenericWrite == GENERIC_WRITE, "access rights");
static_assert(kShareRead == FILE_SHARE_READ && kShareWrite == FILE_SHARE_WRITE, "share modes");
static_assert(kCreateNew == CREATE_NEW && kOpenExisting == OPEN_EXISTING, "dispositions");

class SystemCommands : public DriveCommands {
 public:
  bool Open(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
            DeviceHandle* device) override {
    HANDLE h = CreateFileA(path.c_str(), access, share, nullptr, disposition, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    *device = h;
    return true;
  }
  bool Control(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize,
               void* output, uint32_t outputSize) override {
    DWORD returned = 0;
    return DeviceIoControl(device, code, const_cast<void*>(input), inputSize, output, outputSize,
                           &returned, nullptr) != FALSE;
  }
  void Close(DeviceHandle device) override { CloseHandle(device); }
};

// Set once by a program before its first dialog; read on the UI thread.
DriveCommands* g_inUse = nullptr;

}  // namespace

DriveCommands& SystemDriveCommands() {
  static SystemCommands commands;
  return commands;
}

PlatformFamily CurrentPlatformFamily() {
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;  // 148
  GetVersionExA(&info);
  return info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? PlatformFamily::kWin9x
                                                         : PlatformFamily::kNt;
}

void UseDriveCommands(DriveCommands* commands) { g_inUse = commands; }

DriveCommands& DriveCommandsInUse() { return g_inUse ? *g_inUse : SystemDriveCommands(); }

SmartReader ToolSmartReader() { return SmartReader(DriveCommandsInUse(), CurrentPlatformFamily()); }

}  // namespace smart

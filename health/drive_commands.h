// The seam through which the S.M.A.R.T. reader talks to the drives: the three
// calls of the platform's disk-drive control interface, nothing more. The
// system one (system_drive_commands.h) passes them to CreateFileA,
// DeviceIoControl and CloseHandle; tests and the demo put emulated ATA drives
// behind it. Pure code: the platform's numbers are spelled out here.
#pragma once
#include <cstdint>
#include <string>

namespace smart {

// An open device as the seam hands it out; only the seam looks inside.
using DeviceHandle = void*;

// CreateFileA arguments the reader uses.
constexpr uint32_t kGenericRead = 0x80000000u;
constexpr uint32_t kGenericWrite = 0x40000000u;
constexpr uint32_t kShareRead = 0x1u;
constexpr uint32_t kShareWrite = 0x2u;
constexpr uint32_t kCreateNew = 1u;
constexpr uint32_t kOpenExisting = 3u;

class DriveCommands {
 public:
  virtual ~DriveCommands() = default;

  // CreateFileA(path, access, share, no security, disposition, no flags, no
  // template). True with *device set when the handle is valid.
  virtual bool Open(const std::string& path, uint32_t access, uint32_t share,
                    uint32_t disposition, DeviceHandle* device) = 0;
  // DeviceIoControl(device, code, input, inputSize, output, outputSize,
  // &returned, no overlapped) != 0. input may be null when inputSize is 0.
  virtual bool Control(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize,
                       void* output, uint32_t outputSize) = 0;
  // CloseHandle(device).
  virtual void Close(DeviceHandle device) = 0;
};

// An open device, closed through its seam when it goes: every path of the
// reader releases what it opened.
class Device {
 public:
  Device() = default;
  Device(DriveCommands& commands, DeviceHandle handle) : commands_(&commands), handle_(handle) {}
  Device(Device&& other) noexcept : commands_(other.commands_), handle_(other.handle_) {
    other.commands_ = nullptr;
  }
  Device& operator=(Device&& other) noexcept {
    if (this != &other) {
      Reset();
      commands_ = other.commands_;
      handle_ = other.handle_;
      other.commands_ = nullptr;
    }
    return *this;
  }
  Device(const Device&) = delete;
  Device& operator=(const Device&) = delete;
  ~Device() { Reset(); }

  bool IsOpen() const { return commands_ != nullptr; }
  // Passes one control request to the device; false when it is not open.
  bool Control(uint32_t code, const void* input, uint32_t inputSize, void* output,
               uint32_t outputSize) const {
    return commands_ && commands_->Control(handle_, code, input, inputSize, output, outputSize);
  }
  void Reset() {
    if (commands_) commands_->Close(handle_);
    commands_ = nullptr;
  }

 private:
  DriveCommands* commands_ = nullptr;
  DeviceHandle handle_ = nullptr;
};

}  // namespace smart

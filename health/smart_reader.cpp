#include "health/smart_reader.h"

#include <algorithm>
#include <cstring>

namespace smart {
namespace {

std::string PhysicalDrivePath(int drive) { return "\\\\.\\PhysicalDrive" + std::to_string(drive); }

bool IsDriveNumber(int drive) { return drive >= 0 && drive < kDriveCount; }

}  // namespace

Device SmartReader::OpenSmartDevice(int drive) const {
  if (!IsDriveNumber(drive)) return Device();
  DeviceHandle handle = nullptr;
  bool opened;
  if (family_ == PlatformFamily::kWin9x) {
    opened = commands_->Open("\\\\.\\SMARTVSD", 0, 0, kCreateNew, &handle);
  } else {
    opened = commands_->Open(PhysicalDrivePath(drive), kGenericRead | kGenericWrite,
                             kShareRead | kShareWrite, kOpenExisting, &handle);
  }
  return opened ? Device(*commands_, handle) : Device();
}

bool SmartReader::Send(const Device& device, Command command, int drive, uint8_t* reply) const {
  const CommandBlock block = BuildCommandBlock(command, drive);
  const uint32_t size = ReplySizeOf(command);
  std::memset(reply, 0, size);
  return device.Control(ControlCodeOf(command), block.data(), kCommandBlockSize, reply, size);
}

bool SmartReader::EnumerateSmartDrive(int drive, std::string* caption) const {
  const Device device = OpenSmartDevice(drive);
  if (!device.IsOpen()) return false;

  VersionReply version = {};
  if (!device.Control(kSmartGetVersion, nullptr, 0, version.data(), kVersionReplySize))
    return false;

  uint8_t reply[kDataReplySize];
  std::string model;
  if (Send(device, IdentifyCommandFor(version, drive), drive, reply)) {
    Sector identify;
    std::copy(reply + kReplyDataOffset, reply + kDataReplySize, identify.begin());
    model = ModelFromIdentify(identify);
  }
  if (model.empty()) return false;

  // The geometry comes from the disk device itself, opened for queries only,
  // whatever the platform family.
  DeviceHandle handle = nullptr;
  if (!commands_->Open(PhysicalDrivePath(drive), 0, kShareRead | kShareWrite, kOpenExisting,
                       &handle))
    return false;
  const Device disk(*commands_, handle);
  GeometryReply geometry = {};
  const std::string size =
      disk.Control(kDiskGetDriveGeometry, nullptr, 0, geometry.data(), kGeometryReplySize)
          ? SizeTextFromGeometry(geometry)
          : std::string();
  *caption = DriveCaption(model, size);
  return true;
}

bool SmartReader::ReadSmartData(int drive, SmartSectors* sectors) const {
  const Device device = OpenSmartDevice(drive);
  if (!device.IsOpen()) return false;

  // Asked as the driver expects before commands; its answer is not needed.
  VersionReply version = {};
  device.Control(kSmartGetVersion, nullptr, 0, version.data(), kVersionReplySize);

  uint8_t enableReply[kEnableReplySize];
  if (!Send(device, Command::kEnable, drive, enableReply)) return false;

  uint8_t values[kDataReplySize], thresholds[kDataReplySize];
  if (!Send(device, Command::kReadValues, drive, values) ||
      !Send(device, Command::kReadThresholds, drive, thresholds))
    return false;

  std::copy(values + kReplyDataOffset, values + kDataReplySize, sectors->values.begin());
  std::copy(thresholds + kReplyDataOffset, thresholds + kDataReplySize, sectors->thresholds.begin());
  return true;
}

}  // namespace smart

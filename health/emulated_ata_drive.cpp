#include "health/emulated_ata_drive.h"

#include <cstdio>
#include <cstring>

namespace smart {
namespace {

// What a S.M.A.R.T. request must look like, written out from the protocol
// (not built with the reader's own code, so that a mistake there shows).
struct Expected {
  const char* name;
  uint32_t code;
  uint32_t bufferSize;
  uint8_t features, cylinderLow, cylinderHigh, command;
  uint32_t replySize;
};
constexpr Expected kRequests[] = {
    {"enable", 0x7C084, 0, 0xD8, 0x4F, 0xC2, 0xB0, 16},
    {"identify 0xEC", 0x7C088, 512, 0x00, 0x00, 0x00, 0xEC, 528},
    {"identify 0xA1", 0x7C088, 512, 0x00, 0x00, 0x00, 0xA1, 528},
    {"read values", 0x7C088, 512, 0xD0, 0x4F, 0xC2, 0xB0, 528},
    {"read thresholds", 0x7C088, 512, 0xD1, 0x4F, 0xC2, 0xB0, 528},
};

const Expected* RequestOf(uint32_t code, const uint8_t* block) {
  for (const Expected& e : kRequests)
    if (e.code == code && e.command == block[10] &&
        (e.command != 0xB0 || e.features == block[4]))
      return &e;
  return nullptr;
}

void PutWord(Sector& s, size_t word, uint16_t value) {
  s[2 * word] = static_cast<uint8_t>(value);
  s[2 * word + 1] = static_cast<uint8_t>(value >> 8);
}

// An ATA string: blank-padded, the first character of each pair in the
// word's high byte.
void PutString(Sector& s, size_t word, size_t words, const std::string& text) {
  for (size_t i = 0; i < 2 * words; ++i) {
    const uint8_t c = i < text.size() ? static_cast<uint8_t>(text[i]) : ' ';
    s[2 * word + (i ^ 1)] = c;
  }
}

// The last byte makes the sector's bytes add up to zero (modulo 256).
void PutChecksum(Sector& s) {
  uint8_t sum = 0;
  for (size_t i = 0; i + 1 < s.size(); ++i) sum = static_cast<uint8_t>(sum + s[i]);
  s[s.size() - 1] = static_cast<uint8_t>(-sum);
}

Sector IdentifySector(const EmulatedDisk& disk) {
  Sector s = {};
  const uint64_t sectors = static_cast<uint64_t>(disk.cylinders) * disk.tracksPerCylinder *
                           disk.sectorsPerTrack;
  PutWord(s, 0, disk.packet ? 0x85C0 : 0x0C5A);  // general configuration
  PutWord(s, 1, 16383);                         // legacy CHS: the 8.4 GB limit
  PutWord(s, 3, 16);
  PutWord(s, 6, 63);
  PutString(s, 10, 10, disk.serial);
  PutString(s, 23, 4, disk.firmware);
  PutString(s, 27, 20, disk.model);
  PutWord(s, 49, 0x0F00);  // LBA and DMA supported
  const uint32_t lba28 = sectors > 0x0FFFFFFFu ? 0x0FFFFFFFu : static_cast<uint32_t>(sectors);
  PutWord(s, 60, static_cast<uint16_t>(lba28));
  PutWord(s, 61, static_cast<uint16_t>(lba28 >> 16));
  if (!disk.packet) {
    PutWord(s, 82, 0x0001);  // S.M.A.R.T. feature set supported
    PutWord(s, 85, 0x0001);  // and enabled
  }
  s[510] = 0xA5;  // integrity word signature, checksum in byte 511
  PutChecksum(s);
  return s;
}

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

// "PhysicalDrive2" -> 2; -1 for anything else.
int PhysicalDriveNumber(const std::string& path) {
  const std::string prefix = "\\\\.\\PhysicalDrive";
  if (path.size() != prefix.size() + 1 || path.compare(0, prefix.size(), prefix) != 0) return -1;
  const char digit = path.back();
  return digit >= '0' && digit <= '9' ? digit - '0' : -1;
}

std::string Hex(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

}  // namespace

SmartSectors BuildSectors(const std::vector<EmulatedAttribute>& attributes) {
  SmartSectors result;
  Sector& v = result.values;
  Sector& t = result.thresholds;
  PutWord(v, 0, 0x000A);  // data structure revision
  PutWord(t, 0, 0x000A);
  for (size_t slot = 0; slot < attributes.size() && slot < kSlotCount; ++slot) {
    const EmulatedAttribute& a = attributes[slot];
    uint8_t* entry = &v[2 + 12 * slot];
    entry[0] = a.id;
    entry[1] = static_cast<uint8_t>(a.flags);
    entry[2] = static_cast<uint8_t>(a.flags >> 8);
    entry[3] = a.current;
    entry[4] = a.worst;
    for (int i = 0; i < 6; ++i) entry[5 + i] = static_cast<uint8_t>(a.raw >> (8 * i));
    t[2 + 12 * slot] = a.id;
    t[2 + 12 * slot + 1] = a.threshold;
  }
  v[362] = 0x82;  // off-line data collection: completed without error
  PutChecksum(v);
  PutChecksum(t);
  return result;
}

namespace {

// An IDE disk of cylinders x 255 heads x 63 sectors of 512 bytes.
EmulatedDisk IdeDisk(const char* model, const char* serial, const char* firmware,
                     int64_t cylinders, const std::vector<EmulatedAttribute>& attributes) {
  EmulatedDisk d;
  d.model = model;
  d.serial = serial;
  d.firmware = firmware;
  d.cylinders = cylinders;
  d.tracksPerCylinder = 255;
  d.sectorsPerTrack = 63;
  d.bytesPerSector = 512;
  d.sectors = BuildSectors(attributes);
  return d;
}

}  // namespace

EmulatedDisk HealthyDisk() {
  // Raw 194: 38 degrees now, lowest 18 and highest 51 in bytes 2 and 4.
  return IdeDisk("ST380011A", "5JV4K2QD", "3.06", 9729,
                 {
                     {1, 0x000F, 58, 52, 6, 188352814},
                     {3, 0x0003, 97, 97, 0, 0},
                     {4, 0x0032, 100, 100, 20, 412},
                     {5, 0x0033, 100, 100, 36, 0},
                     {7, 0x000F, 84, 60, 30, 252331729},
                     {9, 0x0032, 76, 76, 0, 21374},
                     {10, 0x0013, 100, 100, 97, 0},
                     {12, 0x0032, 100, 100, 20, 415},
                     {194, 0x0022, 38, 51, 0, 0x0000003300120026ull},
                     {195, 0x001A, 58, 52, 0, 188352814},
                     {197, 0x0012, 100, 100, 0, 0},
                     {198, 0x0010, 100, 100, 0, 0},
                     {199, 0x003E, 200, 200, 0, 0},
                     {200, 0x0000, 100, 253, 0, 0},
                     {202, 0x0032, 100, 253, 0, 0},
                 });
}

EmulatedDisk WornDisk() {
  return IdeDisk("Maxtor 6Y120P0", "Y3CE91KE", "YAR41BW0", 14593,
                 {
                     {3, 0x0027, 221, 219, 63, 15389},
                     {4, 0x0032, 253, 253, 4, 1843},
                     {5, 0x0033, 63, 63, 63, 1297},
                     {6, 0x0001, 253, 253, 100, 0},
                     {7, 0x000A, 253, 252, 0, 0},
                     {8, 0x0027, 245, 236, 187, 35672},
                     {9, 0x0032, 185, 185, 0, 41288},
                     {10, 0x002B, 253, 252, 157, 0},
                     {11, 0x002B, 253, 252, 223, 0},
                     {12, 0x0032, 249, 249, 0, 1930},
                     {192, 0x0032, 253, 253, 0, 0},
                     {194, 0x0032, 45, 32, 0, 45},
                     {195, 0x000A, 253, 252, 0, 7500},
                     {196, 0x0008, 178, 178, 0, 75},
                     {197, 0x0008, 251, 250, 0, 12},
                     {198, 0x0008, 253, 252, 0, 0},
                     {199, 0x0008, 199, 199, 0, 0},
                     {200, 0x000A, 253, 252, 0, 0},
                 });
}

void AttachDemoDrives(EmulatedAtaDrives& drives) {
  drives.Attach(0, HealthyDisk());
  drives.Attach(1, WornDisk());
}

void EmulatedAtaDrives::Attach(int drive, EmulatedDisk disk) { disks_[drive] = std::move(disk); }
void EmulatedAtaDrives::Detach(int drive) { disks_.erase(drive); }

EmulatedDisk* EmulatedAtaDrives::Disk(int drive) {
  auto it = disks_.find(drive);
  return it == disks_.end() ? nullptr : &it->second;
}

bool EmulatedAtaDrives::Fail(const std::string& what) {
  log_.push_back(what + " -> failed");
  return false;
}

bool EmulatedAtaDrives::Refuse(const std::string& what, const std::string& violation) {
  violations_.push_back(what + ": " + violation);
  return Fail(what);
}

bool EmulatedAtaDrives::Open(const std::string& path, uint32_t access, uint32_t share,
                             uint32_t disposition, DeviceHandle* device) {
  OpenDevice opened{Kind::kDriver, -1};
  std::string what;
  if (path == "\\\\.\\SMARTVSD") {
    what = "open SMARTVSD";
    if (access != 0 || share != 0 || disposition != kCreateNew)
      return Refuse(what, "access, share or disposition not 0, 0, CREATE_NEW");
    if (family_ != PlatformFamily::kWin9x) return Fail(what);  // no such driver
  } else {
    const int drive = PhysicalDriveNumber(path);
    if (drive < 0) return Refuse("open " + path, "not a device path");
    const bool query = access == 0;
    what = "open PhysicalDrive" + std::to_string(drive) + (query ? " query" : " rw");
    if ((!query && access != (kGenericRead | kGenericWrite)) ||
        share != (kShareRead | kShareWrite) || disposition != kOpenExisting)
      return Refuse(what, "access, share or disposition not as the protocol asks");
    const EmulatedDisk* disk = Disk(drive);
    if (family_ != PlatformFamily::kNt || !disk) return Fail(what);  // no such device
    if (disk->failing.count(query ? Step::kQueryOpen : Step::kOpen)) return Fail(what);
    opened = OpenDevice{query ? Kind::kQuery : Kind::kSmart, drive};
  }
  *device = reinterpret_cast<DeviceHandle>(nextHandle_);
  nextHandle_ += 4;
  open_[*device] = opened;
  log_.push_back(what);
  return true;
}

void EmulatedAtaDrives::Close(DeviceHandle device) {
  if (open_.erase(device) == 0) {
    violations_.push_back("close: a handle that is not open");
    return;
  }
  log_.push_back("close");
}

bool EmulatedAtaDrives::Control(DeviceHandle device, uint32_t code, const void* input,
                                uint32_t inputSize, void* output, uint32_t outputSize) {
  auto it = open_.find(device);
  if (it == open_.end()) return Refuse("control " + Hex(code), "a handle that is not open");
  const OpenDevice opened = it->second;
  switch (code) {
    case kSmartGetVersion:
      if (inputSize != 0) return Refuse("version", "input given");
      return Version(opened, output, outputSize);
    case kSmartSendDriveCommand:
    case kSmartRcvDriveData:
      return DriveCommand(opened, code, input, inputSize, output, outputSize);
    case kDiskGetDriveGeometry:
      return Geometry(opened, inputSize, output, outputSize);
    default:
      return Refuse("control " + Hex(code), "unknown control code");
  }
}

bool EmulatedAtaDrives::Version(const OpenDevice& device, void* output, uint32_t outputSize) {
  const std::string what = "version";
  if (device.kind == Kind::kQuery) return Refuse(what, "sent to a query-only handle");
  if (!output || outputSize != kVersionReplySize) return Refuse(what, "reply size not 24");
  const EmulatedDisk* disk = device.drive >= 0 ? Disk(device.drive) : nullptr;
  if (disk && disk->failing.count(Step::kVersion)) return Fail(what);
  uint8_t reply[kVersionReplySize] = {};
  reply[0] = 1;  // version
  reply[1] = 1;  // revision
  for (const auto& [number, attached] : disks_)
    if (number >= 0 && number < kDriveCount) reply[3] |= 1u << (attached.packet ? 4 + number : number);
  PutLe32(reply + 4, 7);  // ATA identify, ATAPI identify and S.M.A.R.T. commands
  std::memcpy(output, reply, sizeof reply);
  log_.push_back(what);
  return true;
}

bool EmulatedAtaDrives::DriveCommand(const OpenDevice& device, uint32_t code, const void* input,
                                     uint32_t inputSize, void* output, uint32_t outputSize) {
  if (!input || inputSize != kCommandBlockSize)
    return Refuse("command " + Hex(code), "input is not one 32-byte command block");
  const auto* block = static_cast<const uint8_t*>(input);
  const Expected* request = RequestOf(code, block);
  if (!request)
    return Refuse("command " + Hex(code), "unknown command " + Hex(block[10]) + " features " +
                                              Hex(block[4]));
  const std::string what = request->name;
  if (device.kind == Kind::kQuery) return Refuse(what, "sent to a query-only handle");

  // Through the SMARTVSD driver the drive number is the block's; through a
  // disk device it must name that disk.
  const int drive = device.kind == Kind::kDriver ? block[12] : device.drive;
  if (device.kind == Kind::kSmart && block[12] != device.drive)
    return Refuse(what, "drive number " + std::to_string(block[12]) + " sent to drive " +
                            std::to_string(device.drive));
  uint8_t expected[kCommandBlockSize] = {};
  PutLe32(expected, request->bufferSize);
  expected[4] = request->features;
  expected[5] = 1;
  expected[6] = 1;
  expected[7] = request->cylinderLow;
  expected[8] = request->cylinderHigh;
  expected[9] = (drive % 2 == 0) ? 0xA0 : 0xB0;
  expected[10] = request->command;
  expected[12] = static_cast<uint8_t>(drive);
  for (uint32_t i = 0; i < kCommandBlockSize; ++i)
    if (block[i] != expected[i])
      return Refuse(what, "command block byte " + std::to_string(i) + " is " + Hex(block[i]) +
                              ", expected " + Hex(expected[i]));
  if (!output || outputSize != request->replySize)
    return Refuse(what, "reply size " + std::to_string(outputSize) + ", expected " +
                            std::to_string(request->replySize));
  const auto* reply = static_cast<uint8_t*>(output);
  for (uint32_t i = 0; i < outputSize; ++i)
    if (reply[i] != 0) return Refuse(what, "reply buffer not zero-filled");

  const EmulatedDisk* disk = Disk(drive);
  if (!disk) return Fail(what);  // nothing answers on that channel position
  // A packet device knows only IDENTIFY PACKET DEVICE; a disk aborts it.
  const bool identify = request->command != 0xB0;
  if (disk->packet ? request->command != 0xA1 : request->command == 0xA1) return Fail(what);
  Step step = Step::kIdentify;
  if (!identify)
    step = request->features == 0xD8   ? Step::kEnable
           : request->features == 0xD0 ? Step::kReadValues
                                       : Step::kReadThresholds;
  if (disk->failing.count(step)) return Fail(what);

  auto* out = static_cast<uint8_t*>(output);
  PutLe32(out, request->bufferSize);
  if (request->replySize == kDataReplySize) {
    const Sector& data = identify                       ? IdentifySector(*disk)
                         : step == Step::kReadValues    ? disk->sectors.values
                                                        : disk->sectors.thresholds;
    std::memcpy(out + kReplyDataOffset, data.data(), kSectorSize);
  }
  log_.push_back(what);
  return true;
}

bool EmulatedAtaDrives::Geometry(const OpenDevice& device, uint32_t inputSize, void* output,
                                 uint32_t outputSize) {
  const std::string what = "geometry";
  if (device.kind == Kind::kDriver) return Refuse(what, "sent to the SMARTVSD driver");
  if (inputSize != 0) return Refuse(what, "input given");
  if (!output || outputSize != kGeometryReplySize) return Refuse(what, "reply size not 24");
  const EmulatedDisk* disk = Disk(device.drive);
  if (!disk || disk->failing.count(Step::kGeometry)) return Fail(what);
  uint8_t reply[kGeometryReplySize] = {};
  const uint64_t cylinders = static_cast<uint64_t>(disk->cylinders);
  PutLe32(reply, static_cast<uint32_t>(cylinders));
  PutLe32(reply + 4, static_cast<uint32_t>(cylinders >> 32));
  PutLe32(reply + 8, 12);  // FixedMedia
  PutLe32(reply + 12, disk->tracksPerCylinder);
  PutLe32(reply + 16, disk->sectorsPerTrack);
  PutLe32(reply + 20, disk->bytesPerSector);
  std::memcpy(output, reply, sizeof reply);
  log_.push_back(what);
  return true;
}

}  // namespace smart

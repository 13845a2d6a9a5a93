// The S.M.A.R.T. wire formats and vocabulary: the command blocks the reader
// sends, the decoding of the identify, attribute and threshold sectors and of
// the drive geometry, the attribute names, verdicts and temperature, and the
// texts the disk-health dialogs show. Pure code; every input is untrusted
// bytes from a device and is read within its fixed size.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace smart {

// Control codes of the disk-drive interface.
constexpr uint32_t kSmartGetVersion = 0x74080u;
constexpr uint32_t kSmartSendDriveCommand = 0x7C084u;
constexpr uint32_t kSmartRcvDriveData = 0x7C088u;
constexpr uint32_t kDiskGetDriveGeometry = 0x70000u;

// Sizes of the platform structures as the reader passes them.
constexpr uint32_t kVersionReplySize = 24;    // GETVERSIONINPARAMS
constexpr uint32_t kCommandBlockSize = 32;    // SENDCMDINPARAMS without its data byte
constexpr uint32_t kEnableReplySize = 16;     // SENDCMDOUTPARAMS without data
constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kReplyDataOffset = 16;     // the data sector inside SENDCMDOUTPARAMS
constexpr uint32_t kDataReplySize = kReplyDataOffset + kSectorSize;  // 528
constexpr uint32_t kGeometryReplySize = 24;   // DISK_GEOMETRY

// Drive numbers probed: 0 to 3, nothing else.
constexpr int kDriveCount = 4;
// Attribute and threshold slots of a sector.
constexpr int kSlotCount = 30;

using Sector = std::array<uint8_t, kSectorSize>;
using CommandBlock = std::array<uint8_t, kCommandBlockSize>;
using VersionReply = std::array<uint8_t, kVersionReplySize>;
using GeometryReply = std::array<uint8_t, kGeometryReplySize>;

enum class Command {
  kEnable,           // SMART ENABLE OPERATIONS
  kIdentify,         // IDENTIFY DEVICE (0xEC)
  kIdentifyPacket,   // IDENTIFY PACKET DEVICE (0xA1)
  kReadValues,       // SMART READ DATA
  kReadThresholds,   // SMART READ THRESHOLDS
};

// The control code that carries command.
uint32_t ControlCodeOf(Command command);
// The reply buffer size for command (16 for enable, else 528).
uint32_t ReplySizeOf(Command command);
// The 32-byte command block for command to drive: buffer size, the ATA
// registers (drive/head 0xA0 for even drives, 0xB0 for odd ones) and the
// drive number at offset 12, everything else zero.
CommandBlock BuildCommandBlock(Command command, int drive);
// IDENTIFY PACKET DEVICE when the version reply's IDE device map (byte 3)
// marks drive as a packet device (bit 4 + drive), else IDENTIFY DEVICE.
Command IdentifyCommandFor(const VersionReply& version, int drive);

// The model text of an identify sector: the 20 words at bytes 54..93 with
// each word's two bytes swapped, up to the first zero byte, without leading
// and trailing white space.
std::string ModelFromIdentify(const Sector& identify);

// The size text of a DISK_GEOMETRY reply: bytes per sector x sectors per
// track x tracks per cylinder x cylinders (unsigned 64-bit, wrapping as the
// platform's arithmetic does), in whole decimal gigabytes, "80GB".
std::string SizeTextFromGeometry(const GeometryReply& geometry);

// "<model> (<size>)", both without surrounding white space; the size may be
// empty ("ST380011A ()").
std::string DriveCaption(const std::string& model, const std::string& size);

// One slot of the attribute sector.
struct Attribute {
  uint8_t id = 0;  // 0: empty slot
  uint8_t current = 0;
  uint8_t worst = 0;
  uint8_t raw[6] = {};  // raw byte 0 first
};

// Slot 0..29 of the attribute sector (12 bytes from offset 2 + 12 x slot).
Attribute AttributeAt(const Sector& values, int slot);
// The threshold of slot 0..29 of the threshold sector; the slots pair with
// the attribute slots by position, the threshold slot's own id is not read.
uint8_t ThresholdAt(const Sector& thresholds, int slot);

// The English name of an attribute id, or "정의되지 않은 속성".
const char* SmartAttributeName(int id);
// "OK" when worst > threshold (unsigned) or the id is 190 or 194, else
// "Failed". The current value plays no part.
const char* JudgeSmartAttribute(const Attribute& attribute, uint8_t threshold);
// Raw byte 0 of the last slot with id 194, in degrees Celsius; none when no
// slot carries id 194.
std::optional<int> SmartTemperature(const Sector& values);

// Raw bytes 0..3 as a signed 32-bit number (raw byte 0 least significant).
int32_t DataValue(const Attribute& attribute);
// The six raw bytes in storage order, each as "%02X " ("1A 00 00 00 00 00 ").
std::string RawValueText(const Attribute& attribute);

// One row of the disk-health list, columns in display order.
struct AttributeRow {
  std::string id, name, current, worst, threshold, data, verdict, raw;
  bool failed = false;
};
// The rows of every non-empty slot, in slot order.
std::vector<AttributeRow> AttributeRows(const Sector& values, const Sector& thresholds);
// True when at least one row is "Failed".
bool AnyFailed(const std::vector<AttributeRow>& rows);

}  // namespace smart

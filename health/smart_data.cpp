#include "health/smart_data.h"

#include <cstdio>

namespace smart {
namespace {

// ATA command and feature register values of the S.M.A.R.T. feature set.
constexpr uint8_t kAtaSmart = 0xB0;
constexpr uint8_t kAtaIdentify = 0xEC;
constexpr uint8_t kAtaIdentifyPacket = 0xA1;
constexpr uint8_t kFeatureReadValues = 0xD0;
constexpr uint8_t kFeatureReadThresholds = 0xD1;
constexpr uint8_t kFeatureEnable = 0xD8;
// The cylinder registers that every S.M.A.R.T. command carries.
constexpr uint8_t kSmartCylinderLow = 0x4F;
constexpr uint8_t kSmartCylinderHigh = 0xC2;

// Where the model text sits in the identify sector (words 27..46).
constexpr size_t kModelOffset = 54;
constexpr size_t kModelLength = 40;

constexpr size_t kFirstSlot = 2;  // after the 2-byte revision
constexpr size_t kSlotSize = 12;

constexpr int kTemperatureId = 194;
constexpr int kAirflowTemperatureId = 190;

struct NamedAttribute {
  uint8_t id;
  const char* name;
};

constexpr NamedAttribute kNames[] = {
    {1, "Raw Read Error Rate"},      {2, "Throughput Performance"},
    {3, "Spin Up Time"},             {4, "Start Stop Count"},
    {5, "Reallocated Sector Ct"},    {6, "Read Channel Margin"},
    {7, "Seek Error Rate"},          {8, "Seek Time Performance"},
    {9, "Power On Minutes"},         {10, "Spin Retry Count"},
    {11, "Calibration Retry Count"}, {12, "Power Cycle Count"},
    {13, "Read Soft Error Rate"},    {190, "Temperature Celsius"},
    {191, "G-Sense Error Rate"},     {192, "Power-Off Retract Count"},
    {193, "Load Cycle Count"},       {194, "Temperature Celsius"},
    {195, "Hardware ECC Recovered"}, {196, "Reallocated Event Count"},
    {197, "Current Pending Sector"}, {198, "Offline Uncorrectable"},
    {199, "UDMA CRC Error Count"},   {200, "Multi Zone Error Rate"},
    {201, "Soft Read Error Rate"},   {202, "TA Increase Count"},
    {203, "Run Out Cancel"},         {204, "Shock Count Write Opern"},
    {205, "Shock Rate Write Opern"}, {206, "Flying Height"},
    {207, "Spin High Current"},      {208, "Spin Buzz"},
    {209, "Offline Seek Performnce"}, {220, "Disk Shift"},
    {221, "G-Sense Error Rate"},     {222, "Loaded Hours"},
    {223, "Load Retry Count"},       {224, "Load Friction"},
    {225, "Load Cycle Count"},       {226, "Load-in Time"},
    {227, "Torq-amp Count"},         {228, "Power-off Retract Count"},
    {230, "Head Amplitude"},         {231, "Temperature Celsius"},
    {240, "Head Flying Hours"},      {250, "Read Error Retry Rate"},
};

// The white space the C library's isspace knows in the "C" locale; bytes of
// CP949 characters (0x81 and up) are never white space.
bool IsWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::string Trimmed(const std::string& text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

uint32_t Le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Le64(const uint8_t* p) { return Le32(p) | static_cast<uint64_t>(Le32(p + 4)) << 32; }

}  // namespace

uint32_t ControlCodeOf(Command command) {
  return command == Command::kEnable ? kSmartSendDriveCommand : kSmartRcvDriveData;
}

uint32_t ReplySizeOf(Command command) {
  return command == Command::kEnable ? kEnableReplySize : kDataReplySize;
}

CommandBlock BuildCommandBlock(Command command, int drive) {
  CommandBlock block = {};
  uint8_t features = 0, cylinderLow = kSmartCylinderLow, cylinderHigh = kSmartCylinderHigh;
  uint8_t ataCommand = kAtaSmart;
  switch (command) {
    case Command::kEnable: features = kFeatureEnable; break;
    case Command::kReadValues: features = kFeatureReadValues; break;
    case Command::kReadThresholds: features = kFeatureReadThresholds; break;
    case Command::kIdentify:
    case Command::kIdentifyPacket:
      cylinderLow = cylinderHigh = 0;
      ataCommand = command == Command::kIdentify ? kAtaIdentify : kAtaIdentifyPacket;
      break;
  }
  const uint32_t bufferSize = command == Command::kEnable ? 0 : kSectorSize;
  block[0] = static_cast<uint8_t>(bufferSize);
  block[1] = static_cast<uint8_t>(bufferSize >> 8);
  block[4] = features;
  block[5] = 1;  // sector count
  block[6] = 1;  // sector number
  block[7] = cylinderLow;
  block[8] = cylinderHigh;
  // Bit 4 of the drive/head register selects the second device on a channel.
  block[9] = (drive & 1) ? 0xB0 : 0xA0;
  block[10] = ataCommand;
  block[12] = static_cast<uint8_t>(drive);
  return block;
}

Command IdentifyCommandFor(const VersionReply& version, int drive) {
  const unsigned deviceMap = version[3];
  const bool packet = drive >= 0 && drive < kDriveCount && (deviceMap >> (4 + drive)) & 1u;
  return packet ? Command::kIdentifyPacket : Command::kIdentify;
}

std::string ModelFromIdentify(const Sector& identify) {
  // 40 characters and a terminator, as the probe copies them: a zero byte in
  // the field ends the model there.
  char model[kModelLength + 1] = {};
  for (size_t i = 0; i < kModelLength; i += 2) {
    model[i] = static_cast<char>(identify[kModelOffset + i + 1]);
    model[i + 1] = static_cast<char>(identify[kModelOffset + i]);
  }
  return Trimmed(model);
}

std::string SizeTextFromGeometry(const GeometryReply& geometry) {
  const uint64_t cylinders = Le64(&geometry[0]);
  const uint64_t tracksPerCylinder = Le32(&geometry[12]);
  const uint64_t sectorsPerTrack = Le32(&geometry[16]);
  const uint64_t bytesPerSector = Le32(&geometry[20]);
  // Unsigned arithmetic: an absurd geometry wraps, it never overflows.
  const uint64_t bytes = bytesPerSector * sectorsPerTrack * tracksPerCylinder * cylinders;
  return std::to_string(bytes / 1000 / 1000 / 1000) + "GB";
}

std::string DriveCaption(const std::string& model, const std::string& size) {
  return Trimmed(model) + " (" + Trimmed(size) + ")";
}

Attribute AttributeAt(const Sector& values, int slot) {
  Attribute a;
  if (slot < 0 || slot >= kSlotCount) return a;
  const uint8_t* p = &values[kFirstSlot + kSlotSize * static_cast<size_t>(slot)];
  a.id = p[0];
  a.current = p[3];
  a.worst = p[4];
  for (int i = 0; i < 6; ++i) a.raw[i] = p[5 + i];
  return a;
}

uint8_t ThresholdAt(const Sector& thresholds, int slot) {
  if (slot < 0 || slot >= kSlotCount) return 0;
  return thresholds[kFirstSlot + kSlotSize * static_cast<size_t>(slot) + 1];
}

const char* SmartAttributeName(int id) {
  for (const NamedAttribute& n : kNames)
    if (n.id == id) return n.name;
  return "정의되지 않은 속성";
}

const char* JudgeSmartAttribute(const Attribute& attribute, uint8_t threshold) {
  // Ids 190 and 194 carry a temperature, whose normalised value says nothing
  // about wear. Id 231 is judged like any other attribute.
  if (attribute.id == kTemperatureId || attribute.id == kAirflowTemperatureId) return "OK";
  return attribute.worst > threshold ? "OK" : "Failed";
}

std::optional<int> SmartTemperature(const Sector& values) {
  std::optional<int> temperature;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Attribute a = AttributeAt(values, slot);
    if (a.id == kTemperatureId) temperature = a.raw[0];  // the last one wins
  }
  return temperature;
}

int32_t DataValue(const Attribute& attribute) {
  const uint32_t bits = Le32(attribute.raw);
  // Two's complement read without relying on an out-of-range conversion.
  return bits < 0x80000000u ? static_cast<int32_t>(bits)
                            : static_cast<int32_t>(static_cast<int64_t>(bits) - 0x100000000LL);
}

std::string RawValueText(const Attribute& attribute) {
  std::string text;
  char byte[4];
  for (uint8_t b : attribute.raw) {
    std::snprintf(byte, sizeof byte, "%02X ", b);
    text += byte;
  }
  return text;
}

std::vector<AttributeRow> AttributeRows(const Sector& values, const Sector& thresholds) {
  std::vector<AttributeRow> rows;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const Attribute a = AttributeAt(values, slot);
    if (a.id == 0) continue;
    const uint8_t threshold = ThresholdAt(thresholds, slot);
    AttributeRow row;
    row.id = std::to_string(a.id);
    row.name = SmartAttributeName(a.id);
    row.current = std::to_string(a.current);
    row.worst = std::to_string(a.worst);
    row.threshold = std::to_string(threshold);
    row.data = std::to_string(DataValue(a));
    row.verdict = JudgeSmartAttribute(a, threshold);
    row.failed = row.verdict == "Failed";
    row.raw = RawValueText(a);
    rows.push_back(std::move(row));
  }
  return rows;
}

bool AnyFailed(const std::vector<AttributeRow>& rows) {
  for (const AttributeRow& row : rows)
    if (row.failed) return true;
  return false;
}

}  // namespace smart

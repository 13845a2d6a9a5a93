#include "health/smart_data.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace smart;

namespace {

CommandBlock Block(std::initializer_list<uint8_t> first13) {
  CommandBlock b = {};
  size_t i = 0;
  for (uint8_t v : first13) b[i++] = v;
  return b;
}

// A sector with the given slots: {id, current, worst, raw bytes 0..5}.
struct Slot {
  uint8_t id, current, worst;
  uint8_t raw[6];
};
Sector Values(std::initializer_list<Slot> slots) {
  Sector s = {};
  size_t at = 2;
  for (const Slot& slot : slots) {
    s[at] = slot.id;
    s[at + 3] = slot.current;
    s[at + 4] = slot.worst;
    std::memcpy(&s[at + 5], slot.raw, 6);
    at += 12;
  }
  return s;
}
Sector Thresholds(std::initializer_list<std::pair<uint8_t, uint8_t>> idAndThreshold) {
  Sector s = {};
  size_t at = 2;
  for (const auto& [id, threshold] : idAndThreshold) {
    s[at] = id;
    s[at + 1] = threshold;
    at += 12;
  }
  return s;
}

Sector IdentifyWithModelField(const std::string& field40) {
  Sector s = {};
  for (size_t i = 0; i < 40; ++i) s[54 + (i ^ 1)] = static_cast<uint8_t>(field40[i]);
  return s;
}

GeometryReply Geometry(int64_t cylinders, uint32_t tracks, uint32_t sectors, uint32_t bytes) {
  GeometryReply g = {};
  for (int i = 0; i < 8; ++i) g[i] = static_cast<uint8_t>(static_cast<uint64_t>(cylinders) >> (8 * i));
  for (int i = 0; i < 4; ++i) {
    g[12 + i] = static_cast<uint8_t>(tracks >> (8 * i));
    g[16 + i] = static_cast<uint8_t>(sectors >> (8 * i));
    g[20 + i] = static_cast<uint8_t>(bytes >> (8 * i));
  }
  return g;
}

TEST(SmartData, CommandBlocksAreByteExactForEveryCommandAndDriveParity) {
  // size(4) features count number cyl-low cyl-high drive/head command reserved drive
  EXPECT_EQ(BuildCommandBlock(Command::kEnable, 0),
            Block({0, 0, 0, 0, 0xD8, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0}));
  EXPECT_EQ(BuildCommandBlock(Command::kEnable, 1),
            Block({0, 0, 0, 0, 0xD8, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 1}));
  EXPECT_EQ(BuildCommandBlock(Command::kIdentify, 2),
            Block({0, 2, 0, 0, 0, 1, 1, 0, 0, 0xA0, 0xEC, 0, 2}));
  EXPECT_EQ(BuildCommandBlock(Command::kIdentifyPacket, 3),
            Block({0, 2, 0, 0, 0, 1, 1, 0, 0, 0xB0, 0xA1, 0, 3}));
  EXPECT_EQ(BuildCommandBlock(Command::kReadValues, 3),
            Block({0, 2, 0, 0, 0xD0, 1, 1, 0x4F, 0xC2, 0xB0, 0xB0, 0, 3}));
  EXPECT_EQ(BuildCommandBlock(Command::kReadThresholds, 0),
            Block({0, 2, 0, 0, 0xD1, 1, 1, 0x4F, 0xC2, 0xA0, 0xB0, 0, 0}));

  EXPECT_EQ(ControlCodeOf(Command::kEnable), 0x7C084u);
  EXPECT_EQ(ReplySizeOf(Command::kEnable), 16u);
  for (Command c : {Command::kIdentify, Command::kReadValues, Command::kReadThresholds}) {
    EXPECT_EQ(ControlCodeOf(c), 0x7C088u);
    EXPECT_EQ(ReplySizeOf(c), 528u);
  }

  // Bit 4 + drive of the device map marks a packet device.
  VersionReply version = {};
  version[3] = 0x21;  // drive 0 an ATA disk, drive 1 a packet device
  EXPECT_EQ(IdentifyCommandFor(version, 0), Command::kIdentify);
  EXPECT_EQ(IdentifyCommandFor(version, 1), Command::kIdentifyPacket);
  version[3] = 0x80;
  EXPECT_EQ(IdentifyCommandFor(version, 3), Command::kIdentifyPacket);
  EXPECT_EQ(IdentifyCommandFor(version, 2), Command::kIdentify);
}

TEST(SmartData, ModelIsByteSwappedCutAtZeroAndTrimmed) {
  EXPECT_EQ(ModelFromIdentify(IdentifyWithModelField("ST380011A                               ")),
            "ST380011A");
  EXPECT_EQ(ModelFromIdentify(IdentifyWithModelField("  \tMaxtor 6Y120P0 \r\n                     ")),
            "Maxtor 6Y120P0");
  EXPECT_EQ(ModelFromIdentify(IdentifyWithModelField(std::string(40, ' '))), "");
  EXPECT_EQ(ModelFromIdentify(Sector{}), "");
  // A zero byte ends the text, as in the 41-byte buffer the probe fills.
  EXPECT_EQ(ModelFromIdentify(IdentifyWithModelField(std::string("WDC\0junk", 8) + std::string(32, ' '))),
            "WDC");
  // All 40 characters, and none of the bytes around the field.
  Sector full = IdentifyWithModelField("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
  full[53] = 'x';
  full[94] = 'y';
  EXPECT_EQ(ModelFromIdentify(full), "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd");
}

TEST(SmartData, SizeIsWholeDecimalGigabytesAndTheCaptionWrapsIt) {
  EXPECT_EQ(SizeTextFromGeometry(Geometry(9729, 255, 63, 512)), "80GB");  // 80,023,749,120
  EXPECT_EQ(SizeTextFromGeometry(Geometry(14593, 255, 63, 512)), "120GB");
  EXPECT_EQ(SizeTextFromGeometry(Geometry(1953124, 1, 1, 512)), "0GB");  // 999,999,488
  EXPECT_EQ(SizeTextFromGeometry(Geometry(1953125, 1, 1, 512)), "1GB");  // exactly 10^9
  EXPECT_EQ(SizeTextFromGeometry(Geometry(0, 0, 0, 0)), "0GB");
  // A garbage geometry wraps in unsigned arithmetic and still gives digits.
  EXPECT_EQ(SizeTextFromGeometry(Geometry(-1, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF)), "18446744060GB");

  EXPECT_EQ(DriveCaption("ST380011A", "80GB"), "ST380011A (80GB)");
  EXPECT_EQ(DriveCaption(" ST380011A ", ""), "ST380011A ()");
}

TEST(SmartData, VerdictComparesWorstWithTheThresholdExceptForTemperatures) {
  auto judge = [](int id, int current, int worst, int threshold) {
    Attribute a;
    a.id = static_cast<uint8_t>(id);
    a.current = static_cast<uint8_t>(current);
    a.worst = static_cast<uint8_t>(worst);
    return std::string(JudgeSmartAttribute(a, static_cast<uint8_t>(threshold)));
  };
  EXPECT_EQ(judge(5, 200, 100, 100), "Failed");  // equality fails, current plays no part
  EXPECT_EQ(judge(5, 1, 101, 100), "OK");
  EXPECT_EQ(judge(1, 0, 0, 0), "Failed");
  EXPECT_EQ(judge(9, 255, 255, 254), "OK");  // unsigned
  EXPECT_EQ(judge(9, 128, 128, 200), "Failed");
  EXPECT_EQ(judge(194, 0, 0, 255), "OK");
  EXPECT_EQ(judge(190, 0, 0, 0), "OK");
  EXPECT_EQ(judge(231, 50, 50, 50), "Failed");  // named a temperature, judged all the same
}

TEST(SmartData, NamesCoverTheTableAndEveryOtherIdIsUndefined) {
  const std::string undefined = "정의되지 않은 속성";
  EXPECT_STREQ(SmartAttributeName(1), "Raw Read Error Rate");
  EXPECT_STREQ(SmartAttributeName(13), "Read Soft Error Rate");
  EXPECT_STREQ(SmartAttributeName(192), "Power-Off Retract Count");
  EXPECT_STREQ(SmartAttributeName(228), "Power-off Retract Count");
  EXPECT_STREQ(SmartAttributeName(209), "Offline Seek Performnce");
  EXPECT_STREQ(SmartAttributeName(250), "Read Error Retry Rate");
  for (int id : {190, 194, 231}) EXPECT_STREQ(SmartAttributeName(id), "Temperature Celsius");
  int named = 0;
  for (int id = 0; id < 256; ++id) {
    const bool gap = id == 0 || (id >= 14 && id <= 189) || (id >= 210 && id <= 219) ||
                     id == 229 || (id >= 232 && id <= 239) || (id >= 241 && id <= 249) ||
                     id >= 251;
    EXPECT_EQ(SmartAttributeName(id) == undefined, gap) << id;
    named += !gap;
  }
  EXPECT_EQ(named, 46);
}

TEST(SmartData, RowsPairThresholdsByPositionAndFormatDataAndRawBytes) {
  const Sector values = Values({
      {1, 100, 100, {0x1A, 0, 0, 0, 0, 0}},
      {0, 99, 99, {1, 2, 3, 4, 5, 6}},  // an empty slot in the middle
      {9, 76, 76, {0x00, 0x00, 0x00, 0x80, 0xFF, 0xEE}},
      {5, 63, 63, {0xFF, 0xFF, 0xFF, 0x7F, 0x12, 0x34}},
  });
  // Threshold slot 2 carries another id: it still belongs to attribute slot 2.
  const Sector thresholds = Thresholds({{1, 6}, {0, 0}, {200, 76}, {5, 63}});
  const std::vector<AttributeRow> rows = AttributeRows(values, thresholds);
  ASSERT_EQ(rows.size(), 3u);
  const AttributeRow& first = rows[0];
  EXPECT_EQ(first.id, "1");
  EXPECT_EQ(first.name, "Raw Read Error Rate");
  EXPECT_EQ(first.current, "100");
  EXPECT_EQ(first.worst, "100");
  EXPECT_EQ(first.threshold, "6");
  EXPECT_EQ(first.data, "26");
  EXPECT_EQ(first.verdict, "OK");
  EXPECT_EQ(first.raw, "1A 00 00 00 00 00 ");

  EXPECT_EQ(rows[1].id, "9");
  EXPECT_EQ(rows[1].threshold, "76");
  EXPECT_EQ(rows[1].verdict, "Failed");
  EXPECT_EQ(rows[1].data, "-2147483648");  // raw bytes 4 and 5 do not count
  EXPECT_EQ(rows[1].raw, "00 00 00 80 FF EE ");
  EXPECT_EQ(rows[2].data, "2147483647");
  EXPECT_TRUE(AnyFailed(rows));

  // All slots empty: no rows and nothing failed.
  EXPECT_TRUE(AttributeRows(Sector{}, Sector{}).empty());
  EXPECT_FALSE(AnyFailed(AttributeRows(Sector{}, thresholds)));
  // All thirty slots, the last one included.
  Sector full = {};
  for (int slot = 0; slot < kSlotCount; ++slot) full[2 + 12 * slot] = static_cast<uint8_t>(slot + 1);
  const std::vector<AttributeRow> all = AttributeRows(full, Sector{});
  ASSERT_EQ(all.size(), 30u);
  EXPECT_EQ(all.back().id, "30");
}

TEST(SmartData, TemperatureIsRawByteZeroOfTheLastId194) {
  EXPECT_EQ(SmartTemperature(Values({{194, 38, 51, {38, 0xFF, 0x12, 0xFF, 0x33, 0xFF}}})), 38);
  EXPECT_EQ(SmartTemperature(Values({{194, 1, 1, {200, 0, 0, 0, 0, 0}}})), 200);  // unsigned
  EXPECT_EQ(SmartTemperature(Values({{194, 0, 0, {30, 0, 0, 0, 0, 0}},
                                     {5, 0, 0, {0, 0, 0, 0, 0, 0}},
                                     {194, 0, 0, {41, 0, 0, 0, 0, 0}}})),
            41);
  EXPECT_EQ(SmartTemperature(Values({{190, 0, 0, {35, 0, 0, 0, 0, 0}},
                                     {231, 0, 0, {36, 0, 0, 0, 0, 0}}})),
            std::nullopt);
  EXPECT_EQ(SmartTemperature(Sector{}), std::nullopt);
}

}  // namespace

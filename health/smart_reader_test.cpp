// The reader against emulated ATA drives that check every request byte for
// byte: what it sends, what it makes of the answers, and that it closes
// every handle whatever step fails.
#include "health/smart_reader.h"

#include <gtest/gtest.h>

#include "health/emulated_ata_drive.h"

using namespace smart;

namespace {

using Log = std::vector<std::string>;

class SmartReaderTest : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(drives.Violations(), Log{});
    EXPECT_EQ(drives.OpenHandles(), 0);
  }
  std::string Caption(int drive) {
    std::string caption = "<not offered>";
    if (!reader.EnumerateSmartDrive(drive, &caption)) EXPECT_EQ(caption, "<not offered>");
    return caption;
  }

  EmulatedAtaDrives drives;
  SmartReader reader{drives, PlatformFamily::kNt};
};

TEST_F(SmartReaderTest, ProbeOffersModelAndSizeWithoutEnablingSmart) {
  drives.Attach(0, HealthyDisk());
  EXPECT_EQ(Caption(0), "ST380011A (80GB)");
  EXPECT_EQ(drives.Log(), (Log{"open PhysicalDrive0 rw", "version", "identify 0xEC",
                               "open PhysicalDrive0 query", "geometry", "close", "close"}));
  drives.ClearLog();
  EXPECT_EQ(Caption(1), "<not offered>");  // nothing attached
  EXPECT_EQ(drives.Log(), Log{"open PhysicalDrive1 rw -> failed"});
  EXPECT_EQ(Caption(4), "<not offered>");
  EXPECT_EQ(Caption(-1), "<not offered>");
}

TEST_F(SmartReaderTest, ProbeOutcomesFollowEachFailingStep) {
  EmulatedDisk blank = HealthyDisk();
  blank.model = std::string(40, ' ');
  drives.Attach(1, blank);
  EXPECT_EQ(Caption(1), "<not offered>");

  const struct {
    Step step;
    const char* caption;
  } cases[] = {
      {Step::kOpen, "<not offered>"},      {Step::kVersion, "<not offered>"},
      {Step::kIdentify, "<not offered>"},  {Step::kQueryOpen, "<not offered>"},
      {Step::kGeometry, "ST380011A ()"},
      // Steps the probe does not take change nothing.
      {Step::kEnable, "ST380011A (80GB)"}, {Step::kReadValues, "ST380011A (80GB)"},
  };
  for (const auto& c : cases) {
    EmulatedDisk disk = HealthyDisk();
    disk.failing = {c.step};
    drives.Attach(2, disk);
    EXPECT_EQ(Caption(2), c.caption) << static_cast<int>(c.step);
    EXPECT_EQ(drives.OpenHandles(), 0) << static_cast<int>(c.step);
  }

  EmulatedDisk small = HealthyDisk();
  small.cylinders = 1953124;  // 999,999,488 bytes
  small.tracksPerCylinder = 1;
  small.sectorsPerTrack = 1;
  drives.Attach(3, small);
  EXPECT_EQ(Caption(3), "ST380011A (0GB)");
}

TEST_F(SmartReaderTest, PacketDeviceIsIdentifiedWithA1OnAnOddDrive) {
  EmulatedDisk atapi;
  atapi.model = "LS-120 COSM   04              UHD Floppy";
  atapi.packet = true;
  atapi.cylinders = 963;
  atapi.tracksPerCylinder = 8;
  atapi.sectorsPerTrack = 32;
  atapi.bytesPerSector = 512;
  drives.Attach(0, HealthyDisk());
  drives.Attach(1, atapi);
  EXPECT_EQ(Caption(1), "LS-120 COSM   04              UHD Floppy (0GB)");
  EXPECT_EQ(drives.Log()[2], "identify 0xA1");
  // It has no S.M.A.R.T.: the enable is refused and nothing is read.
  SmartSectors sectors;
  EXPECT_FALSE(reader.ReadSmartData(1, &sectors));
}

TEST_F(SmartReaderTest, ReadEnablesThenReadsBothSectors) {
  drives.Attach(1, WornDisk());
  SmartSectors sectors;
  ASSERT_TRUE(reader.ReadSmartData(1, &sectors));
  EXPECT_EQ(drives.Log(), (Log{"open PhysicalDrive1 rw", "version", "enable", "read values",
                               "read thresholds", "close"}));
  EXPECT_EQ(sectors.values, WornDisk().sectors.values);
  EXPECT_EQ(sectors.thresholds, WornDisk().sectors.thresholds);
  const std::vector<AttributeRow> rows = AttributeRows(sectors.values, sectors.thresholds);
  ASSERT_EQ(rows.size(), 18u);
  EXPECT_EQ(rows[2].name, "Reallocated Sector Ct");
  EXPECT_EQ(rows[2].verdict, "Failed");
  EXPECT_EQ(SmartTemperature(sectors.values), 45);
}

TEST_F(SmartReaderTest, ReadFailsOnEachFailingStepAndLeavesTheSectorsAlone) {
  for (Step step : {Step::kOpen, Step::kEnable, Step::kReadValues, Step::kReadThresholds}) {
    EmulatedDisk disk = HealthyDisk();
    disk.failing = {step};
    drives.Attach(0, disk);
    SmartSectors sectors;
    sectors.values.fill(0x5A);
    EXPECT_FALSE(reader.ReadSmartData(0, &sectors)) << static_cast<int>(step);
    EXPECT_EQ(sectors.values[100], 0x5A);
    EXPECT_EQ(drives.OpenHandles(), 0);
  }
  drives.ClearLog();
  // The version query's answer is not needed for a read.
  EmulatedDisk disk = HealthyDisk();
  disk.failing = {Step::kVersion, Step::kGeometry, Step::kQueryOpen, Step::kIdentify};
  drives.Attach(0, disk);
  SmartSectors sectors;
  EXPECT_TRUE(reader.ReadSmartData(0, &sectors));
  EXPECT_EQ(SmartTemperature(sectors.values), 38);
  EXPECT_EQ(drives.Log()[1], "version -> failed");
}

TEST_F(SmartReaderTest, Windows9xTalksThroughSmartvsdWithTheDriveInTheBlock) {
  EmulatedAtaDrives vsd(PlatformFamily::kWin9x);
  vsd.Attach(1, HealthyDisk());
  const SmartReader reader9x(vsd, PlatformFamily::kWin9x);
  SmartSectors sectors;
  ASSERT_TRUE(reader9x.ReadSmartData(1, &sectors));
  EXPECT_EQ(vsd.Log(), (Log{"open SMARTVSD", "version", "enable", "read values",
                            "read thresholds", "close"}));
  EXPECT_FALSE(reader9x.ReadSmartData(0, &sectors));  // no drive 0 behind the driver
  // The geometry query needs the NT device path, which 95/98/ME lack.
  std::string caption;
  EXPECT_FALSE(reader9x.EnumerateSmartDrive(1, &caption));
  EXPECT_EQ(vsd.Violations(), Log{});
  EXPECT_EQ(vsd.OpenHandles(), 0);
}

}  // namespace

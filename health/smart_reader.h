// SmartReader: probes the first four physical drives for their model and
// size, and reads the attribute and threshold sectors of one drive, through
// the drive-command seam. It keeps no state between calls: every operation
// opens the drive, issues its commands and closes the drive again, on every
// path. It shows nothing; every failure is a false result for the caller.
// Pure code: the platform family is handed in.
#pragma once
#include <string>

#include "health/drive_commands.h"
#include "health/smart_data.h"

namespace smart {

enum class PlatformFamily {
  kNt,     // S.M.A.R.T. through "\\.\PhysicalDriveN"
  kWin9x,  // S.M.A.R.T. through the "\\.\SMARTVSD" driver
};

// The two sectors of one reading.
struct SmartSectors {
  Sector values = {};
  Sector thresholds = {};
};

class SmartReader {
 public:
  SmartReader(DriveCommands& commands, PlatformFamily family)
      : commands_(&commands), family_(family) {}

  // Opens drive (0..3) for S.M.A.R.T. commands: on the NT line
  // "\\.\PhysicalDrive<drive>" for reading and writing, shared, existing; on
  // 95/98/ME "\\.\SMARTVSD" (the drive number then travels in the command
  // blocks only). Not open on failure.
  Device OpenSmartDevice(int drive) const;

  // The caption "<model> (<size>)" of a drive that answers the identify
  // command with a model name and whose device opens a second time for the
  // geometry query; a failed geometry query leaves the size empty. False
  // (the drive is not offered) otherwise. Never sends the enable command.
  bool EnumerateSmartDrive(int drive, std::string* caption) const;

  // Enables S.M.A.R.T. operations and reads both sectors of drive. False when
  // the device does not open or the enable or either read fails; the sectors
  // are then left as they were.
  bool ReadSmartData(int drive, SmartSectors* sectors) const;

 private:
  // Sends command to drive through device into reply (ReplySizeOf bytes,
  // zeroed first).
  bool Send(const Device& device, Command command, int drive, uint8_t* reply) const;

  DriveCommands* commands_;
  PlatformFamily family_;
};

}  // namespace smart

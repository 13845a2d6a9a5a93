// Emulated ATA drives behind the drive-command seam, for the tests and the
// demo program only (never linked into the shipped Spruce.exe). They answer
// the version query, identify, S.M.A.R.T. enable, read-values,
// read-thresholds and geometry requests as a real IDE disk behind the
// platform's driver does, from real attribute data, and check every request
// byte for byte against the protocol: a command block, size or access mode
// that a real driver would take differently is recorded as a violation and
// refused. Any step can be made to fail. Pure code.
#pragma once
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "health/drive_commands.h"
#include "health/smart_data.h"
#include "health/smart_reader.h"

namespace smart {

// One attribute as the drive keeps it; the threshold goes to the threshold
// sector's slot of the same position.
struct EmulatedAttribute {
  uint8_t id;
  uint16_t flags;
  uint8_t current;
  uint8_t worst;
  uint8_t threshold;
  uint64_t raw;  // the low 48 bits are raw bytes 0..5
};

// The attribute and threshold sectors of the given attributes, in slot
// order, with the revision words and the checksums a drive writes.
SmartSectors BuildSectors(const std::vector<EmulatedAttribute>& attributes);

// The steps a test can make fail.
enum class Step {
  kOpen,            // the read-write open for S.M.A.R.T. commands
  kQueryOpen,       // the second, query-only open for the geometry
  kVersion,
  kIdentify,
  kEnable,
  kReadValues,
  kReadThresholds,
  kGeometry,
};

struct EmulatedDisk {
  std::string model;     // the identify model field (40 characters, blank-padded)
  std::string serial = "EMU00000001";
  std::string firmware = "1.00";
  bool packet = false;   // an ATAPI device: IDENTIFY PACKET only, no S.M.A.R.T.
  int64_t cylinders = 0;
  uint32_t tracksPerCylinder = 0;
  uint32_t sectorsPerTrack = 0;
  uint32_t bytesPerSector = 0;
  SmartSectors sectors;
  std::set<Step> failing;
};

// An 80 GB IDE disk, model "ST380011A", 9,729 x 255 x 63 x 512 bytes, every
// attribute well above its threshold, 38 degrees (id 194 raw byte 0).
EmulatedDisk HealthyDisk();
// A 120 GB IDE disk, model "Maxtor 6Y120P0", whose reallocated sectors have
// reached their threshold ("Failed"), 45 degrees.
EmulatedDisk WornDisk();

class EmulatedAtaDrives : public DriveCommands {
 public:
  // family: the Windows line the drives sit under; on 95/98/ME only
  // "\\.\SMARTVSD" opens, on the NT line only "\\.\PhysicalDriveN".
  explicit EmulatedAtaDrives(PlatformFamily family = PlatformFamily::kNt) : family_(family) {}

  void Attach(int drive, EmulatedDisk disk);
  void Detach(int drive);
  // The attached disk, or null.
  EmulatedDisk* Disk(int drive);

  bool Open(const std::string& path, uint32_t access, uint32_t share, uint32_t disposition,
            DeviceHandle* device) override;
  bool Control(DeviceHandle device, uint32_t code, const void* input, uint32_t inputSize,
               void* output, uint32_t outputSize) override;
  void Close(DeviceHandle device) override;

  // One line per request in order: "open PhysicalDrive1 rw", "open
  // PhysicalDrive1 query", "open SMARTVSD", "version", "identify 0xEC",
  // "enable", "read values", "read thresholds", "geometry", "close"; a
  // refused request ends in " -> failed".
  const std::vector<std::string>& Log() const { return log_; }
  void ClearLog() { log_.clear(); }
  // Requests no driver would take as made: wrong command bytes, sizes,
  // access modes, unzeroed replies, unknown or closed handles.
  const std::vector<std::string>& Violations() const { return violations_; }
  int OpenHandles() const { return static_cast<int>(open_.size()); }

 private:
  enum class Kind { kSmart, kQuery, kDriver };
  struct OpenDevice {
    Kind kind;
    int drive;  // -1 for the SMARTVSD driver
  };

  bool Fail(const std::string& what);
  bool Refuse(const std::string& what, const std::string& violation);
  bool Version(const OpenDevice& device, void* output, uint32_t outputSize);
  bool DriveCommand(const OpenDevice& device, uint32_t code, const void* input,
                    uint32_t inputSize, void* output, uint32_t outputSize);
  bool Geometry(const OpenDevice& device, uint32_t inputSize, void* output, uint32_t outputSize);

  PlatformFamily family_;
  std::map<int, EmulatedDisk> disks_;
  std::map<DeviceHandle, OpenDevice> open_;
  uintptr_t nextHandle_ = 0x5100;
  std::vector<std::string> log_;
  std::vector<std::string> violations_;
};

// Attaches the demo's drives: HealthyDisk as drive 0, WornDisk as drive 1.
void AttachDemoDrives(EmulatedAtaDrives& drives);

}  // namespace smart

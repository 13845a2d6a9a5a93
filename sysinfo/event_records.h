// The power-on and power-off times of the PC usage-time tool, read from the
// system event log. Pure code: no <windows.h>. The log itself is behind
// EventRecordSource, so the walk over raw records is tested with built
// buffers (the Wine log is always empty) and fuzzed.
#pragma once
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

// Event identifiers the service control manager logs (compared on their low
// 16 bits; the upper bits hold severity and facility, and the source is not
// examined).
constexpr uint32_t kEventLogStarted = 6009;  // the computer was started
constexpr uint32_t kEventLogStopped = 6006;  // the computer was shut down

// Bytes of the fixed part of an event-log record (EVENTLOGRECORD), whose
// fields are little-endian: length at 0, generation time (seconds since
// 1970, UTC) at 12, event identifier at 20.
constexpr size_t kEventRecordHeaderSize = 56;

struct PowerEvent {
  uint32_t timeGenerated;
  bool started;  // 6009; false for 6006
};

// Walks the records of one buffer as read from the log, appending the power
// events in buffer order and skipping every other record. A record whose
// length is smaller than the fixed part, or runs past the end of the buffer,
// ends the walk: nothing is ever read outside [data, data + size).
void WalkEventRecords(const unsigned char* data, size_t size, std::vector<PowerEvent>& out);

// One row of the usage-time list.
struct UsageRow {
  std::string date;  // "%Y-%m-%d"
  std::string time;  // "오전 09:05:00" / "오후 ..."
  std::string what;  // "켜진시간" or "꺼진시간"
  bool started;
};

// Turns a generation time into local broken-down time; false when it can't.
using LocalTimeFn = bool (*)(uint32_t secondsSince1970, std::tm& local);
// The C runtime's localtime (false when it returns null).
bool RuntimeLocalTime(uint32_t secondsSince1970, std::tm& local);

// The row of an event; false (no row) when its time can't be converted.
bool MakeUsageRow(const PowerEvent& event, UsageRow& row, LocalTimeFn toLocal = RuntimeLocalTime);

// Where the records come from: the "System" log of this computer, or built
// buffers in the tests.
class EventRecordSource {
 public:
  virtual ~EventRecordSource() = default;
  virtual bool Open() = 0;
  // Reads the next records, newest first, into buffer (64 KiB as given; a
  // source may grow it to fit a larger record); bytesRead says how much of
  // it holds records. False at the end of the log or on failure.
  virtual bool ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) = 0;
  virtual void Close() = 0;
};

// Reads the whole log backwards and returns its rows, newest first. Opens
// the source (nothing when that fails), switches the process's C locale to
// "Korean" for all categories (kept for the rest of the run), reads until a
// read fails or returns no bytes, and closes the source.
std::vector<UsageRow> ReadUsageRows(EventRecordSource& source,
                                    LocalTimeFn toLocal = RuntimeLocalTime);

// The size of each read.
constexpr size_t kEventReadBufferSize = 0x10000;

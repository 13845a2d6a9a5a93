#include "sysinfo/event_records.h"

#include <clocale>

#include "sysinfo/korean_time.h"

namespace {

uint32_t ReadLe32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

constexpr size_t kTimeGeneratedOffset = 12;
constexpr size_t kEventIdOffset = 20;

}  // namespace

void WalkEventRecords(const unsigned char* data, size_t size, std::vector<PowerEvent>& out) {
  if (!data) return;
  size_t offset = 0;
  while (size - offset >= kEventRecordHeaderSize) {
    const unsigned char* record = data + offset;
    const uint32_t length = ReadLe32(record);
    if (length < kEventRecordHeaderSize || length > size - offset) return;
    const uint32_t id = ReadLe32(record + kEventIdOffset) & 0xFFFF;
    if (id == kEventLogStarted || id == kEventLogStopped)
      out.push_back({ReadLe32(record + kTimeGeneratedOffset), id == kEventLogStarted});
    offset += length;
  }
}

bool RuntimeLocalTime(uint32_t secondsSince1970, std::tm& local) {
  const std::time_t t = static_cast<std::time_t>(secondsSince1970);
  // A time the runtime's time_t can't hold (a 32-bit one past 2038) would
  // come back negative; localtime may also fail. Either way: no row.
  if (t < 0 || static_cast<uint32_t>(t) != secondsSince1970) return false;
  const std::tm* converted = std::localtime(&t);
  if (!converted) return false;
  local = *converted;
  return true;
}

bool MakeUsageRow(const PowerEvent& event, UsageRow& row, LocalTimeFn toLocal) {
  std::tm local = {};
  if (!toLocal || !toLocal(event.timeGenerated, local)) return false;
  row.date = KoreanDate(local);
  row.time = KoreanClock(local);
  row.what = event.started ? "켜진시간" : "꺼진시간";
  row.started = event.started;
  return true;
}

std::vector<UsageRow> ReadUsageRows(EventRecordSource& source, LocalTimeFn toLocal) {
  std::vector<UsageRow> rows;
  if (!source.Open()) return rows;
  std::setlocale(LC_ALL, "Korean");
  std::vector<unsigned char> buffer(kEventReadBufferSize);
  std::vector<PowerEvent> events;
  size_t bytesRead = 0;
  // A read that succeeds with no bytes would succeed again forever: it ends
  // the reading like the end of the log does.
  while (source.ReadBackwards(buffer, bytesRead) && bytesRead > 0) {
    events.clear();
    WalkEventRecords(buffer.data(), bytesRead < buffer.size() ? bytesRead : buffer.size(), events);
    for (const PowerEvent& event : events) {
      UsageRow row;
      if (MakeUsageRow(event, row, toLocal)) rows.push_back(row);
    }
  }
  source.Close();
  return rows;
}

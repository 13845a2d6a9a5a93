// Walks arbitrary bytes as event-log records, whole and in read-sized
// pieces handed out by a source; every event found must map to a row or be
// skipped, and nothing may be read outside the bytes given.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "sysinfo/event_records.h"

namespace {

void Expect(bool ok) {
  if (!ok) std::abort();
}

bool Utc(uint32_t seconds, std::tm& out) {
  std::time_t t = seconds;
  return gmtime_r(&t, &out) != nullptr;
}

// Hands the input out in pieces whose sizes come from its first byte.
class PieceSource : public EventRecordSource {
 public:
  PieceSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Open() override { return true; }
  bool ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) override {
    if (offset_ >= size_) return false;
    const size_t piece = 1 + (size_ > 0 ? data_[0] % 97 : 0) * 13;
    bytesRead = std::min({piece, size_ - offset_, buffer.size()});
    std::copy(data_ + offset_, data_ + offset_ + bytesRead, buffer.begin());
    offset_ += bytesRead;
    return true;
  }
  void Close() override {}

 private:
  const uint8_t* data_;
  size_t size_;
  size_t offset_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the end is caught.
  std::vector<unsigned char> exact(data, data + size);
  std::vector<PowerEvent> events;
  WalkEventRecords(exact.data(), exact.size(), events);
  Expect(events.size() <= size / kEventRecordHeaderSize);
  for (const PowerEvent& e : events) {
    UsageRow row;
    if (MakeUsageRow(e, row, Utc)) Expect(row.started == e.started && !row.date.empty());
  }
  PieceSource source(data, size);
  Expect(ReadUsageRows(source, Utc).size() <= size / kEventRecordHeaderSize);
  return 0;
}

// Test support for the usage-time tool: event-log records built byte by
// byte, and a record source that hands out prepared buffers. Pure code.
#pragma once
#include <algorithm>
#include <deque>
#include <initializer_list>
#include <vector>

#include "sysinfo/event_records.h"

namespace testing_support {

using RecordBytes = std::vector<unsigned char>;

inline void PutLe32(RecordBytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// One record: the fixed part, then extra bytes (source name, strings) that
// a walk must step over.
inline RecordBytes EventRecord(uint32_t eventId, uint32_t timeGenerated, size_t extra = 20) {
  RecordBytes r(kEventRecordHeaderSize + extra, 0xCC);
  PutLe32(r, 0, static_cast<uint32_t>(r.size()));
  PutLe32(r, 4, 0x654C664C);  // "LfLe"
  PutLe32(r, 8, 1);
  PutLe32(r, 12, timeGenerated);
  PutLe32(r, 16, timeGenerated);
  PutLe32(r, 20, eventId);
  return r;
}

inline RecordBytes JoinRecords(std::initializer_list<RecordBytes> parts) {
  RecordBytes all;
  for (const RecordBytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A log that hands out the queued buffers, one per read, then ends.
class QueuedRecordSource : public EventRecordSource {
 public:
  std::deque<RecordBytes> reads;
  bool opens = true;
  bool zeroForever = false;  // every read succeeds with no bytes (up to 1,000)
  int readCount = 0, closeCount = 0;
  size_t smallestBuffer = static_cast<size_t>(-1);

  bool Open() override { return opens; }
  bool ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) override {
    ++readCount;
    smallestBuffer = std::min(smallestBuffer, buffer.size());
    if (zeroForever) {
      bytesRead = 0;
      return readCount < 1000;
    }
    if (reads.empty() || reads.front().size() > buffer.size()) return false;
    std::copy(reads.front().begin(), reads.front().end(), buffer.begin());
    bytesRead = reads.front().size();
    reads.pop_front();
    return true;
  }
  void Close() override { ++closeCount; }
};

}  // namespace testing_support

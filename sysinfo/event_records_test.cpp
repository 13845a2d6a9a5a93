#include "sysinfo/event_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

namespace {

using Bytes = std::vector<unsigned char>;

void Put32(Bytes& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// One event-log record: the fixed part, then extra bytes (source name,
// strings) that the walk must step over.
Bytes Record(uint32_t eventId, uint32_t timeGenerated, size_t extra = 20) {
  Bytes r(kEventRecordHeaderSize + extra, 0xCC);
  Put32(r, 0, static_cast<uint32_t>(r.size()));
  Put32(r, 4, 0x654C664C);  // "LfLe"
  Put32(r, 8, 1);
  Put32(r, 12, timeGenerated);
  Put32(r, 16, timeGenerated);
  Put32(r, 20, eventId);
  return r;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

bool Utc(uint32_t seconds, std::tm& out) {
  std::time_t t = seconds;
  return gmtime_r(&t, &out) != nullptr;
}

// A log that hands out prepared buffers, one per read.
class FakeLog : public EventRecordSource {
 public:
  std::deque<Bytes> reads;
  bool opens = true;
  bool zeroForever = false;  // every read succeeds with no bytes
  int readCount = 0, closeCount = 0;

  bool Open() override { return opens; }
  bool ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) override {
    ++readCount;
    EXPECT_EQ(buffer.size(), kEventReadBufferSize);
    if (zeroForever) {
      bytesRead = 0;
      return readCount < 1000;
    }
    if (reads.empty()) return false;
    Bytes next = reads.front();
    reads.pop_front();
    std::copy(next.begin(), next.end(), buffer.begin());
    bytesRead = next.size();
    return true;
  }
  void Close() override { ++closeCount; }
};

// 2024-03-05 14:03:04, 09:00:00 and 2024-03-04 23:59:59 UTC.
constexpr uint32_t kNewest = 1709647384, kMiddle = 1709629200, kOldest = 1709596799;

TEST(EventRecords, StartsAndShutdownsBecomeRowsNewestFirstWhateverTheUpperBits) {
  FakeLog log;
  log.reads.push_back(Join({Record(0x80000000 | 6009, kNewest), Record(7036, kNewest - 5),
                            Record(0x40000000 | 6006, kMiddle)}));
  log.reads.push_back(Join({Record(0xC0010000 | 6009, kOldest, 0), Record(6005, kOldest - 1)}));
  std::vector<UsageRow> rows = ReadUsageRows(log, Utc);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].date, "2024-03-05");
  EXPECT_EQ(rows[0].time, "오후 02:03:04");
  EXPECT_EQ(rows[0].what, "켜진시간");
  EXPECT_TRUE(rows[0].started);
  EXPECT_EQ(rows[1].time, "오전 09:00:00");
  EXPECT_EQ(rows[1].what, "꺼진시간");
  EXPECT_FALSE(rows[1].started);
  EXPECT_EQ(rows[2].date, "2024-03-04");
  EXPECT_EQ(rows[2].time, "오후 11:59:59");
  EXPECT_EQ(rows[2].what, "켜진시간");
  EXPECT_EQ(log.closeCount, 1);
}

TEST(EventRecords, BrokenLengthsEndTheWalkInsideTheBuffer) {
  const Bytes good = Record(6009, kNewest);
  auto walk = [](const Bytes& b) {
    std::vector<PowerEvent> events;
    WalkEventRecords(b.data(), b.size(), events);
    return events.size();
  };
  EXPECT_EQ(walk(Join({good, good})), 2u);

  Bytes zero = Record(6006, kMiddle);
  Put32(zero, 0, 0);  // would never advance
  EXPECT_EQ(walk(Join({good, zero, good})), 1u);

  Bytes small = Record(6006, kMiddle);
  Put32(small, 0, kEventRecordHeaderSize - 4);
  EXPECT_EQ(walk(Join({good, small, good})), 1u);

  Bytes long_ = Record(6006, kMiddle);
  Put32(long_, 0, static_cast<uint32_t>(long_.size() + 1));  // one byte past the end
  EXPECT_EQ(walk(Join({good, long_})), 1u);
  Put32(long_, 0, 0xFFFFFFF0);
  EXPECT_EQ(walk(Join({good, long_})), 1u);

  // Cut inside the fixed part, and inside the extra bytes, of the last record.
  Bytes cut = Join({good, good});
  cut.resize(good.size() + 30);
  EXPECT_EQ(walk(cut), 1u);
  cut = Join({good, good});
  cut.pop_back();
  EXPECT_EQ(walk(cut), 1u);

  std::vector<PowerEvent> none;
  WalkEventRecords(nullptr, 100, none);
  WalkEventRecords(good.data(), 0, none);
  EXPECT_TRUE(none.empty());
}

bool FailsForMiddle(uint32_t seconds, std::tm& out) { return seconds != kMiddle && Utc(seconds, out); }

TEST(EventRecords, ATimeThatCannotBeConvertedSkipsOnlyItsRecord) {
  FakeLog log;
  log.reads.push_back(
      Join({Record(6009, kNewest), Record(6006, kMiddle), Record(6009, kOldest)}));
  std::vector<UsageRow> rows = ReadUsageRows(log, FailsForMiddle);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].time, "오후 02:03:04");
  EXPECT_EQ(rows[1].time, "오후 11:59:59");

  UsageRow row;
  EXPECT_FALSE(MakeUsageRow({kNewest, true}, row, nullptr));
}

TEST(EventRecords, ReadingStopsAtAnEmptyReadAndNeverStartsWithoutALog) {
  FakeLog empty;
  empty.zeroForever = true;
  EXPECT_TRUE(ReadUsageRows(empty, Utc).empty());
  EXPECT_EQ(empty.readCount, 1);
  EXPECT_EQ(empty.closeCount, 1);

  FakeLog closed;
  closed.opens = false;
  closed.reads.push_back(Record(6009, kNewest));
  EXPECT_TRUE(ReadUsageRows(closed, Utc).empty());
  EXPECT_EQ(closed.readCount, 0);
  EXPECT_EQ(closed.closeCount, 0);

  // An empty log: the first read fails at once (as under Wine).
  FakeLog none;
  EXPECT_TRUE(ReadUsageRows(none, Utc).empty());
  EXPECT_EQ(none.readCount, 1);
}

}  // namespace

#include "sysinfo/event_records.h"

#include <gtest/gtest.h>

#include "sysinfo/event_records_testing.h"

namespace {

using testing_support::EventRecord;
using testing_support::JoinRecords;
using Bytes = testing_support::RecordBytes;

bool Utc(uint32_t seconds, std::tm& out) {
  std::time_t t = seconds;
  return gmtime_r(&t, &out) != nullptr;
}

using FakeLog = testing_support::QueuedRecordSource;

// 2024-03-05 14:03:04, 09:00:00 and 2024-03-04 23:59:59 UTC.
constexpr uint32_t kNewest = 1709647384, kMiddle = 1709629200, kOldest = 1709596799;

TEST(EventRecords, StartsAndShutdownsBecomeRowsNewestFirstWhateverTheUpperBits) {
  FakeLog log;
  log.reads.push_back(
      JoinRecords({EventRecord(0x80000000 | 6009, kNewest), EventRecord(7036, kNewest - 5),
                   EventRecord(0x40000000 | 6006, kMiddle)}));
  log.reads.push_back(
      JoinRecords({EventRecord(0xC0010000 | 6009, kOldest, 0), EventRecord(6005, kOldest - 1)}));
  std::vector<UsageRow> rows = ReadUsageRows(log, Utc);
  EXPECT_EQ(log.smallestBuffer, kEventReadBufferSize);
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
  const Bytes good = EventRecord(6009, kNewest);
  auto walk = [](const Bytes& b) {
    std::vector<PowerEvent> events;
    WalkEventRecords(b.data(), b.size(), events);
    return events.size();
  };
  EXPECT_EQ(walk(JoinRecords({good, good})), 2u);

  Bytes zero = EventRecord(6006, kMiddle);
  testing_support::PutLe32(zero, 0, 0);  // would never advance
  EXPECT_EQ(walk(JoinRecords({good, zero, good})), 1u);

  Bytes small = EventRecord(6006, kMiddle);
  testing_support::PutLe32(small, 0, kEventRecordHeaderSize - 4);
  EXPECT_EQ(walk(JoinRecords({good, small, good})), 1u);

  Bytes long_ = EventRecord(6006, kMiddle);
  testing_support::PutLe32(long_, 0,
                           static_cast<uint32_t>(long_.size() + 1));  // one byte past the end
  EXPECT_EQ(walk(JoinRecords({good, long_})), 1u);
  testing_support::PutLe32(long_, 0, 0xFFFFFFF0);
  EXPECT_EQ(walk(JoinRecords({good, long_})), 1u);

  // Cut inside the fixed part, and inside the extra bytes, of the last record.
  Bytes cut = JoinRecords({good, good});
  cut.resize(good.size() + 30);
  EXPECT_EQ(walk(cut), 1u);
  cut = JoinRecords({good, good});
  cut.pop_back();
  EXPECT_EQ(walk(cut), 1u);

  std::vector<PowerEvent> none;
  WalkEventRecords(nullptr, 100, none);
  WalkEventRecords(good.data(), 0, none);
  EXPECT_TRUE(none.empty());
}

bool FailsForMiddle(uint32_t seconds, std::tm& out) {
  return seconds != kMiddle && Utc(seconds, out);
}

TEST(EventRecords, ATimeThatCannotBeConvertedSkipsOnlyItsRecord) {
  FakeLog log;
  log.reads.push_back(JoinRecords(
      {EventRecord(6009, kNewest), EventRecord(6006, kMiddle), EventRecord(6009, kOldest)}));
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
  closed.reads.push_back(EventRecord(6009, kNewest));
  EXPECT_TRUE(ReadUsageRows(closed, Utc).empty());
  EXPECT_EQ(closed.readCount, 0);
  EXPECT_EQ(closed.closeCount, 0);

  // An empty log: the first read fails at once (as under Wine).
  FakeLog none;
  EXPECT_TRUE(ReadUsageRows(none, Utc).empty());
  EXPECT_EQ(none.readCount, 1);
}

}  // namespace

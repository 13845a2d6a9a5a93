// The real event-record source of the usage-time tool: the "System" event
// log of this computer, read sequentially and backwards (newest first).
#pragma once
#include <windows.h>

#include "sysinfo/event_records.h"

class SystemEventLog : public EventRecordSource {
 public:
  SystemEventLog() = default;
  SystemEventLog(const SystemEventLog&) = delete;
  SystemEventLog& operator=(const SystemEventLog&) = delete;
  ~SystemEventLog() override { Close(); }

  bool Open() override;
  // A record larger than the buffer grows the buffer to fit it (up to
  // kLargestRecord) instead of ending the reading early: the older events
  // behind it would otherwise go missing without a word.
  bool ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) override;
  void Close() override;

  static constexpr DWORD kLargestRecord = 1u << 20;

 private:
  HANDLE log_ = nullptr;
};

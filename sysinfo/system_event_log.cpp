#include "sysinfo/system_event_log.h"

bool SystemEventLog::Open() {
  Close();
  log_ = OpenEventLogA(nullptr, "System");
  return log_ != nullptr;
}

bool SystemEventLog::ReadBackwards(std::vector<unsigned char>& buffer, size_t& bytesRead) {
  if (!log_ || buffer.empty()) return false;
  const DWORD flags = EVENTLOG_SEQUENTIAL_READ | EVENTLOG_BACKWARDS_READ;
  DWORD read = 0, needed = 0;
  BOOL ok = ReadEventLogA(log_, flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                          &needed);
  if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && needed > buffer.size() &&
      needed <= kLargestRecord) {
    buffer.resize(needed);
    ok = ReadEventLogA(log_, flags, 0, buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                       &needed);
  }
  if (!ok) return false;
  bytesRead = read;
  return true;
}

void SystemEventLog::Close() {
  if (log_) CloseEventLog(log_);
  log_ = nullptr;
}

// Test helper: the calling process's peak working set in bytes (0 when it
// can't be read), through the kernel's K32GetProcessMemoryInfo, looked up
// so the tests need no psapi.
#pragma once
#include <windows.h>

inline SIZE_T PeakWorkingSet() {
  struct {  // the leading fields of PROCESS_MEMORY_COUNTERS
    DWORD cb, pageFaultCount;
    SIZE_T peakWorkingSetSize, workingSetSize, others[6];
  } counters = {};
  counters.cb = sizeof counters;
  using Query = BOOL(WINAPI*)(HANDLE, void*, DWORD);
  auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "K32GetProcessMemoryInfo")));
  return query && query(GetCurrentProcess(), &counters, sizeof counters)
             ? counters.peakWorkingSetSize
             : 0;
}

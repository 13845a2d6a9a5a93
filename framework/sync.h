// Mutual exclusion for the few fields that two threads share. The shipped
// programs are built with the compilers' Win32 thread model, whose standard
// library has no std::mutex (the posix model's runtime needs Windows Vista
// and would keep the programs from loading on Windows 95 to XP), so the
// programs lock with a critical section, as Windows 95 has it.
#pragma once
#include <windows.h>

namespace fw {

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;

  void Lock() { EnterCriticalSection(&section_); }
  void Unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

// Holds a critical section for a scope.
class ScopedLock {
 public:
  explicit ScopedLock(CriticalSection& section) : section_(section) { section_.Lock(); }
  ~ScopedLock() { section_.Unlock(); }
  ScopedLock(const ScopedLock&) = delete;
  ScopedLock& operator=(const ScopedLock&) = delete;

 private:
  CriticalSection& section_;
};

}  // namespace fw

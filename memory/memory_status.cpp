#include "memory/memory_status.h"

namespace {

using GlobalMemoryStatusExFunction = BOOL(WINAPI*)(MEMORYSTATUSEX*);

bool IsNineXLine() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

MEMORYSTATUS ThirtyTwoBitStatus() {
  MEMORYSTATUS status = {};
  status.dwLength = sizeof status;
  GlobalMemoryStatus(&status);
  return status;
}

bool QueryWithEx(MemoryFigures& figures) {
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  auto query = kernel ? reinterpret_cast<GlobalMemoryStatusExFunction>(
                            reinterpret_cast<void*>(GetProcAddress(kernel, "GlobalMemoryStatusEx")))
                      : nullptr;
  if (!query) return false;
  MEMORYSTATUSEX status = {};
  status.dwLength = sizeof status;
  if (!query(&status)) return false;
  figures.totalPhysical = status.ullTotalPhys;
  figures.availablePhysical = status.ullAvailPhys;
  figures.totalVirtual = status.ullTotalVirtual;
  figures.availableVirtual = status.ullAvailVirtual;
  return true;
}

// Writes zero to every byte of the block through a volatile pointer: a
// plain memset of memory freed right after is a dead store that an
// optimising compiler may remove, and with it the whole point of the pass.
// Whole words first, then the odd bytes at the end.
void TouchEveryByte(void* block, size_t size) {
  volatile uint32_t* word = static_cast<volatile uint32_t*>(block);
  const size_t words = size / sizeof(uint32_t);
  for (size_t i = 0; i < words; ++i) word[i] = 0;
  volatile uint8_t* byte = static_cast<volatile uint8_t*>(block);
  for (size_t i = words * sizeof(uint32_t); i < size; ++i) byte[i] = 0;
}

}  // namespace

MemoryFigures QueryMemoryFigures(MemoryQuery* used) {
  MemoryFigures figures;
  if (!IsNineXLine() && QueryWithEx(figures)) {
    if (used) *used = MemoryQuery::kGlobalMemoryStatusEx;
    return figures;
  }
  const MEMORYSTATUS status = ThirtyTwoBitStatus();
  figures.totalPhysical = status.dwTotalPhys;
  figures.availablePhysical = status.dwAvailPhys;
  figures.totalVirtual = status.dwTotalVirtual;
  figures.availableVirtual = status.dwAvailVirtual;
  if (used) *used = MemoryQuery::kGlobalMemoryStatus;
  return figures;
}

size_t ClaimTouchAndFree(uint32_t size) {
  // Committed memory: VirtualAlloc fails cleanly (null) when the system
  // cannot back the block, and what it returns can be written without a
  // later failure. Nothing here throws.
  void* block = nullptr;
  while (size > 0 &&
         !(block = VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE))) {
    if (size <= kSmallestBlock) return 0;
    size >>= 1;
  }
  if (!block) return 0;
  TouchEveryByte(block, size);
  VirtualFree(block, 0, MEM_RELEASE);
  return size;
}

size_t FreePhysicalMemory() {
  const MEMORYSTATUS status = ThirtyTwoBitStatus();
  if (status.dwAvailPhys == 0) return 0;
  return ClaimTouchAndFree(FreeingBlockSize(static_cast<uint32_t>(status.dwAvailPhys),
                                            static_cast<uint32_t>(status.dwTotalPhys)));
}

// The memory status of the running Windows, and the freeing pass that
// claims and touches as much physical memory as it can for a moment, so
// that the system moves other programs' idle pages out of memory.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "memory/memory_figures.h"

enum class MemoryQuery {
  kGlobalMemoryStatus,    // the 95/98/ME line, and NT systems without the Ex function
  kGlobalMemoryStatusEx,  // the NT line: 64-bit figures
};

// Reads the figures: on the 95/98/ME line with GlobalMemoryStatus (32-bit
// figures), on the NT line with GlobalMemoryStatusEx. That function is
// looked up at run time, because Windows 95 and NT 4.0 lack it and would
// refuse to load a program that imports it; where it is missing or fails,
// GlobalMemoryStatus answers. `used` (may be null) tells which one did.
MemoryFigures QueryMemoryFigures(MemoryQuery* used = nullptr);

// Commits a block of `size` bytes, halving the size while the allocation
// fails and giving up at kSmallestBlock bytes or less; writes zero to every
// byte of it, so that every page is really handed to the block, and frees
// it at once. Returns the size claimed and touched, 0 when nothing was.
// Never throws.
size_t ClaimTouchAndFree(uint32_t size);

// One freeing pass: the block size from GlobalMemoryStatus (the available
// physical memory, at most the total less 8 MiB), then ClaimTouchAndFree.
// Returns the size claimed; 0 when nothing was available or claimable.
size_t FreePhysicalMemory();

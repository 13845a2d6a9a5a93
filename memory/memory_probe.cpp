// Prints which memory-status query answered and its four figures in bytes,
// for the Windows version Wine reports for this program.
#include <cstdio>

#include "memory/memory_status.h"

int main() {
  MemoryQuery used;
  const MemoryFigures f = QueryMemoryFigures(&used);
  std::printf("%s %llu %llu %llu %llu\n",
              used == MemoryQuery::kGlobalMemoryStatusEx ? "GlobalMemoryStatusEx"
                                                         : "GlobalMemoryStatus",
              static_cast<unsigned long long>(f.totalPhysical),
              static_cast<unsigned long long>(f.availablePhysical),
              static_cast<unsigned long long>(f.totalVirtual),
              static_cast<unsigned long long>(f.availableVirtual));
  return 0;
}

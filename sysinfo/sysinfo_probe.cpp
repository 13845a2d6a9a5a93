// Prints what the system-information probes report under the Windows version
// Wine gives this program: the line ("9x" or "nt"), the processor text, the
// memory figures and the install date (an empty line when there is none).
#include <cstdio>

#include <ctime>

#include "memory/memory_status.h"
#include "sysinfo/korean_time.h"
#include "sysinfo/system_figures.h"
#include "sysinfo/system_probe.h"

int main() {
  const bool windows9x = IsWindows9xLine();
  std::printf("%s\n%s\n", windows9x ? "9x" : "nt", ProcessorText(windows9x).c_str());
  const MemoryFigures m = QueryMemoryFigures();
  std::printf("%s\n%s\n", MebibyteText(m.totalPhysical).c_str(),
              VirtualMemoryFigureText(m.totalVirtual).c_str());
  std::tm installed;
  std::printf("%s\n", WindowsInstallTime(installed) ? KoreanDateTime(installed).c_str() : "");
  return 0;
}

#include "sysinfo/system_figures.h"

#include <climits>

#include "memory/memory_figures.h"

const char kDiskUsedUnknown[] = "사용중인 용량 : 읽을수 없음";
const char kDiskFreeUnknown[] = "남은 용량 : 읽을수 없음";
const char kDiskTotalUnknown[] = "전체 용량 : 읽을수 없음";

namespace {

// The bar holds 32-bit bounds.
int ClampToInt(uint64_t n) {
  return n > static_cast<uint64_t>(INT_MAX) ? INT_MAX : static_cast<int>(n);
}

std::string Gigabytes(const char* label, uint64_t bytes) {
  return std::string(label) + std::to_string(bytes >> 30) + " GB";
}

}  // namespace

std::string VirtualMemoryFigureText(uint64_t bytes) {
  return bytes == 0 ? "0 MB" : MebibyteText(bytes);
}

DiskFigures ComputeDiskFigures(uint64_t total, uint64_t free) {
  const uint64_t used = free >= total ? 0 : total - free;
  DiskFigures f;
  f.barRange = ClampToInt(total >> 20);
  f.barPosition = ClampToInt(used >> 20);
  // The integer share used × 100 ÷ total, without a division by a zero total
  // and without the product overflowing on the largest volumes.
  uint64_t share = 0;
  if (total > 0) share = used <= UINT64_MAX / 100 ? used * 100 / total : used / (total / 100);
  f.whiteText = share >= 50;
  f.usedText = Gigabytes("사용중인 용량 : ", used);
  f.freeText = Gigabytes("남은 용량 : ", free);
  f.totalText = Gigabytes("전체 용량 : ", total);
  return f;
}

std::string DriveItemText(const std::string& root) {
  if (root.empty()) return std::string();
  char letter = root[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
  return std::string(" ") + letter + " 드라이브";
}

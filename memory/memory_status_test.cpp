// The memory status queries and the freeing pass under Wine: real figures,
// the 95/98/ME branch through Wine's per-program Windows version, and real
// claimed and touched memory measured by the process's peak working set.
#include "memory/memory_status.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "memory/peak_working_set.h"
#include "tests/support/wine_env.h"

namespace {

constexpr uint64_t kMiB = 1024 * 1024;
// The shipped program is 32-bit; the x86_64 build only runs these tests on
// hosts without 32-bit support, where the address space has no 4 GiB bound.
constexpr bool kThirtyTwoBit = sizeof(void*) == 4;

TEST(MemoryStatus, ClaimedBlockIsReallyTouchedAndAnImpossibleSizeIsHalvedWithoutThrowing) {
  const SIZE_T before = PeakWorkingSet();
  ASSERT_GT(before, 0u);
  EXPECT_EQ(ClaimTouchAndFree(64 * kMiB), 64 * kMiB);
  // Untouched, a committed block would cost no working set at all.
  EXPECT_GE(PeakWorkingSet(), before + 60 * kMiB);

  // Four GiB less one byte never fits a 32-bit address space: halved until
  // a block fits, which is touched too. (A 64-bit process would touch all
  // four GiB: not asked of the machine.)
  if (kThirtyTwoBit) {
    const size_t claimed = ClaimTouchAndFree(0xFFFFFFFFu);
    EXPECT_GT(claimed, 0u);
    EXPECT_LT(claimed, 0xFFFFFFFFu);
    EXPECT_EQ(claimed & (claimed + 1), 0u) << claimed;  // 2^k - 1: halvings of 2^32 - 1
  }
  EXPECT_EQ(ClaimTouchAndFree(0), 0u);
  EXPECT_EQ(ClaimTouchAndFree(21), 21u);
}

TEST(MemoryStatus, NtLineReadsTheSixtyFourBitFigures) {
  MemoryQuery used = MemoryQuery::kGlobalMemoryStatus;
  const MemoryFigures f = QueryMemoryFigures(&used);
  EXPECT_EQ(used, MemoryQuery::kGlobalMemoryStatusEx);
  EXPECT_GT(f.totalPhysical, 0u);
  EXPECT_LE(f.availablePhysical, f.totalPhysical);
  // The program's own address space: 2 GiB (or up to 4 GiB) less a little,
  // or 128 TiB at most for a 64-bit process.
  EXPECT_GT(f.totalVirtual, 1024 * kMiB);
  EXPECT_LE(f.totalVirtual, kThirtyTwoBit ? 4096 * kMiB : (uint64_t{1} << 47));
  EXPECT_LE(f.availableVirtual, f.totalVirtual);
}

// The probe's report under a Windows version: query name and four figures.
struct ProbeReport {
  std::string query;
  uint64_t figures[4] = {};
};

ProbeReport ProbeUnder(const char* version) {
  const std::string key = "Software\\Wine\\AppDefaults\\memory_probe.exe";
  HKEY k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                      nullptr) == ERROR_SUCCESS) {
    RegSetValueExA(k, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                   static_cast<DWORD>(strlen(version) + 1));
    RegCloseKey(k);
  }
  std::string out;
  testing_support::RunProcess("\"" + testing_support::BinFolder() + "\\memory_probe.exe\"", "", &out);
  testing_support::DeleteKeyTree(HKEY_CURRENT_USER, key);
  ProbeReport report;
  std::istringstream in(out);
  in >> report.query;
  for (uint64_t& figure : report.figures) in >> figure;
  return report;
}

TEST(MemoryStatus, NineXLineReadsTheThirtyTwoBitStatus) {
  const ProbeReport old = ProbeUnder("win98");
  EXPECT_EQ(old.query, "GlobalMemoryStatus");
  EXPECT_GT(old.figures[0], 0u);
  // The old structure's 32-bit fields (as wide as a pointer).
  if (kThirtyTwoBit) EXPECT_LE(old.figures[0], 0xFFFFFFFFu);
  EXPECT_LE(old.figures[1], old.figures[0]);
  EXPECT_GT(old.figures[2], 0u);
  EXPECT_EQ(ProbeUnder("winxp").query, "GlobalMemoryStatusEx");
}

// The names a PE image imports from one DLL, read from the file's import
// table (RVAs turned into file offsets through the section table).
std::vector<std::string> ImportedNames(const std::string& image, const std::string& dll) {
  std::vector<std::string> names;
  auto read = [&](size_t offset, size_t size) -> const char* {
    return offset + size <= image.size() ? image.data() + offset : nullptr;
  };
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(read(0, sizeof(IMAGE_DOS_HEADER)));
  if (!dos) return names;
  const size_t ntOffset = static_cast<size_t>(dos->e_lfanew);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(read(ntOffset, sizeof(IMAGE_NT_HEADERS64)));
  if (!nt) return names;
  // The x86_64 test build reads its own PE32+ image: wider header and thunks.
  const bool wide = nt->OptionalHeader.Magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC;
  const size_t thunkSize = wide ? 8 : 4;
  const DWORD table =
      wide ? reinterpret_cast<const IMAGE_NT_HEADERS64*>(nt)->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress
           : nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
  const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
      read(ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt->FileHeader.SizeOfOptionalHeader,
           sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
  if (!sections) return names;
  auto offsetOf = [&](DWORD rva) -> size_t {
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
      const IMAGE_SECTION_HEADER& s = sections[i];
      if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
        return rva - s.VirtualAddress + s.PointerToRawData;
    }
    return image.size();
  };
  for (size_t at = offsetOf(table);; at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
    const auto* entry = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(read(at, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
    if (!entry || entry->Name == 0) break;
    const char* name = read(offsetOf(entry->Name), 1);
    if (!name || lstrcmpiA(name, dll.c_str()) != 0) continue;
    DWORD thunks = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
    for (size_t t = offsetOf(thunks);; t += thunkSize) {
      const char* thunk = read(t, thunkSize);
      if (!thunk) break;
      uint64_t value = 0;
      std::memcpy(&value, thunk, thunkSize);
      if (value == 0) break;
      // Imports by ordinal have the top bit set and no name.
      if (value >> (thunkSize * 8 - 1)) continue;
      if (const char* imported = read(offsetOf(static_cast<DWORD>(value)) + 2, 1))
        names.emplace_back(imported);
    }
  }
  return names;
}

// Windows 95 and NT 4.0 lack GlobalMemoryStatusEx: the program must not
// import it, or those systems refuse to start it.
TEST(MemoryStatus, SpruceDoesNotImportTheExQuery) {
  const std::string image = testing_support::ReadFileBytes(testing_support::BinFolder() + "\\Spruce.exe");
  const std::vector<std::string> names = ImportedNames(image, "kernel32.dll");
  ASSERT_FALSE(names.empty());
  EXPECT_NE(std::find(names.begin(), names.end(), "GlobalMemoryStatus"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), "GlobalMemoryStatusEx"), names.end());
}

}  // namespace

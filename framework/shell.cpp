#include "framework/shell.h"

#include <shellapi.h>
#include <shlobj.h>

namespace fw {
namespace {

FARPROC ShellFunction(const char* name) {
  HMODULE shell = GetModuleHandleA("shell32.dll");
  return shell ? GetProcAddress(shell, name) : nullptr;
}

template <class Fn>
Fn Find(const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(ShellFunction(name)));
}

// The shell's recycle-bin query block: a 32-bit size, then the 64-bit total
// size and item count. The 32-bit shell packs it to 20 bytes; the 64-bit
// shell (Windows and Wine alike) aligns the 64-bit fields, 24 bytes. Reading
// it byte-packed on a 64-bit shell would take the size's upper half for the
// item count, so the packing follows the target.
#if defined(_WIN64)
#pragma pack(push, 8)
#else
#pragma pack(push, 1)
#endif
struct RecycleBinQuery {
  DWORD size;
  uint64_t totalSize;
  uint64_t itemCount;
};
#pragma pack(pop)
static_assert(sizeof(RecycleBinQuery) == (sizeof(void*) == 8 ? 24 : 20),
              "the recycle-bin query block has the shell's layout");

}  // namespace

std::string SpecialFolderPath(int csidl) {
  char path[MAX_PATH] = {};
  using PathFn = BOOL(WINAPI*)(HWND, char*, int, BOOL);
  static const PathFn specialFolderPath = Find<PathFn>("SHGetSpecialFolderPathA");
  if (specialFolderPath) return specialFolderPath(nullptr, path, csidl, FALSE) ? path : "";

  LPITEMIDLIST list = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) || !list) return std::string();
  const bool named = SHGetPathFromIDListA(list, path) != FALSE;
  IMalloc* allocator = nullptr;
  if (SUCCEEDED(SHGetMalloc(&allocator)) && allocator) {
    allocator->Free(list);
    allocator->Release();
  }
  return named ? path : "";
}

bool QueryRecycleBin(const char* drive, uint64_t& size, uint64_t& items) {
  using QueryFn = HRESULT(WINAPI*)(const char*, RecycleBinQuery*);
  static const QueryFn query = Find<QueryFn>("SHQueryRecycleBinA");
  RecycleBinQuery block = {};
  block.size = sizeof block;
  if (!query || FAILED(query(drive, &block))) return false;
  size = block.totalSize;
  items = block.itemCount;
  return true;
}

bool EmptyRecycleBin(const char* root) {
  using EmptyFn = HRESULT(WINAPI*)(HWND, const char*, DWORD);
  static const EmptyFn empty = Find<EmptyFn>("SHEmptyRecycleBinA");
  return empty &&
         SUCCEEDED(empty(nullptr, root, SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND));
}

}  // namespace fw

// The updater's download against the bare platform, in one run:
//   - a program file fetched through CUpdaterChecker with the updater's real
//     window, its two bars and texts driven by the hooks (what SpruceUp.exe
//     does for every listed file);
//   - the same file through bare WinINet loops of 1 KB and of 1 MB reads
//     written to a file, with no window at all.
// The updater's download checks the file's SHA-256 as it arrives, as it does
// for every listed file.
// Usage: upgrade_bench <base url> <file name> <size> <sha256> [runs]   (best
// of runs, default 3). Prints megabytes per second; scripts/bench-upgrade.sh starts
// the local server and measures curl on the same file beside it.
#include <windows.h>
#include <commctrl.h>
#include <wininet.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/stopwatch.h"
#include "framework/raii.h"
#include "updater/updater_dlg.h"
#include "upgrade/version_file.h"

namespace {

class BenchChecker : public CUpdaterChecker {
 public:
  using CUpdaterChecker::CUpdaterChecker;
  void Begin(const std::string& name, uint32_t size) { OnFileBegin(name, size); }
  void Done(const std::string& name, uint32_t size) { OnFileDone(name, size); }
};

double ThroughUpdater(HWND dialog, const std::string& base, const std::string& name, uint32_t size,
                      const Sha256Digest& digest) {
  BenchChecker checker(dialog);
  if (!checker.Connect(CUpgradeChecker::kAgent)) return 0;
  const double start = NowSeconds();
  // Staged as the updater stages it: a new file named like its staging copy.
  char temp[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  const std::string staging = std::string(temp) + name + "___";
  checker.Begin(name, size);
  if (!checker.DownloadProgramFile(base, name, size, digest, staging)) return 0;
  checker.Done(name, size);
  const double seconds = NowSeconds() - start;
  DeleteFileA(staging.c_str());
  return size / seconds / 1e6;
}

double BareLoop(const std::string& base, const std::string& name, DWORD chunkSize) {
  HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return 0;
  char temp[MAX_PATH], path[MAX_PATH];
  GetTempPathA(sizeof temp, temp);
  GetTempFileNameA(temp, "Bnc", 0, path);
  const double start = NowSeconds();
  HINTERNET url = InternetOpenUrlA(session, (base + "/" + name).c_str(), nullptr, 0,
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
  uint64_t total = 0;
  if (url) {
    fw::UniqueHandle file(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    std::string chunk(chunkSize, '\0');
    DWORD got = 0, written = 0;
    while (InternetReadFile(url, &chunk[0], chunkSize, &got) && got > 0) {
      WriteFile(file.Get(), chunk.data(), got, &written, nullptr);
      total += got;
    }
    InternetCloseHandle(url);
  }
  const double seconds = NowSeconds() - start;
  InternetCloseHandle(session);
  DeleteFileA(path);
  return total / seconds / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  Sha256Digest digest;
  if (argc < 5 || !ParseSha256Hex(argv[4], digest)) {
    std::fprintf(stderr, "usage: upgrade_bench <base url> <file name> <size> <sha256> [runs]\n");
    return 2;
  }
  const std::string base = argv[1], name = argv[2];
  const uint32_t size = static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 10));
  const int runs = argc > 5 ? std::atoi(argv[5]) : 3;
  InitCommonControls();

  CUpdaterDlg dialog;
  if (!dialog.CreateModeless()) return 1;
  // Only the window is wanted here, not the upgrade its timer would start.
  KillTimer(dialog.Hwnd(), CUpdaterDlg::kStartTimer);

  double updater = 0, small = 0, large = 0;
  for (int i = 0; i < runs; ++i) {
    const double u = ThroughUpdater(dialog.Hwnd(), base, name, size, digest);
    const double s = BareLoop(base, name, 1024);
    const double l = BareLoop(base, name, 1024 * 1024);
    if (u == 0 || s == 0 || l == 0) {
      std::fprintf(stderr, "download failed\n");
      return 1;
    }
    std::printf("run %d: updater %.1f MB/s; bare WinINet loop, 1 KB reads %.1f MB/s, 1 MB reads %.1f MB/s\n",
                i + 1, u, s, l);
    if (u > updater) updater = u;
    if (s > small) small = s;
    if (l > large) large = l;
  }
  std::printf("bare WinINet loop, 1 KB reads (best of %d): %.1f MB/s\n", runs, small);
  std::printf("bare WinINet loop, 1 MB reads (best of %d): %.1f MB/s\n", runs, large);
  std::printf("updater (best of %d): %.1f MB/s\n", runs, updater);
  return 0;
}

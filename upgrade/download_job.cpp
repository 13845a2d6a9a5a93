#include "upgrade/download_job.h"

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "framework/raii.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "upgrade/background_flusher.h"

namespace upgrade {
namespace {

constexpr DWORD kReportInterval = 50;

// Reads start at 1,024 bytes and double while each one is filled within
// 20 ms, up to 1 MB; one that takes over 250 ms halves the size again. A
// read returns only when its buffer is full (or the body ends), so small
// reads keep a slow line's progress and stall check live, while large ones
// are what makes a fast transfer fast: each read is a round of calls into
// WinINet and, under Wine, the wineserver, and 1,024-byte reads top out
// near 15-25 MB/s on a local server where 1 MB reads reach several times
// that (scripts/bench-upgrade.sh).
constexpr DWORD kFirstRead = 1024;
constexpr DWORD kLargestRead = 1024 * 1024;
constexpr DWORD kGrowWithinMs = 20;
constexpr DWORD kShrinkAfterMs = 250;
// Every 2 MB received, what is written so far is written through to the disk
// in the background (see BackgroundFlusher).
constexpr uint64_t kFlushEvery = 2 * 1024 * 1024;

// What the caller and the worker share. Whoever moves state away from
// kRunning owns the end: the worker (kFinished) hands its result to the
// caller; the caller (kAbandoned) walks away and deletes the file. When that
// delete fails (no delete sharing, the worker still holds the file) the
// caller marks it kOrphaned and the worker deletes it; a worker that got
// there first (kLetGo) has closed the file, and the caller deletes it again.
struct Job {
  enum State { kRunning, kFinished, kAbandoned, kOrphaned, kLetGo };

  WinInetCalls calls;
  HINTERNET session = nullptr;
  std::string url;
  DownloadLimits limits;
  HMODULE library = nullptr;  // the worker's own hold on WinINet
  std::string path;           // fixed before the worker starts
  HANDLE file = nullptr;      // the worker's from its start: it closes it

  std::atomic<int> state{kRunning};
  std::atomic<uint64_t> received{0};
  std::atomic<DWORD> lastProgress{0};
  // Set once the worker has moved state on, so that the waiting caller wakes
  // at once rather than at its next look. May be empty: the caller then
  // only looks.
  fw::UniqueHandle ended;
  // Written by the worker before it moves state to kFinished.
  DownloadResult result = DownloadResult::kReadFailed;

  bool Abandoned() const { return state.load() != kRunning; }
};

// A WinINet handle closed on every path.
class InternetHandle {
 public:
  InternetHandle(const WinInetCalls& calls, HINTERNET h) : calls_(calls), h_(h) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { if (h_) calls_.closeHandle(h_); }
  HINTERNET Get() const { return h_; }

 private:
  const WinInetCalls& calls_;
  HINTERNET h_;
};

bool QueryNumber(const Job& job, HINTERNET request, DWORD what, DWORD& value) {
  DWORD size = sizeof value;
  return job.calls.queryInfo(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr) != FALSE;
}

// Makes the download's file: target anew, or a "Spr" file in the temporary
// folder (the system creates it empty). Held for writing and for nothing
// else but deletion; the 95/98/ME line refuses delete sharing.
fw::UniqueHandle MakeFile(const std::string& target, std::string& path) {
  DWORD disposition = CREATE_NEW;
  if (target.empty()) {
    char folder[4096];
    DWORD n = GetTempPathA(sizeof folder, folder);
    if (n == 0 || n >= sizeof folder) return fw::UniqueHandle();
    char name[MAX_PATH];
    if (GetTempFileNameA(folder, "Spr", 0, name) == 0) return fw::UniqueHandle();
    path = name;
    disposition = TRUNCATE_EXISTING;
  } else {
    path = target;
    DeleteFileA(path.c_str());  // an earlier run's copy; a failure shows at the creation
  }
  for (DWORD share : {static_cast<DWORD>(FILE_SHARE_DELETE), static_cast<DWORD>(0)}) {
    fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, share, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid()) return file;
  }
  if (target.empty()) DeleteFileA(path.c_str());
  path.clear();
  return fw::UniqueHandle();
}

DownloadResult Fetch(Job& job) {
  const DownloadLimits& limits = job.limits;
  fw::UniqueHandle file(job.file);
  job.file = nullptr;
  InternetHandle request(job.calls, job.calls.openUrl(job.session, job.url.c_str(), nullptr, 0,
                                                      INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  if (!request.Get()) return DownloadResult::kOpenFailed;
  job.lastProgress = GetTickCount();
  // Redirects are followed by WinINet: this is the status of the last answer.
  DWORD status = 0;
  if (!QueryNumber(job, request.Get(), HTTP_QUERY_STATUS_CODE, status) || status != 200)
    return DownloadResult::kBadStatus;
  DWORD announced = 0;
  const bool hasLength = QueryNumber(job, request.Get(), HTTP_QUERY_CONTENT_LENGTH, announced);
  if (hasLength && limits.longerFails && announced > limits.readLimit) return DownloadResult::kTooLong;
  if (hasLength && limits.expectedSize > 0 && announced != limits.expectedSize)
    return DownloadResult::kWrongLength;

  // One byte more than the limit is asked for when a longer body fails, to
  // tell "exactly the limit" from "longer".
  const uint64_t readCap = limits.readLimit + (limits.longerFails ? 1 : 0);
  uint64_t total = 0;
  std::vector<char> chunk(kLargestRead);
  DWORD readSize = kFirstRead;
  bool cut = false;
  Sha256 hash;
  // Declared after the file: destroyed first, it lets go of the file before
  // the file closes.
  BackgroundFlusher flusher(file.Get());
  uint64_t flushRequestedAt = 0;
  for (;;) {
    if (job.Abandoned()) return DownloadResult::kTimedOut;
    if (total >= readCap) {
      if (limits.longerFails) return DownloadResult::kTooLong;
      cut = true;
      break;
    }
    const DWORD want = static_cast<DWORD>(readCap - total < readSize ? readCap - total : readSize);
    DWORD got = 0;
    const DWORD before = GetTickCount();
    if (!job.calls.readFile(request.Get(), chunk.data(), want, &got)) return DownloadResult::kReadFailed;
    if (got == 0) break;
    const DWORD took = GetTickCount() - before;
    if (got == readSize && took <= kGrowWithinMs && readSize < kLargestRead) readSize *= 2;
    else if (took > kShrinkAfterMs && readSize > kFirstRead) readSize /= 2;
    // Hashed first, while the bytes just received are still in the cache.
    if (limits.checkSha256) hash.Update(chunk.data(), got);
    DWORD written = 0;
    if (!WriteFile(file.Get(), chunk.data(), got, &written, nullptr) || written != got)
      return DownloadResult::kWriteFailed;
    total += got;
    if (total - flushRequestedAt >= kFlushEvery) {
      flusher.Request();
      flushRequestedAt = total;
    }
    job.received = total;
    job.lastProgress = GetTickCount();
  }
  if (!cut && hasLength && total != announced) return DownloadResult::kWrongLength;
  if (limits.expectedSize > 0 && total != limits.expectedSize) return DownloadResult::kWrongLength;
  if (limits.emptyFails && total == 0) return DownloadResult::kEmpty;
  if (limits.checkSha256) {
    const Sha256Digest digest = hash.Finish();
    if (std::memcmp(digest.bytes, limits.expectedSha256.bytes, kSha256Size) != 0)
      return DownloadResult::kWrongDigest;
  }
  // Written through before anything renames it: a power loss after the swap
  // must not find an installed file whose bytes never reached the disk. The
  // background flushes have done most of it by now.
  const bool flushed = FlushFileBuffers(file.Get()) != FALSE;
  if (!flusher.Stop() || !flushed || !CloseHandle(file.Release())) return DownloadResult::kWriteFailed;
  return DownloadResult::kOk;
}

DWORD WINAPI Worker(void* argument) {
  std::unique_ptr<std::shared_ptr<Job>> holder(static_cast<std::shared_ptr<Job>*>(argument));
  std::shared_ptr<Job> job = *holder;
  holder.reset();

  // Fetch has closed the file and the request when it returns. The result
  // is written before the state changes: the caller reads it only after it
  // has seen kFinished.
  job->result = Fetch(*job);
  int running = Job::kRunning;
  if (!job->state.compare_exchange_strong(running, Job::kFinished)) {
    int abandoned = Job::kAbandoned;
    if (!job->state.compare_exchange_strong(abandoned, Job::kLetGo))
      DeleteFileA(job->path.c_str());  // orphaned: the caller could not delete it
  }
  if (job->ended.Valid()) SetEvent(job->ended.Get());
  HMODULE library = job->library;
  job.reset();
  FreeLibrary(library);
  return 0;
}

}  // namespace

DownloadResult RunDownload(const WinInetCalls& calls, HINTERNET session, const std::string& url,
                           const DownloadLimits& limits, const std::string& target, std::string& path,
                           const std::function<void(uint32_t bytes)>& onBytes) {
  path.clear();
  auto job = std::make_shared<Job>();
  job->calls = calls;
  job->session = session;
  job->url = url;
  job->limits = limits;
  job->ended.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  // The worker may outlive the caller's checker (a read blocked past the
  // deadline), so it holds the library itself and lets go when it ends.
  job->library = LoadLibraryA("WinInet.Dll");
  if (!job->library) return DownloadResult::kNoLibrary;
  fw::UniqueHandle file = MakeFile(target, job->path);
  if (!file.Valid()) {
    FreeLibrary(job->library);
    return DownloadResult::kTempFileFailed;
  }
  job->file = file.Get();
  const DWORD start = GetTickCount();
  job->lastProgress = start;

  auto* argument = new std::shared_ptr<Job>(job);
  fw::UniqueHandle thread = fw::StartWorkerThread(&Worker, argument, THREAD_PRIORITY_NORMAL);
  if (!thread.Valid()) {
    delete argument;
    file.Reset();
    DeleteFileA(job->path.c_str());
    FreeLibrary(job->library);
    return DownloadResult::kNoThread;
  }
  file.Release();  // the worker's now

  uint64_t reported = 0;
  auto report = [&] {
    const uint64_t now = job->received.load();
    if (now > reported && onBytes) onBytes(static_cast<uint32_t>(now - reported));
    reported = now;
  };
  bool timedOut = false;
  for (;;) {
    const DWORD wake = GetTickCount();
    fw::WaitWhilePumping(
        [&] { return job->state.load() != Job::kRunning || GetTickCount() - wake >= kReportInterval; },
        job->ended.Get());
    report();
    if (job->state.load() != Job::kRunning) break;
    const DWORD now = GetTickCount();
    const bool pastDeadline = limits.deadlineMs && now - start >= limits.deadlineMs;
    const bool stalled = limits.stallMs && now - job->lastProgress.load() >= limits.stallMs;
    if (!pastDeadline && !stalled) continue;
    int running = Job::kRunning;
    if (job->state.compare_exchange_strong(running, Job::kAbandoned)) {
      timedOut = true;
      break;
    }
    // The worker finished in the meantime: take its result.
  }
  if (timedOut) {
    if (!DeleteFileA(job->path.c_str())) {
      int abandoned = Job::kAbandoned;
      if (!job->state.compare_exchange_strong(abandoned, Job::kOrphaned))
        DeleteFileA(job->path.c_str());  // the worker has let go of it meanwhile
    }
    return DownloadResult::kTimedOut;
  }
  report();
  if (job->result == DownloadResult::kOk) path = job->path;
  else DeleteFileA(job->path.c_str());
  return job->result;
}

}  // namespace upgrade

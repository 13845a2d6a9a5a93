#include "network/ip_lookup.h"

#include <winsock2.h>
#include <wininet.h>

#include <algorithm>
#include <memory>

#include "framework/msgbox.h"
#include "framework/raii.h"
#include "framework/sync.h"
#include "framework/wait.h"
#include "framework/worker.h"
#include "network/ip_text.h"

namespace {

// The echo page holds one address; a page larger than this is not it.
constexpr size_t kPageLimit = 4096;

// The transfer's state, shared by the fetch thread and the caller, which may
// stop waiting before the thread ends.
struct Transfer {
  std::string url;
  DWORD timeoutMs = 0;
  fw::CriticalSection lock;
  enum Phase { kOpening, kReading, kDone } phase = kOpening;
  bool opened = false;
  bool failed = false;
  std::string page;
};

class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET h) : h_(h) {}
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  ~InternetHandle() { if (h_) InternetCloseHandle(h_); }
  HINTERNET Get() const { return h_; }

 private:
  HINTERNET h_;
};

void SetTimeouts(HINTERNET session, DWORD ms) {
  // Honoured by the system's WinINet; Wine's ignores them, hence the
  // caller's own deadline.
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                       INTERNET_OPTION_SEND_TIMEOUT})
    InternetSetOptionA(session, option, &ms, sizeof ms);
}

bool StatusIsOk(HINTERNET page) {
  DWORD status = 0, size = sizeof status;
  return HttpQueryInfoA(page, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr) &&
         status == HTTP_STATUS_OK;
}

void RunTransfer(Transfer& t) {
  InternetHandle session(
      InternetOpenA(fw::kAppTitle, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
  if (!session.Get()) {
    fw::ScopedLock guard(t.lock);
    t.failed = true;
    return;
  }
  SetTimeouts(session.Get(), t.timeoutMs);
  const DWORD flags = INTERNET_FLAG_TRANSFER_ASCII | INTERNET_FLAG_RELOAD |
                      INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE;
  InternetHandle page(InternetOpenUrlA(session.Get(), t.url.c_str(), nullptr, 0, flags, 1));
  if (!page.Get() || !StatusIsOk(page.Get())) return;
  {
    fw::ScopedLock guard(t.lock);
    t.opened = true;
    t.phase = Transfer::kReading;
  }
  char buffer[512];
  size_t total = 0;
  while (total < kPageLimit) {
    DWORD want = static_cast<DWORD>(std::min(sizeof buffer, kPageLimit - total));
    DWORD got = 0;
    if (!InternetReadFile(page.Get(), buffer, want, &got)) {
      fw::ScopedLock guard(t.lock);
      t.failed = true;
      return;
    }
    if (got == 0) return;
    total += got;
    fw::ScopedLock guard(t.lock);
    t.page.append(buffer, got);
  }
}

DWORD WINAPI TransferThread(void* argument) {
  std::unique_ptr<std::shared_ptr<Transfer>> owner(static_cast<std::shared_ptr<Transfer>*>(argument));
  Transfer& t = **owner;
  RunTransfer(t);
  fw::ScopedLock guard(t.lock);
  t.phase = Transfer::kDone;
  return 0;
}

bool Ended(Transfer& t) {
  fw::ScopedLock guard(t.lock);
  return t.phase == Transfer::kDone;
}

// The latest transfer, which may still be running. A stalled server blocks
// its thread in WinINet, and nothing can make that call return early under
// Wine, so every fetch shares or waits for this one instead of starting
// another: however often My IP is opened, at most one thread is blocked.
fw::CriticalSection g_latestLock;
std::shared_ptr<Transfer> g_latest;

std::shared_ptr<Transfer> RunningTransfer() {
  fw::ScopedLock guard(g_latestLock);
  if (g_latest && Ended(*g_latest)) g_latest.reset();
  return g_latest;
}

// Starts a transfer of url and makes it the latest; null when no thread can
// be had.
std::shared_ptr<Transfer> StartTransfer(const std::string& url, DWORD timeoutMs) {
  auto transfer = std::make_shared<Transfer>();
  transfer->url = url;
  transfer->timeoutMs = timeoutMs;
  auto* argument = new std::shared_ptr<Transfer>(transfer);
  // The thread runs on its own; its handle is not needed.
  if (!fw::StartWorkerThread(&TransferThread, argument, THREAD_PRIORITY_NORMAL).Valid()) {
    delete argument;
    return nullptr;
  }
  fw::ScopedLock guard(g_latestLock);
  g_latest = transfer;
  return transfer;
}

}  // namespace

std::string GetLocalIpAddress() {
  WSADATA data;
  if (WSAStartup(MAKEWORD(2, 0), &data) != 0) return std::string();
  std::string address;
  char name[255 + 1] = {};
  if (gethostname(name, 255) == 0) {
    const hostent* host = gethostbyname(name);
    if (host && host->h_addrtype == AF_INET && host->h_addr_list[0]) {
      in_addr first;
      memcpy(&first, host->h_addr_list[0], sizeof first);
      address = inet_ntoa(first);
    }
  }
  WSACleanup();
  return address;
}

PublicAddressFetch FetchPublicAddress(const std::string& url, DWORD deadlineMs) {
  const DWORD start = GetTickCount();
  const auto waitFor = [&](Transfer& t) {
    fw::WaitWhilePumping([&] { return Ended(t) || GetTickCount() - start >= deadlineMs; });
  };
  PublicAddressFetch result;
  std::shared_ptr<Transfer> transfer;
  // Another page's transfer still running is waited out first (and so is
  // one that a fetch started while this one pumped).
  while ((transfer = RunningTransfer()) && transfer->url != url) {
    waitFor(*transfer);
    if (!Ended(*transfer)) return result;  // as if this page could not be opened
  }
  if (!transfer) transfer = StartTransfer(url, deadlineMs);
  if (!transfer) {
    result.failed = true;
    return result;
  }
  waitFor(*transfer);
  fw::ScopedLock guard(transfer->lock);
  if (!transfer->opened) {
    // Not opened, or still waiting for the answer: there is no page.
    result.failed = transfer->failed;
    return result;
  }
  result.failed = transfer->failed || transfer->phase != Transfer::kDone;
  result.address = KeepAddressCharacters(transfer->page);
  return result;
}

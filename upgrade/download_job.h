// One HTTP download into a new file, run on a worker thread so that the
// caller can enforce time limits: WinINet ignores its connect and receive
// timeouts under Wine, and a read blocked in it cannot be cancelled from
// another thread there. The caller waits while pumping its messages, hears of
// the bytes received at most every 50 ms on its own thread, and walks away
// from a download that runs out of time; the worker then closes its handles
// and lets go of the library whenever its blocked call returns.
//
// The file is made by the caller and held by the worker with delete sharing,
// so a download abandoned on the way is deleted at once: the system removes
// it when the worker's handle closes, at the latest when the process ends,
// even when that comes first (the user closes the program). The 95/98/ME
// line has no delete sharing; there the worker deletes it when its blocked
// call returns.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <functional>
#include <string>

#include "upgrade/sha256.h"

namespace upgrade {

// The WinINet functions a download uses, resolved by the checker.
struct WinInetCalls {
  decltype(&InternetOpenUrlA) openUrl = nullptr;
  decltype(&InternetReadFile) readFile = nullptr;
  decltype(&InternetCloseHandle) closeHandle = nullptr;
  decltype(&HttpQueryInfoA) queryInfo = nullptr;
};

struct DownloadLimits {
  // At most this many body bytes are read.
  uint64_t readLimit = 0;
  // True: a body longer than readLimit fails. False: the first readLimit
  // bytes are kept and the download succeeds (the caller refuses the size).
  bool longerFails = true;
  // Above 0: a body of any other length fails.
  uint32_t expectedSize = 0;
  bool emptyFails = false;
  // 0: none. Otherwise the whole download must end within this time.
  DWORD deadlineMs = 0;
  // 0: none. Otherwise a download that receives nothing for this long fails
  // (the response not arriving counts).
  DWORD stallMs = 0;
  // True: the body's SHA-256, taken as it arrives, must equal expectedSha256,
  // or the download fails and its file is deleted.
  bool checkSha256 = false;
  Sha256Digest expectedSha256 = {};
};

enum class DownloadResult {
  kOk,
  kNoLibrary,       // the library could not be held for the worker
  kNoThread,        // the worker could not be started
  kOpenFailed,      // the address could not be opened (no answer, no such host)
  kBadStatus,       // the final answer (after redirects) was not 200
  kTempFileFailed,  // no temporary file could be made
  kReadFailed,
  kWriteFailed,
  kWrongLength,     // shorter or longer than the Content-Length or the expected size
  kTooLong,         // more than readLimit when that fails
  kEmpty,
  kWrongDigest,     // the bytes are not the ones expected (checkSha256)
  kTimedOut,
  kNoMemory,        // the address could not be built (the checker's own)
};

// Fetches url on the open internet handle session into a new file and
// returns its path in path (only on kOk, the file written through to the
// disk; on every other result the file is deleted, see above). target: the
// file to write, made anew (a file already there is deleted first, so the
// new one takes the permissions of its folder); empty: a new "Spr" file of
// the temporary folder. The request bypasses the cache (reload, no cache
// write).
// onBytes, when given, is called on the calling thread with the bytes
// received since its last call, at most every 50 ms, and once more with the
// remainder before the function returns. Messages of the calling thread are
// pumped while it waits.
DownloadResult RunDownload(const WinInetCalls& calls, HINTERNET session, const std::string& url,
                           const DownloadLimits& limits, const std::string& target, std::string& path,
                           const std::function<void(uint32_t bytes)>& onBytes);

}  // namespace upgrade

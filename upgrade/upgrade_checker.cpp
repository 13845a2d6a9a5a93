#include "upgrade/upgrade_checker.h"

#include <new>

#include "framework/msgbox.h"
#include "framework/raii.h"
#include "upgrade/manifest_signature.h"
#include "upgrade/sha256.h"

namespace {

const char kCannotFetch[] = "서버로 부터 업그레이드 버전파일을 다운받을 수 없습니다.";

// The signature's name beside the version file: "version.dat" is signed by
// "version.sig".
std::string SignatureName(const std::string& versionFile) {
  const size_t dot = versionFile.rfind('.');
  return (dot == std::string::npos ? versionFile : versionFile.substr(0, dot)) + ".sig";
}

// Reads a whole file of at most limit bytes; false when it is longer or
// cannot be read.
bool ReadSmallFile(const std::string& path, DWORD limit, std::string& bytes) {
  fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return false;
  DWORD high = 0;
  const DWORD size = GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE || high != 0 || size > limit) return false;
  bytes.assign(size, '\0');
  DWORD read = 0;
  return size == 0 || (ReadFile(file.Get(), &bytes[0], size, &read, nullptr) && read == size);
}

template <class T>
bool Resolve(HMODULE library, const char* name, T& function) {
  function = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(library, name)));
  return function != nullptr;
}

}  // namespace

CUpgradeChecker::CUpgradeChecker() {
  // The processor's SHA instructions work in the SSE registers, which only
  // a system that saves them at every task switch may use: Windows 95 and
  // NT 4.0 do not, and the processor then refuses the instructions. Such a
  // system (or one too old to be asked) hashes with the portable rounds.
  using FeatureQuery = BOOL(WINAPI*)(DWORD);
  const auto hasFeature = reinterpret_cast<FeatureQuery>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("kernel32.dll"), "IsProcessorFeaturePresent")));
  if (!hasFeature || !hasFeature(PF_XMMI_INSTRUCTIONS_AVAILABLE))
    SetSha256Acceleration(false);
  library_ = LoadLibraryA("WinInet.Dll");
  if (!library_) {
    unusable_ = true;
    ShowError("WinInet.Dll을 불러올 수 없습니다. 반드시 IE 4.0이상이 설치되어야 합니다.");
    return;
  }
  bool all = Resolve(library_, "InternetGetConnectedState", getConnectedState_);
  all = Resolve(library_, "InternetAutodial", autodial_) && all;
  all = Resolve(library_, "InternetOpenA", open_) && all;
  all = Resolve(library_, "InternetCloseHandle", calls_.closeHandle) && all;
  all = Resolve(library_, "InternetOpenUrlA", calls_.openUrl) && all;
  all = Resolve(library_, "InternetReadFile", calls_.readFile) && all;
  all = Resolve(library_, "InternetAutodialHangup", hangup_) && all;
  all = Resolve(library_, "HttpQueryInfoA", calls_.queryInfo) && all;
  Resolve(library_, "InternetSetOptionA", setOption_);  // without it the defaults stand
  if (!all) {
    unusable_ = true;
    ShowError("WinInet.Dll을 불러올 수 없습니다. 반드시 IE 4.0이상 설치되어 있어야 합니다.");
  }
}

CUpgradeChecker::~CUpgradeChecker() {
  Disconnect();
  DeleteTempFile();
  // Downloads still running past their time limit hold the library themselves.
  if (library_) FreeLibrary(library_);
}

void CUpgradeChecker::ShowError(const std::string& text) {
  fw::ShowMessageBox(nullptr, text, kTitle, MB_OK | MB_ICONERROR);
}

void CUpgradeChecker::SetTimeLimits(DWORD versionFileDeadlineMs, DWORD stallLimitMs) {
  versionFileDeadlineMs_ = versionFileDeadlineMs;
  stallLimitMs_ = stallLimitMs;
}

bool CUpgradeChecker::CheckVersion(const char* agent, const std::string& baseUrl,
                                   const char* versionFile, const std::string& installed,
                                   bool silent) {
  if (unusable_) {
    if (!silent) ShowError("자동업그레이드를 사용하기 위해서는 IE 4.0이상버전이 설치되어 있어야 합니다.");
    return false;
  }
  installed_.version = installed;
  if (!Connect(agent)) return false;
  const DWORD start = GetTickCount();
  if (!DownloadFile(baseUrl, versionFile)) {
    // An error page or a broken transfer is not "no newer version".
    if (!silent && lastResult_ != upgrade::DownloadResult::kNoMemory)
      ShowError(kCannotFetch);
    return false;
  }
  std::string manifest;
  const bool read = ReadVersionFile(tempPath_, manifest);
  // The copy has served its purpose; left behind, the "Spr" names would run
  // out after 65,535 checks.
  DeleteTempFile();
  if (!read) return false;
  // Nothing the file says is believed before its signature is checked over
  // the very bytes that are then read: an unsigned or altered file is one
  // that could not be fetched.
  const DWORD spent = GetTickCount() - start;
  const DWORD left = spent < versionFileDeadlineMs_ ? versionFileDeadlineMs_ - spent : 1;
  if (!VerifyVersionFile(baseUrl, versionFile, manifest, left)) {
    if (!silent && lastResult_ != upgrade::DownloadResult::kNoMemory) ShowError(kCannotFetch);
    return false;
  }
  server_ = VersionInfo();
  // Like the C string it is read as, the text ends at its first NUL.
  ParseVersionText(std::string(manifest.c_str()), server_);
  if (!server_.hasVersion || server_.version.empty()) {
    // A page that is not a version file (a portal's login page, say).
    if (!silent) ShowError(kCannotFetch);
    return false;
  }
  if (IsNewerVersion(installed_.version, server_.version)) return true;
  if (!silent) ShowError("최신버전이므로 업그레이드 할 필요가 없습니다.");
  return false;
}

bool CUpgradeChecker::Connect(const char* agent) {
  if (unusable_) return false;
  if (internet_) return true;
  DWORD flags = 0;
  if (!getConnectedState_(&flags, 0)) {
    if (!autodial_(0, nullptr)) {
      ShowError("인터넷에 연결되어 있지 않습니다.");
      return false;
    }
    dialled_ = true;
  }
  internet_ = open_(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!internet_) {
    ShowError("인터넷에 연결되어 있지 않습니다.");
    return false;
  }
  if (setOption_) {
    // Honoured on Windows; Wine ignores them, which the downloads' own time
    // limits make up for.
    DWORD timeout = stallLimitMs_;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT,
                         INTERNET_OPTION_SEND_TIMEOUT})
      setOption_(internet_, option, &timeout, sizeof timeout);  // a refusal leaves the default
  }
  return true;
}

void CUpgradeChecker::Disconnect() {
  if (internet_) {
    calls_.closeHandle(internet_);
    internet_ = nullptr;
  }
  if (dialled_) {
    hangup_(0);
    dialled_ = false;
  }
}

bool CUpgradeChecker::DownloadFile(const std::string& baseUrl, const std::string& fileName) {
  upgrade::DownloadLimits limits;
  // One byte over the limit is enough to refuse the file as too big.
  limits.readLimit = kMaxVersionFileSize + 1;
  limits.longerFails = false;
  limits.deadlineMs = versionFileDeadlineMs_;
  limits.stallMs = stallLimitMs_;
  return Download(baseUrl, fileName, limits);
}

bool CUpgradeChecker::VerifyVersionFile(const std::string& baseUrl, const char* versionFile,
                                        const std::string& manifest, DWORD deadlineMs) {
  upgrade::DownloadLimits limits;
  limits.readLimit = kMaxSignatureSize;
  limits.emptyFails = true;
  limits.deadlineMs = deadlineMs;
  limits.stallMs = stallLimitMs_;
  if (!Download(baseUrl, SignatureName(versionFile), limits)) return false;
  std::string signature;
  const bool read = ReadSmallFile(tempPath_, kMaxSignatureSize, signature);
  DeleteTempFile();
  return read && upgrade::VerifyManifestSignature(manifest, signature);
}

bool CUpgradeChecker::DownloadProgramFile(const std::string& baseUrl, const std::string& fileName,
                                          uint32_t listedSize, const Sha256Digest& digest,
                                          const std::string& target) {
  upgrade::DownloadLimits limits;
  limits.readLimit = listedSize > 0 ? listedSize : kUnlistedSizeLimit;
  limits.expectedSize = listedSize;
  limits.emptyFails = true;
  limits.stallMs = stallLimitMs_;
  limits.checkSha256 = true;
  limits.expectedSha256 = digest;
  return Download(baseUrl, fileName, limits, target);
}

bool CUpgradeChecker::Download(const std::string& baseUrl, const std::string& fileName,
                               const upgrade::DownloadLimits& limits, const std::string& target) {
  // A previous download's file still at its path was not wanted.
  DeleteTempFile();
  lastResult_ = upgrade::DownloadResult::kOpenFailed;
  if (unusable_ || !internet_) return false;
  std::string url;
  try {
    url = baseUrl + "/" + fileName;
  } catch (const std::bad_alloc&) {
    ShowError("메모리 할당 오류");
    lastResult_ = upgrade::DownloadResult::kNoMemory;
    return false;
  }
  std::string path;
  lastResult_ = upgrade::RunDownload(calls_, internet_, url, limits, target, path,
                                     [&](uint32_t bytes) { OnFileChunk(fileName, bytes); });
  if (lastResult_ != upgrade::DownloadResult::kOk) return false;
  if (target.empty()) tempPath_ = path;
  OnFileChunk(fileName, 0);
  return true;
}

bool CUpgradeChecker::ReadVersionFile(const std::string& path, std::string& bytes) {
  fw::UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) {
    ShowError(kCannotFetch);
    return false;
  }
  DWORD high = 0;
  const DWORD size = GetFileSize(file.Get(), &high);
  if (size == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) {
    ShowError("다운받은 업그레이드 버전파일을 읽을 수 없습니다.");
    return false;
  }
  if (high != 0 || size > kMaxVersionFileSize) {
    ShowError("버전파일이 너무 큽니다.");
    return false;
  }
  bytes.assign(size, '\0');
  DWORD read = 0;
  if (size > 0 && (!ReadFile(file.Get(), &bytes[0], size, &read, nullptr) || read != size)) {
    ShowError("다운받은 업그레이드 버전파일을 읽을 수 없습니다.");
    return false;
  }
  return true;
}

void CUpgradeChecker::DeleteTempFile() {
  if (tempPath_.empty()) return;
  DeleteFileA(tempPath_.c_str());  // already moved away by the caller, or gone: nothing to do
  tempPath_.clear();
}

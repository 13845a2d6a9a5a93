// The upgrade check shared by Spruce.exe and SpruceUp.exe: fetches the
// version file from the update server, reads it, and compares its version
// text with the installed one; the updater reuses the download for the
// program files. WinINet is loaded at run time, so a machine without it
// still runs the rest of the program.
//
// Every message box of the checker has no owner, the title "업그레이드", the
// error icon and an OK button. Everything runs on the calling thread except
// the transfers themselves, which run on a worker so that their time limits
// hold; the caller's messages are pumped meanwhile (see download_job.h).
#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "upgrade/download_job.h"
#include "upgrade/version_file.h"

class CUpgradeChecker {
 public:
  // The agent name both programs give, and the version file's name.
  static constexpr const char* kAgent = "Tamarack";
  static constexpr const char* kVersionFileName = "version.dat";
  // The caption of every message of the upgrade.
  static constexpr const char* kTitle = "업그레이드";
  // Defaults of the time limits (SetTimeLimits).
  static constexpr DWORD kVersionFileDeadlineMs = 30000;
  static constexpr DWORD kStallLimitMs = 30000;
  // A program file listed without a size is read up to this many bytes.
  static constexpr uint32_t kUnlistedSizeLimit = 256u * 1024 * 1024;
  // The largest signature read (an 8,192-bit key's is 1,024 bytes).
  static constexpr uint32_t kMaxSignatureSize = 4096;

  // Loads "WinInet.Dll" and resolves its functions; tells the user and
  // marks the checker unusable when the library or a function is missing.
  CUpgradeChecker();
  // Closes every WinINet handle, hangs up a connection this checker dialled,
  // deletes a temporary file still at its path, then lets the library go.
  virtual ~CUpgradeChecker();
  CUpgradeChecker(const CUpgradeChecker&) = delete;
  CUpgradeChecker& operator=(const CUpgradeChecker&) = delete;

  // True when the server's version is newer than installed (see
  // IsNewerVersion). Connects, fetches baseUrl + "/" + versionFile and its
  // signature (the same name with the extension ".sig"), deletes their
  // temporary copies, and only when the signature is the publisher's over
  // the exact bytes received reads those bytes and compares. Silent mode
  // keeps quiet about an unusable checker, a version file that cannot be
  // fetched, is not signed by the publisher or holds no version, and
  // "최신버전이므로 업그레이드 할 필요가 없습니다."; the connection and reading
  // messages are shown in both modes.
  bool CheckVersion(const char* agent, const std::string& baseUrl, const char* versionFile,
                    const std::string& installed, bool silent);
  // Opens the internet handle (dialling the default connection when the
  // machine is offline); true when it is open. Reuses an open handle.
  bool Connect(const char* agent);
  // Closes the internet handle and hangs up a connection this checker dialled.
  void Disconnect();

  // Fetches baseUrl + "/" + fileName as a version file (the first 102,401
  // bytes at most, within the version-file deadline) into a new temporary
  // file, whose path TempPath() then gives. False, leaving no file, when the
  // transfer fails or the answer is not 200. Calls OnFileChunk as bytes
  // arrive and with 0 at the end. The previous download's file, when still
  // at TempPath(), is deleted first: callers move away the files they keep.
  bool DownloadFile(const std::string& baseUrl, const std::string& fileName);
  // A program file listed with listedSize (0: not listed) and digest (its
  // SHA-256), written as a new file at target, which then belongs to the
  // caller (TempPath() stays empty); on failure no file is left there. The
  // body must not be empty, must match a Content-Length sent and, when
  // listedSize is above 0, be exactly that long, and its bytes must have the
  // digest; it fails when nothing arrives for the stall limit.
  bool DownloadProgramFile(const std::string& baseUrl, const std::string& fileName,
                           uint32_t listedSize, const Sha256Digest& digest, const std::string& target);
  // Reads a downloaded version file (at most 102,400 bytes) into bytes;
  // tells the user and returns false when it cannot be opened, is too big
  // or cannot be read.
  bool ReadVersionFile(const std::string& path, std::string& bytes);

  const VersionInfo& Installed() const { return installed_; }
  const VersionInfo& Server() const { return server_; }
  // The last successful download's temporary file (empty after a failure).
  const std::string& TempPath() const { return tempPath_; }
  // Deletes the file at TempPath() and forgets it.
  void DeleteTempFile();
  bool Usable() const { return !unusable_; }
  upgrade::DownloadResult LastResult() const { return lastResult_; }

  // The version file's overall deadline (its signature included) and the
  // most time a download may go without receiving anything.
  void SetTimeLimits(DWORD versionFileDeadlineMs, DWORD stallLimitMs);

 protected:
  // Progress hooks; nothing happens in this class. They run on the thread
  // that called CheckVersion or a download. OnFileChunk's bytes are those
  // received since its last call (chunks coalesced to one call every 50 ms).
  virtual void OnFileBegin(const std::string& name, uint32_t size) { (void)name, (void)size; }
  virtual void OnFileChunk(const std::string& name, uint32_t bytes) { (void)name, (void)bytes; }
  virtual void OnFileDone(const std::string& name, uint32_t size) { (void)name, (void)size; }
  virtual void OnBatchBegin(int count) { (void)count; }
  virtual void OnBatchStep(int index) { (void)index; }
  virtual void OnBatchDone(int count) { (void)count; }

  // Shows one of the checker's messages (no owner, title, error icon).
  static void ShowError(const std::string& text);

  VersionInfo installed_;
  VersionInfo server_;

 private:
  // Fetches the signature of the version file versionFile within
  // deadlineMs (what the version file's deadline has left) and checks it
  // against manifest, the version file's bytes; false also when it cannot
  // be fetched. Shows nothing.
  bool VerifyVersionFile(const std::string& baseUrl, const char* versionFile,
                         const std::string& manifest, DWORD deadlineMs);
  // target: see upgrade::RunDownload; with a target the file is the caller's.
  bool Download(const std::string& baseUrl, const std::string& fileName,
                const upgrade::DownloadLimits& limits, const std::string& target = std::string());

  HINTERNET internet_ = nullptr;
  std::string tempPath_;
  bool unusable_ = false;
  bool dialled_ = false;
  upgrade::DownloadResult lastResult_ = upgrade::DownloadResult::kOk;
  DWORD versionFileDeadlineMs_ = kVersionFileDeadlineMs;
  DWORD stallLimitMs_ = kStallLimitMs;

  HMODULE library_ = nullptr;
  decltype(&InternetGetConnectedState) getConnectedState_ = nullptr;
  decltype(&InternetAutodial) autodial_ = nullptr;
  decltype(&InternetOpenA) open_ = nullptr;
  decltype(&InternetAutodialHangup) hangup_ = nullptr;
  decltype(&InternetSetOptionA) setOption_ = nullptr;  // optional
  upgrade::WinInetCalls calls_;
};

// The registry optimizer's scan engine: seven fixed rules that look for
// entries pointing at files or folders that no longer exist, and for empty
// file-extension keys. The engine deletes nothing and shows no window; it
// reports what it finds through OnFound and its progress through OnScanning,
// which the dialog-bound scanner implements.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>
#include <vector>

class RegistryKey;

// One thing found. A finding with an empty value name stands for the whole
// key; any other finding stands for that one value.
struct RegistryFinding {
  std::string root;       // short root name: "HKCR", "HKCU", "HKLM", "HKUR", "HKCC"
  std::string keyPath;    // relative to the root, no leading backslash
  std::string valueName;  // empty for a key finding
  std::string data;       // the value's string data as stored (not expanded), or empty

  bool IsKey() const { return valueName.empty(); }
};

// "HKCR", "HKCU", "HKLM", "HKUR" or "HKCC" for the five roots; null otherwise.
const char* RootShortName(HKEY root);
// "HKEY_CLASSES_ROOT" ... "HKEY_CURRENT_CONFIG" for the five roots; null otherwise.
const char* RootLongName(HKEY root);
// The root a short name stands for; null for any other text.
HKEY RootFromShortName(const std::string& shortName);
// The root a long name stands for (exact case); null for any other text.
HKEY RootFromLongName(const std::string& longName);

class RegistryScanner {
 public:
  RegistryScanner() = default;
  RegistryScanner(const RegistryScanner&) = delete;
  RegistryScanner& operator=(const RegistryScanner&) = delete;
  virtual ~RegistryScanner() = default;

  // Reads the ignore list, then runs the seven rules in order while the stop
  // flag is clear. Logs the run's start, and its end unless it was stopped.
  // Returns 0.
  int RunAllRules();

  // Replaces the ignore list by the entries of ProgramFolder()
  // "\ignoreRegClean.dat"; a missing or unreadable file gives an empty list.
  void LoadIgnoreList();
  const std::vector<std::string>& IgnoreList() const { return ignore_; }
  // True when an entry of the ignore list occurs inside keyPath
  // (case-sensitive, CP949-aware). Only the software-path rule asks.
  bool IsIgnored(const std::string& keyPath) const;

  // The rules, in the order RunAllRules runs them; each returns 0.
  int ScanSharedDlls();        // 1: HKLM ...\SharedDlls value names
  int ScanFileExts();          // 2: empty extension keys (HKCR, HKCU FileExts)
  int ScanInstallerFolders();  // 3: HKLM ...\Installer\Folders value names
  int ScanHelpFiles();         // 4: HKLM ...\Help and ...\Html Help
  int ScanModuleUsage();       // 5: HKLM ...\ModuleUsage subkey names
  int ScanMruLists();          // 6: recent-file lists under HKCU
  int ScanSoftwarePaths();     // 7: leaf keys under HKCU/HKLM SOFTWARE

  // Reports each value of the key whose string data is a drive path
  // ("X:\...") that does not exist. Roots outside the five are ignored.
  void CheckPathValues(HKEY root, const std::string& keyPath);
  // Walks the key the object points at: every subkey except "Microsoft" (at
  // any depth) and ignored paths; leaf keys have their string values tested
  // as software paths. Keys with subkeys are never tested themselves. The
  // object's root and path are the same afterwards.
  void WalkSoftwareKey(RegistryKey& key);

  // Ends the run after the value or subkey being examined. Any thread.
  void RequestStop() { stop_ = 1; }
  bool StopRequested() const { return stop_ != 0; }

  // Notifications, called on the scanning thread. The base versions do
  // nothing.
  virtual void OnFound(const RegistryFinding& finding) { (void)finding; }
  virtual void OnScanning(const std::string& text) { (void)text; }

 private:
  void WalkKey(HKEY root, const char* shortName, HKEY key, const std::string& path);
  void TestSoftwareValues(HKEY key, const char* shortName, const std::string& path);
  // Reports a finding built from its four parts.
  void Report(const char* root, const std::string& keyPath, const std::string& name,
              const std::string& data);

  // Plain int semantics: set by one thread, read by the scanning one.
  std::atomic<int> stop_{0};
  std::vector<std::string> ignore_;
};

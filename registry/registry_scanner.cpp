#include "registry/registry_scanner.h"

#include <io.h>

#include <cstdio>

#include "app/activity_log.h"
#include "app/cleaner_app.h"
#include "app/registry_key.h"
#include "framework/raii.h"
#include "registry/dead_path.h"
#include "registry/ignore_list.h"

namespace {

// The buffers the rules read through: a string value is read into 255 bytes
// (254 bytes of text and its NUL), a subkey name into 255, a value name into
// 16383, an environment expansion into 1024.
constexpr DWORD kStringBuffer = 255;
constexpr DWORD kSubkeyNameBuffer = 255;
constexpr DWORD kValueNameBuffer = 16383;
constexpr DWORD kExpandBuffer = 1024;

const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const char kInstallerFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kModuleUsage[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ModuleUsage";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const char kOpenSaveMru[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const char* const kHelpKeys[] = {"SOFTWARE\\Microsoft\\Windows\\Help",
                                 "SOFTWARE\\Microsoft\\Windows\\Html Help"};
const char* const kMruKeys[] = {
    "Software\\Microsoft\\VisualStudio\\7.1\\FileMRUList",
    "Software\\Microsoft\\VisualStudio\\7.1\\ProjectMRUList",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
    "Software\\Microsoft\\Office\\11.0\\PowerPoint\\Recent File List",
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List",
};

const char kLogRunStart[] = "레지스트르리 최적화 시작";
const char kLogRunEnd[] = "레지스트르리 최적화 종료";

struct RootNames {
  HKEY root;
  const char* shortName;
  const char* longName;
};
const RootNames kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKCR", "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKCU", "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKLM", "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKUR", "HKEY_USERS"},
    {HKEY_CURRENT_CONFIG, "HKCC", "HKEY_CURRENT_CONFIG"},
};

// The one existence test of every rule: a file or a folder alike.
bool Exists(const std::string& path) { return _access(path.c_str(), 0) == 0; }

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The rules open the keys they examine for full access, as RegistryKey
// does: a key the user may not change is not examined.
bool OpenKey(HKEY parent, const std::string& path, fw::KeyHandle& key,
             REGSAM access = KEY_ALL_ACCESS) {
  return RegOpenKeyExA(parent, path.c_str(), 0, access, key.Put()) == ERROR_SUCCESS;
}

// Subkey names in enumeration order; true only when the enumeration ended
// with ERROR_NO_MORE_ITEMS (a name too long for its buffer ends it early).
bool ListSubkeys(HKEY key, std::vector<std::string>& names) {
  names.clear();
  char name[kSubkeyNameBuffer];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    LONG status = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    names.emplace_back(name, size);
  }
}

// A value as the rules see it.
struct ValueText {
  std::string name;
  // The string data read the way RegistryKey::GetString reads it: REG_SZ or
  // REG_EXPAND_SZ data that fits 255 bytes, up to its first NUL; empty for
  // every other value.
  std::string text;
  // A string value whose data does not fit that buffer (its text reads
  // empty although the value is not).
  bool tooLong = false;
};

// Every value of the key with its text, read with the name in one call per
// value. True only when the enumeration ended with ERROR_NO_MORE_ITEMS.
bool ListValues(HKEY key, std::vector<ValueText>& values) {
  values.clear();
  std::string name(kValueNameBuffer, '\0');
  char data[kStringBuffer + 1];
  for (DWORD i = 0;; ++i) {
    DWORD nameSize = kValueNameBuffer;
    DWORD type = 0;
    DWORD dataSize = kStringBuffer;
    LONG status = RegEnumValueA(key, i, &name[0], &nameSize, nullptr, &type,
                                reinterpret_cast<BYTE*>(data), &dataSize);
    if (status == ERROR_MORE_DATA) {
      // The data does not fit the string buffer: ask again for the name
      // alone. When the name itself is what does not fit, this fails too
      // and ends the enumeration.
      nameSize = kValueNameBuffer;
      status = RegEnumValueA(key, i, &name[0], &nameSize, nullptr, &type, nullptr, nullptr);
      if (status != ERROR_SUCCESS) return status == ERROR_NO_MORE_ITEMS;
      ValueText v;
      v.name.assign(name.data(), nameSize);
      v.tooLong = IsStringType(type);
      values.push_back(std::move(v));
      continue;
    }
    if (status == ERROR_NO_MORE_ITEMS) return true;
    if (status != ERROR_SUCCESS) return false;
    ValueText v;
    v.name.assign(name.data(), nameSize);
    if (IsStringType(type)) {
      data[dataSize < kStringBuffer ? dataSize : kStringBuffer] = '\0';
      v.text = data;  // up to the first NUL
    }
    values.push_back(std::move(v));
  }
}

// True when text starts like "X:\".
bool IsDrivePath(const std::string& text) {
  return text.size() >= 3 && text[1] == ':' && text[2] == '\\';
}

}  // namespace

const char* RootShortName(HKEY root) {
  for (const RootNames& r : kRoots)
    if (r.root == root) return r.shortName;
  return nullptr;
}

const char* RootLongName(HKEY root) {
  for (const RootNames& r : kRoots)
    if (r.root == root) return r.longName;
  return nullptr;
}

HKEY RootFromShortName(const std::string& shortName) {
  for (const RootNames& r : kRoots)
    if (shortName == r.shortName) return r.root;
  return nullptr;
}

HKEY RootFromLongName(const std::string& longName) {
  for (const RootNames& r : kRoots)
    if (longName == r.longName) return r.root;
  return nullptr;
}

void RegistryScanner::LoadIgnoreList() {
  ignore_.clear();
  std::FILE* file = std::fopen((ProgramFolder() + "\\ignoreRegClean.dat").c_str(), "rb");
  if (!file) return;  // the list is optional
  std::string content;
  char buffer[4096];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) content.append(buffer, n);
  std::fclose(file);
  ignore_ = ParseIgnoreList(content);
}

bool RegistryScanner::IsIgnored(const std::string& keyPath) const {
  return IsIgnoredPath(keyPath, ignore_);
}

void RegistryScanner::Report(const char* root, const std::string& keyPath,
                             const std::string& name, const std::string& data) {
  RegistryFinding finding;
  finding.root = root;
  finding.keyPath = keyPath;
  finding.valueName = name;
  finding.data = data;
  OnFound(finding);
}

int RegistryScanner::RunAllRules() {
  using Rule = int (RegistryScanner::*)();
  static const Rule kRules[] = {
      &RegistryScanner::ScanSharedDlls,       &RegistryScanner::ScanFileExts,
      &RegistryScanner::ScanInstallerFolders, &RegistryScanner::ScanHelpFiles,
      &RegistryScanner::ScanModuleUsage,      &RegistryScanner::ScanMruLists,
      &RegistryScanner::ScanSoftwarePaths,
  };
  WriteLog("%s", kLogRunStart);
  LoadIgnoreList();
  bool first = true;
  for (Rule rule : kRules) {
    if (!first && StopRequested()) return 0;  // a stopped run writes no end line
    first = false;
    (this->*rule)();
  }
  if (!StopRequested()) WriteLog("%s", kLogRunEnd);
  return 0;
}

int RegistryScanner::ScanSharedDlls() {
  WriteLog("레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 시작");
  fw::KeyHandle key;
  std::vector<ValueText> values;
  if (!OpenKey(HKEY_LOCAL_MACHINE, kSharedDlls, key) || !ListValues(key.Get(), values)) return 0;
  for (const ValueText& v : values) {
    if (StopRequested()) break;
    // The value name is the DLL's path; the data is its reference count.
    if (Exists(v.name)) continue;
    Report("HKLM", kSharedDlls, v.name, "");
    WriteLog("레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 찾음:%s %s %s", "HKLM", kSharedDlls, "");
  }
  WriteLog("레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 종료");
  return 0;
}

int RegistryScanner::ScanFileExts() {
  struct Pass {
    HKEY root;
    const char* base;
    const char* shortName;
  };
  const Pass passes[] = {{HKEY_CLASSES_ROOT, "", "HKCR"}, {HKEY_CURRENT_USER, kFileExts, "HKCU"}};
  for (const Pass& pass : passes) {
    fw::KeyHandle base;
    if (!OpenKey(pass.root, pass.base, base)) continue;
    OnScanning(pass.base);
    std::vector<std::string> names;
    if (!ListSubkeys(base.Get(), names)) continue;
    const std::string prefix = *pass.base ? std::string(pass.base) + "\\" : std::string();
    std::vector<ValueText> values;
    for (const std::string& name : names) {
      if (StopRequested()) return 0;
      OnScanning(name);
      fw::KeyHandle key;
      if (!OpenKey(base.Get(), name, key) || !ListValues(key.Get(), values)) continue;
      if (values.size() > 1) continue;
      // A default value too long to read is not empty: such a key is kept.
      if (values.size() == 1 &&
          (!values[0].name.empty() || !values[0].text.empty() || values[0].tooLong))
        continue;
      DWORD subkeys = 0;
      if (RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                           nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
          subkeys > 0)
        continue;
      Report(pass.shortName, prefix + name, "", "");
    }
  }
  return 0;
}

int RegistryScanner::ScanInstallerFolders() {
  OnScanning(kInstallerFolders);
  fw::KeyHandle key;
  std::vector<ValueText> values;
  if (!OpenKey(HKEY_LOCAL_MACHINE, kInstallerFolders, key) || !ListValues(key.Get(), values))
    return 0;
  for (const ValueText& v : values) {
    if (StopRequested()) return 0;
    // The value name is the folder's path.
    if (!Exists(v.name)) Report("HKLM", kInstallerFolders, v.name, v.text);
  }
  return 0;
}

int RegistryScanner::ScanHelpFiles() {
  for (const char* path : kHelpKeys) {
    OnScanning(path);
    fw::KeyHandle key;
    std::vector<ValueText> values;
    // A key that can't be read ends the whole rule, the second key included.
    if (!OpenKey(HKEY_LOCAL_MACHINE, path, key) || !ListValues(key.Get(), values)) return 0;
    for (const ValueText& v : values) {
      if (StopRequested()) return 0;
      // The name is the help file's, the data the folder that holds it.
      if (v.text.empty()) continue;
      if (!Exists(v.text + "\\" + v.name)) Report("HKLM", path, v.name, v.text);
    }
  }
  return 0;
}

int RegistryScanner::ScanModuleUsage() {
  WriteLog("레지스트리 최적화(Module Usage) 시작");
  fw::KeyHandle key;
  std::vector<std::string> names;
  if (!OpenKey(HKEY_LOCAL_MACHINE, kModuleUsage, key) || !ListSubkeys(key.Get(), names)) return 0;
  for (const std::string& name : names) {
    if (StopRequested()) break;
    // The subkey name is the module's path.
    if (Exists(name)) continue;
    const std::string path = std::string(kModuleUsage) + "\\" + name;
    WriteLog("레지스트리 최적화(Module Usage) 찾음:HKLM %s", path.c_str());
    Report("HKLM", path, "", "");
  }
  WriteLog("레지스트리 최적화(Module Usage) 종료");
  return 0;
}

void RegistryScanner::CheckPathValues(HKEY root, const std::string& keyPath) {
  const char* shortName = RootShortName(root);
  if (!shortName) return;
  fw::KeyHandle key;
  if (!OpenKey(root, keyPath, key)) return;
  OnScanning(keyPath);
  std::vector<ValueText> values;
  if (!ListValues(key.Get(), values)) return;
  for (const ValueText& v : values) {
    if (StopRequested()) return;
    // The data as stored: no expansion, no trimming.
    if (IsDrivePath(v.text) && !Exists(v.text)) Report(shortName, keyPath, v.name, v.text);
  }
}

int RegistryScanner::ScanMruLists() {
  CheckPathValues(HKEY_CURRENT_USER, kOpenSaveMru);
  {
    fw::KeyHandle key;
    DWORD subkeys = 0;
    std::vector<std::string> names;
    if (OpenKey(HKEY_CURRENT_USER, kOpenSaveMru, key) &&
        RegQueryInfoKeyA(key.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subkeys > 0) {
      // Names listed before a failure are still used, as RegistryKey leaves them.
      ListSubkeys(key.Get(), names);
    }
    for (const std::string& name : names)
      CheckPathValues(HKEY_CURRENT_USER, std::string(kOpenSaveMru) + "\\" + name);
  }
  for (const char* path : kMruKeys) CheckPathValues(HKEY_CURRENT_USER, path);
  return 0;
}

int RegistryScanner::ScanSoftwarePaths() {
  WriteLog("레지스트리 최적화(Software Path) 시작");
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    RegistryKey key;
    key.SetRoot(root);
    if (key.Open("SOFTWARE")) WalkSoftwareKey(key);
  }
  WriteLog("레지스트리 최적화(Software Path) 종료");
  return 0;
}

void RegistryScanner::WalkSoftwareKey(RegistryKey& key) {
  const char* shortName = RootShortName(key.Root());
  if (!shortName) return;
  // The walk holds one handle per level instead of opening every key again
  // for each question: each registry call is a round trip to the registry's
  // server, and the walk's cost is its number of calls.
  // Listing the subkeys of the walked key itself needs reading only.
  fw::KeyHandle handle;
  if (!OpenKey(key.Root(), key.GetPath(), handle, KEY_READ)) return;
  WalkKey(key.Root(), shortName, handle.Get(), key.GetPath());
}

void RegistryScanner::WalkKey(HKEY root, const char* shortName, HKEY key,
                              const std::string& path) {
  std::vector<std::string> names;
  if (!ListSubkeys(key, names)) return;
  for (const std::string& name : names) {
    if (StopRequested()) return;
    const std::string child = path.empty() ? name : path + "\\" + name;
    if (IsIgnored(child)) continue;
    if (name == "Microsoft") continue;  // at every depth
    fw::KeyHandle handle;
    if (!OpenKey(key, name, handle)) continue;
    DWORD subkeys = 0;
    DWORD values = 0;
    LONG status = RegQueryInfoKeyA(handle.Get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                                   nullptr, &values, nullptr, nullptr, nullptr, nullptr);
    // Only leaf keys are tested; a key whose counts can't be read is walked
    // (its subkeys then can't be listed either, and nothing happens).
    if (status != ERROR_SUCCESS || subkeys != 0) {
      WalkKey(root, shortName, handle.Get(), child);
      continue;
    }
    OnScanning(child);
    if (values != 0) TestSoftwareValues(handle.Get(), shortName, child);
  }
}

void RegistryScanner::TestSoftwareValues(HKEY key, const char* shortName,
                                         const std::string& path) {
  std::vector<ValueText> values;
  if (!ListValues(key, values)) return;
  for (const ValueText& v : values) {
    if (StopRequested()) return;
    if (v.text.empty()) continue;
    char expanded[kExpandBuffer];
    DWORD n = ExpandEnvironmentStringsA(v.text.c_str(), expanded, kExpandBuffer);
    // An expansion that does not fit the buffer is not a path we can test.
    if (n == 0 || n > kExpandBuffer) continue;
    if (IsDeadSoftwarePath(expanded, Exists)) Report(shortName, path, v.name, v.text);
  }
}

// The scan rules against the real registry of the test prefix: each rule
// gets planted positives and the near-misses it must pass over.
#include "registry/registry_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/activity_log.h"
#include "app/cleaner_app.h"
#include "app/registry_key.h"
#include "tests/support/wine_env.h"

using testing_support::DeleteKeyTree;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;
using testing_support::WriteFileBytes;

namespace {

const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const char kInstallerFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kHelp[] = "SOFTWARE\\Microsoft\\Windows\\Help";
const char kHtmlHelp[] = "SOFTWARE\\Microsoft\\Windows\\Html Help";
const char kModuleUsage[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ModuleUsage";
const char kFileExts[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts";
const char kOpenSaveMru[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU";
const char kPaintMru[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List";
// Nothing of this exists on the test drive.
const std::string kGone = "C:\\spruce-tests-gone-" + std::to_string(GetCurrentProcessId());

// A registry key for one test: created when missing and removed afterwards
// (with its subtree) when it was created here; in a key that was there
// before, only the values set through this object are removed.
class PlantedKey {
 public:
  PlantedKey(HKEY root, std::string path) : root_(root), path_(std::move(path)) {
    HKEY key;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                              &disposition),
              ERROR_SUCCESS)
        << path_;
    created_ = disposition == REG_CREATED_NEW_KEY;
    RegCloseKey(key);
  }
  ~PlantedKey() {
    if (created_) {
      DeleteKeyTree(root_, path_);
      return;
    }
    HKEY key;
    if (RegOpenKeyExA(root_, path_.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    for (const std::string& name : names_) RegDeleteValueA(key, name.c_str());
    RegCloseKey(key);
  }
  PlantedKey(const PlantedKey&) = delete;
  PlantedKey& operator=(const PlantedKey&) = delete;

  void Set(const std::string& name, DWORD type, const std::string& bytes) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(root_, path_.c_str(), 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type,
                             reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size())),
              ERROR_SUCCESS);
    RegCloseKey(key);
    names_.push_back(name);
  }
  void SetString(const std::string& name, const std::string& text) {
    Set(name, REG_SZ, std::string(text.c_str(), text.size() + 1));
  }
  void SetDword(const std::string& name, DWORD number) {
    Set(name, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), 4));
  }
  const std::string& Path() const { return path_; }

 private:
  HKEY root_;
  std::string path_;
  bool created_ = false;
  std::vector<std::string> names_;
};

// Collects what the engine reports.
class Collector : public RegistryScanner {
 public:
  void OnFound(const RegistryFinding& f) override { found.push_back(f); }
  void OnScanning(const std::string& text) override { scanned.push_back(text); }

  bool Has(const std::string& root, const std::string& key, const std::string& name) const {
    return Find(root, key, name) != nullptr;
  }
  const RegistryFinding* Find(const std::string& root, const std::string& key,
                              const std::string& name) const {
    for (const RegistryFinding& f : found)
      if (f.root == root && f.keyPath == key && f.valueName == name) return &f;
    return nullptr;
  }
  // Findings whose key path starts with prefix.
  std::vector<RegistryFinding> Under(const std::string& prefix) const {
    std::vector<RegistryFinding> out;
    for (const RegistryFinding& f : found)
      if (f.keyPath.compare(0, prefix.size(), prefix) == 0) out.push_back(f);
    return out;
  }
  bool Scanned(const std::string& text) const {
    return std::find(scanned.begin(), scanned.end(), text) != scanned.end();
  }

  std::vector<RegistryFinding> found;
  std::vector<std::string> scanned;
};

// Switches the activity log on into a file of the test for its lifetime.
class LogCapture {
 public:
  explicit LogCapture(const std::string& path) {
    LoggingDisabled = 0;
    LogFilePath = path;
  }
  ~LogCapture() {
    LoggingDisabled = 1;
    LogFilePath.clear();
  }
  std::string Text() const { return ReadFileBytes(LogFilePath); }
  bool Contains(const std::string& s) const { return Text().find(s) != std::string::npos; }
};

class RegistryScannerTest : public ::testing::Test {
 protected:
  void SetUp() override { savedFolder_ = ProgramFolder(); }
  void TearDown() override { TheApp().SetProgramFolder(savedFolder_); }

  TempFolder temp_{"regscan"};
  std::string savedFolder_;
};

TEST_F(RegistryScannerTest, SharedDllsReportsMissingDllsWithTheirLogLines) {
  ASSERT_TRUE(WriteFileBytes(temp_.File("there.dll"), "x"));
  PlantedKey key(HKEY_LOCAL_MACHINE, kSharedDlls);
  const std::string gone = kGone + "\\shared.dll";
  key.SetDword(gone, 3);
  key.SetDword(temp_.File("there.dll"), 1);
  LogCapture log(temp_.File("Spruce.log"));

  Collector scanner;
  scanner.ScanSharedDlls();

  const RegistryFinding* f = scanner.Find("HKLM", kSharedDlls, gone);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data, "");  // the count is not string data
  EXPECT_FALSE(scanner.Has("HKLM", kSharedDlls, temp_.File("there.dll")));
  EXPECT_TRUE(scanner.scanned.empty());
  const std::string text = log.Text();
  const std::string start = "레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 시작\r\n";
  const std::string found =
      "레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 찾음:HKLM " + std::string(kSharedDlls) + " \r\n";
  const std::string end = "레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 종료\r\n";
  ASSERT_NE(text.find(start), std::string::npos);
  ASSERT_NE(text.find(found), std::string::npos);
  ASSERT_NE(text.find(end), std::string::npos);
  EXPECT_LT(text.find(start), text.find(found));
  EXPECT_LT(text.find(found), text.find(end));
}

TEST_F(RegistryScannerTest, FileExtsReportsOnlyKeysWithoutValuesOrSubkeys) {
  const std::string tag = ".sprtst" + std::to_string(GetCurrentProcessId());
  PlantedKey empty(HKEY_CLASSES_ROOT, tag + "empty");
  PlantedKey emptyDefault(HKEY_CLASSES_ROOT, tag + "emptydef");
  emptyDefault.SetString("", "");
  PlantedKey withDefault(HKEY_CLASSES_ROOT, tag + "def");
  withDefault.SetString("", "txtfile");
  PlantedKey named(HKEY_CLASSES_ROOT, tag + "named");
  named.SetString("Content Type", "");
  PlantedKey parent(HKEY_CLASSES_ROOT, tag + "sub");
  PlantedKey child(HKEY_CLASSES_ROOT, tag + "sub\\ShellNew");
  // A default value too long for the 255-byte read is not empty.
  PlantedKey longDefault(HKEY_CLASSES_ROOT, tag + "long");
  longDefault.SetString("", std::string(300, 'L'));
  PlantedKey userExt(HKEY_CURRENT_USER, std::string(kFileExts) + "\\" + tag + "user");

  Collector scanner;
  scanner.ScanFileExts();

  auto ours = [&](const std::string& root) {
    std::vector<std::string> keys;
    for (const RegistryFinding& f : scanner.found) {
      if (f.root == root && f.keyPath.find(tag) != std::string::npos) {
        keys.push_back(f.keyPath);
        EXPECT_TRUE(f.valueName.empty() && f.data.empty());
      }
    }
    std::sort(keys.begin(), keys.end());
    return keys;
  };
  EXPECT_EQ(ours("HKCR"), (std::vector<std::string>{tag + "empty", tag + "emptydef"}));
  EXPECT_EQ(ours("HKCU"), (std::vector<std::string>{std::string(kFileExts) + "\\" + tag + "user"}));
  EXPECT_TRUE(scanner.Scanned(kFileExts));
  EXPECT_TRUE(scanner.Scanned(tag + "empty"));  // the bare subkey name
}

TEST_F(RegistryScannerTest, InstallerFoldersHelpFilesAndModuleUsage) {
  ASSERT_TRUE(WriteFileBytes(temp_.File("there.hlp"), "x"));
  ASSERT_TRUE(WriteFileBytes(temp_.File("there.dll"), "x"));
  PlantedKey folders(HKEY_LOCAL_MACHINE, kInstallerFolders);
  const std::string goneFolder = kGone + "\\folder\\";
  folders.SetString(goneFolder, "installer data");
  folders.SetString(temp_.Path() + "\\", "");
  PlantedKey help(HKEY_LOCAL_MACHINE, kHelp);
  help.SetString("sprgone.hlp", temp_.Path());
  help.SetString("there.hlp", temp_.Path());
  help.SetString("sprempty.hlp", "");
  PlantedKey htmlHelp(HKEY_LOCAL_MACHINE, kHtmlHelp);
  htmlHelp.SetString("sprgone.chm", temp_.Path());
  // Subkey names can't hold a backslash; the modules' paths use slashes.
  std::string goneModule = kGone + "/module.dll";
  std::replace(goneModule.begin(), goneModule.end(), '\\', '/');
  std::string thereModule = temp_.File("there.dll");
  std::replace(thereModule.begin(), thereModule.end(), '\\', '/');
  PlantedKey goneUsage(HKEY_LOCAL_MACHINE, std::string(kModuleUsage) + "\\" + goneModule);
  PlantedKey thereUsage(HKEY_LOCAL_MACHINE, std::string(kModuleUsage) + "\\" + thereModule);
  LogCapture log(temp_.File("Spruce.log"));

  Collector scanner;
  scanner.ScanInstallerFolders();
  scanner.ScanHelpFiles();
  scanner.ScanModuleUsage();

  const RegistryFinding* f = scanner.Find("HKLM", kInstallerFolders, goneFolder);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data, "installer data");
  EXPECT_FALSE(scanner.Has("HKLM", kInstallerFolders, temp_.Path() + "\\"));
  EXPECT_TRUE(scanner.Scanned(kInstallerFolders));

  f = scanner.Find("HKLM", kHelp, "sprgone.hlp");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data, temp_.Path());
  EXPECT_FALSE(scanner.Has("HKLM", kHelp, "there.hlp"));
  EXPECT_FALSE(scanner.Has("HKLM", kHelp, "sprempty.hlp"));  // empty data: never
  EXPECT_TRUE(scanner.Has("HKLM", kHtmlHelp, "sprgone.chm"));

  const std::string goneKey = std::string(kModuleUsage) + "\\" + goneModule;
  EXPECT_TRUE(scanner.Has("HKLM", goneKey, ""));
  EXPECT_FALSE(scanner.Has("HKLM", std::string(kModuleUsage) + "\\" + thereModule, ""));
  EXPECT_TRUE(log.Contains("레지스트리 최적화(Module Usage) 시작\r\n"));
  EXPECT_TRUE(log.Contains("레지스트리 최적화(Module Usage) 찾음:HKLM " + goneKey + "\r\n"));
  EXPECT_TRUE(log.Contains("레지스트리 최적화(Module Usage) 종료\r\n"));
}

TEST_F(RegistryScannerTest, MruListsReportMissingDrivePathsAsStored) {
  ASSERT_TRUE(WriteFileBytes(temp_.File("there.txt"), "x"));
  PlantedKey mru(HKEY_CURRENT_USER, kOpenSaveMru);
  const std::string tag = "spr" + std::to_string(GetCurrentProcessId());
  mru.SetString(tag + "a", kGone + "\\doc.txt");
  mru.SetString(tag + "b", temp_.File("there.txt"));
  mru.SetString(tag + "c", "%TEMP%\\spruce-gone.txt");  // not stored as a drive path
  mru.SetString(tag + "d", "C:/spruce-gone/doc.txt");
  PlantedKey sub(HKEY_CURRENT_USER, std::string(kOpenSaveMru) + "\\" + tag);
  sub.SetString("a", kGone + "\\sub.txt");
  PlantedKey paint(HKEY_CURRENT_USER, kPaintMru);
  paint.SetString(tag + "File1", kGone + "\\picture.bmp");

  Collector scanner;
  scanner.ScanMruLists();

  const RegistryFinding* f = scanner.Find("HKCU", kOpenSaveMru, tag + "a");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data, kGone + "\\doc.txt");
  EXPECT_FALSE(scanner.Has("HKCU", kOpenSaveMru, tag + "b"));
  EXPECT_FALSE(scanner.Has("HKCU", kOpenSaveMru, tag + "c"));
  EXPECT_FALSE(scanner.Has("HKCU", kOpenSaveMru, tag + "d"));
  EXPECT_TRUE(scanner.Has("HKCU", std::string(kOpenSaveMru) + "\\" + tag, "a"));
  EXPECT_TRUE(scanner.Has("HKCU", kPaintMru, tag + "File1"));
  EXPECT_TRUE(scanner.Scanned(kPaintMru));
}

// The software-path walk over a tree of its own under HKCU\SOFTWARE.
class SoftwareWalkTest : public RegistryScannerTest {
 protected:
  void SetUp() override {
    RegistryScannerTest::SetUp();
    base_ = "SOFTWARE\\SpruceTestsWalk" + std::to_string(GetCurrentProcessId());
    DeleteKeyTree(HKEY_CURRENT_USER, base_);
  }
  void TearDown() override {
    DeleteKeyTree(HKEY_CURRENT_USER, base_);
    RegistryScannerTest::TearDown();
  }
  void Plant(const std::string& sub, const std::string& name, const std::string& text) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (base_ + "\\" + sub).c_str(), 0, nullptr, 0,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>(text.size() + 1));
    RegCloseKey(key);
  }
  // Walks the test tree with the ignore list of ignoreText (none when empty).
  void Walk(Collector& scanner, const std::string& ignoreText = std::string()) {
    if (!ignoreText.empty()) {
      ASSERT_TRUE(WriteFileBytes(temp_.File("ignoreRegClean.dat"), ignoreText));
    }
    TheApp().SetProgramFolder(temp_.Path());
    scanner.LoadIgnoreList();
    RegistryKey key;
    key.SetRoot(HKEY_CURRENT_USER);
    ASSERT_TRUE(key.Open(base_));
    scanner.WalkSoftwareKey(key);
    EXPECT_EQ(key.GetPath(), base_);
  }
  std::string Key(const std::string& sub) const { return base_ + "\\" + sub; }

  std::string base_;
};

TEST_F(SoftwareWalkTest, LeafValuesAreTestedAsPaths) {
  const std::string there = temp_.Path();
  ASSERT_TRUE(WriteFileBytes(temp_.File("tool.exe"), "x"));
  ASSERT_TRUE(CreateDirectoryA(temp_.File("app").c_str(), nullptr));
  Plant("Expand", "Path", "%ProgramFiles%\\SpruceGoneApp\\app.exe");
  Plant("Switch", "Cmd", kGone + "\\app.exe -silent");
  Plant("SwitchExe", "Cmd", there + "\\tool.exe -silent");  // tested as ...\tool.exe
  Plant("SwitchDir", "Cmd", there + "\\App.exe -silent");   // tested as ...\app, a folder
  Plant("Slash", "Cmd", kGone + "\\app.exe /s");
  Plant("TwoDrives", "List", kGone + "\\a.dll," + kGone + "\\b.dll");
  Plant("Comma", "Icon", kGone + "\\icon.dll,0");
  Plant("OldDir", "Dir", kGone + "\\old\\");
  Plant("ThereDir", "Dir", there + "\\");
  Plant("NoExt", "Run", there + "\\tool");  // no extension: ...\tool.exe exists
  Plant("Long", "Path", kGone + "\\" + std::string(300, 'p'));  // unreadable: empty
  Plant("Parent", "Path", kGone + "\\parent.exe");  // has a subkey: never tested
  Plant("Parent\\Child", "Path", kGone + "\\child.exe");
  Plant("Deep\\Microsoft", "Path", kGone + "\\ms1.exe");
  Plant("Deep\\Er\\Microsoft\\Leaf", "Path", kGone + "\\ms2.exe");
  Plant("Microsoft", "Path", kGone + "\\ms3.exe");
  // Only the exact name is skipped (the registry's names are case-blind, so
  // the lower-case key needs a parent of its own).
  Plant("Deep2\\microsoft", "Path", kGone + "\\ms4.exe");

  Collector scanner;
  Walk(scanner);

  std::vector<std::string> keys;
  for (const RegistryFinding& f : scanner.found) {
    EXPECT_EQ(f.root, "HKCU");
    keys.push_back(f.keyPath.substr(base_.size() + 1) + "|" + f.valueName);
  }
  std::sort(keys.begin(), keys.end());
  EXPECT_EQ(keys, (std::vector<std::string>{"Comma|Icon", "Deep2\\microsoft|Path", "Expand|Path",
                                            "OldDir|Dir", "Parent\\Child|Path", "Switch|Cmd"}));
  // The finding carries the text as stored, not its expansion.
  const RegistryFinding* f = scanner.Find("HKCU", Key("Expand"), "Path");
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->data, "%ProgramFiles%\\SpruceGoneApp\\app.exe");
  EXPECT_TRUE(scanner.Scanned(Key("Parent\\Child")));
  EXPECT_FALSE(scanner.Scanned(Key("Parent")));
  EXPECT_FALSE(scanner.Scanned(Key("Microsoft")));
}

TEST_F(SoftwareWalkTest, IgnoreListEntriesAreCaseSensitiveSubstrings) {
  Plant("Vendor", "Path", kGone + "\\1.exe");
  Plant("Vendor2\\x", "Path", kGone + "\\2.exe");
  Plant("OtherVendorTools", "Path", kGone + "\\3.exe");
  Plant("Lower\\vendor", "Path", kGone + "\\4.exe");
  {
    Collector scanner;
    Walk(scanner, "  Vendor\t\r\n");
    ASSERT_EQ(scanner.found.size(), 1u);
    EXPECT_EQ(scanner.found[0].keyPath, Key("Lower\\vendor"));
  }
  {
    // A blank line is an empty entry, and an empty entry is in every path.
    Collector scanner;
    Walk(scanner, "Nothing\r\n   \r\nElse\r\n");
    EXPECT_EQ(scanner.IgnoreList().size(), 3u);
    EXPECT_TRUE(scanner.found.empty());
  }
  {
    Collector scanner;
    DeleteFileA(temp_.File("ignoreRegClean.dat").c_str());
    Walk(scanner);  // no file: an empty list
    EXPECT_TRUE(scanner.IgnoreList().empty());
    EXPECT_EQ(scanner.found.size(), 4u);
  }
}

// Stops itself when rule 3 announces its key, as a user pressing "중지" then.
class StopAtInstallerFolders : public Collector {
 public:
  void OnScanning(const std::string& text) override {
    Collector::OnScanning(text);
    if (text == kInstallerFolders) RequestStop();
  }
};

TEST_F(RegistryScannerTest, StopDuringInstallerFoldersEndsTheRunThere) {
  TheApp().SetProgramFolder(temp_.Path());
  const std::string tag = "spr" + std::to_string(GetCurrentProcessId());
  PlantedKey folders(HKEY_LOCAL_MACHINE, kInstallerFolders);
  folders.SetString(kGone + "\\stopfolder\\", "");
  PlantedKey help(HKEY_LOCAL_MACHINE, kHelp);
  help.SetString(tag + ".hlp", temp_.Path());
  PlantedKey walk(HKEY_CURRENT_USER, "SOFTWARE\\SpruceTestsStop" + tag);
  walk.SetString("Path", kGone + "\\stop.exe");
  LogCapture log(temp_.File("Spruce.log"));

  StopAtInstallerFolders scanner;
  EXPECT_EQ(scanner.RunAllRules(), 0);

  EXPECT_TRUE(scanner.StopRequested());
  EXPECT_EQ(scanner.scanned.back(), kInstallerFolders);  // nothing examined after it
  EXPECT_FALSE(scanner.Has("HKLM", kInstallerFolders, kGone + "\\stopfolder\\"));
  EXPECT_FALSE(scanner.Has("HKLM", kHelp, tag + ".hlp"));
  EXPECT_TRUE(scanner.Under("SOFTWARE\\SpruceTestsStop").empty());
  const std::string text = log.Text();
  EXPECT_NE(text.find("레지스트르리 최적화 시작\r\n"), std::string::npos);
  EXPECT_NE(text.find("레지스트리 최적화(존재하지 않는 공유 DLL 찾기) 시작"), std::string::npos);
  EXPECT_EQ(text.find("Module Usage"), std::string::npos);
  EXPECT_EQ(text.find("Software Path"), std::string::npos);
  EXPECT_EQ(text.find("레지스트르리 최적화 종료"), std::string::npos);
}

}  // namespace

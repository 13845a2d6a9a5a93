// The optimization dialog driven as a user drives it, over the real registry
// of the test prefix: scan, stop, delete with its backup file, and the round
// trip back through the restore dialog. Each full scan walks the whole
// prefix (seconds), so the deletion phases share one dialog.
#include "registry/registry_dlg.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/activity_log.h"
#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "registry/backup_file.h"
#include "registry/restore_dlg.h"
#include "resources/resource.h"
#include "tests/support/late_click.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using testing_support::ClickAsTheJobEnds;
using testing_support::DeleteKeyTree;
using testing_support::MessageBoxRecorder;
using testing_support::PumpUntil;
using testing_support::ReadFileBytes;
using testing_support::TempFolder;
using testing_support::WriteFileBytes;

namespace {

const char kTitle[] = "레지스트리 최적화";
const char kSharedDlls[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const char kInstallerFolders[] =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Installer\\Folders";
const char kModuleUsage[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\ModuleUsage";

// Everything a test plants carries this, so its rows can be told apart from
// what the prefix itself holds.
const std::string kTag = "sprdlg" + std::to_string(GetCurrentProcessId());
const std::string kGone = "C:\\" + kTag + "-gone";

using Value = std::pair<DWORD, std::string>;  // type, bytes
using Values = std::map<std::string, Value>;

std::string Bytes(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }
std::string DwordBytes(DWORD n) { return std::string(reinterpret_cast<const char*>(&n), 4); }

bool SetValue(HKEY root, const std::string& path, const std::string& name, DWORD type,
              const std::string& bytes) {
  HKEY key;
  if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG status = RegSetValueExA(key, name.c_str(), 0, type,
                               reinterpret_cast<const BYTE*>(bytes.data()),
                               static_cast<DWORD>(bytes.size()));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Every value of the key, in enumeration order, with its exact bytes.
std::vector<std::pair<std::string, Value>> ReadValuesInOrder(HKEY root, const std::string& path) {
  std::vector<std::pair<std::string, Value>> out;
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return out;
  for (DWORD i = 0;; ++i) {
    char name[16384];
    DWORD nameSize = sizeof name, type = 0, size = 0;
    if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
      break;
    std::string bytes(size + 1, '\0');
    nameSize = sizeof name;
    DWORD got = size + 1;
    RegEnumValueA(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(&bytes[0]),
                  &got);
    bytes.resize(got);
    out.push_back({std::string(name, nameSize), {type, bytes}});
  }
  RegCloseKey(key);
  return out;
}

Values ReadValues(HKEY root, const std::string& path) {
  Values out;
  for (auto& v : ReadValuesInOrder(root, path)) out.insert(v);
  return out;
}

// "x" and the bytes in upper-case hex: how the typed lines carry any field.
std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "x";
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Typed(const std::string& root, const std::string& path, const std::string& name,
                  const Value& v) {
  return "XVAL+" + root + "+" + Hex(path) + "+" + Hex(name) + "+" + std::to_string(v.first) + "+" +
         Hex(v.second) + "\r\n";
}

// The *.reg files of a folder with their contents.
std::map<std::string, std::string> BackupFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.reg").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return files;
  do {
    files[data.cFileName] = ReadFileBytes(folder + "\\" + data.cFileName);
  } while (FindNextFileA(find, &data));
  FindClose(find);
  return files;
}

SYSTEMTIME SecondsFromNow(int seconds) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME ft;
  SystemTimeToFileTime(&now, &ft);
  ULARGE_INTEGER t;
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += static_cast<ULONGLONG>(seconds) * 10000000ULL;
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  SYSTEMTIME later;
  FileTimeToSystemTime(&ft, &later);
  return later;
}

// Runs a clean-up however the test leaves its scope.
struct Cleanup {
  explicit Cleanup(std::function<void()> f) : run(std::move(f)) {}
  ~Cleanup() { run(); }
  std::function<void()> run;
};

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// The dialog with a backup writer that can fail, or press "중지", on a
// chosen write of a run.
class TestRegistryDlg : public CRegistryDlg {
 public:
  int writes = 0;
  int failAt = 0;  // the write (counting from 1) that fails; 0: none
  int stopAt = 0;  // the write after which the user presses "중지"; 0: none
  std::function<void(int)> afterWrite;  // called on the deletion thread

 protected:
  bool WriteBackup(HANDLE file, const std::string& lines) override {
    ++writes;
    if (writes == failAt) return false;
    bool ok = CRegistryDlg::WriteBackup(file, lines);
    if (afterWrite) afterWrite(writes);
    if (writes == stopAt) Click(Hwnd(), IDC_DELETE);  // from the deletion thread, as a click
    return ok;
  }
};

class RegistryDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { savedFolder_ = ProgramFolder(); }
  void TearDown() override {
    TheApp().SetProgramFolder(savedFolder_);
    LoggingDisabled = 1;
    LogFilePath.clear();
  }
  // Waits until the dialog is idle, a box beyond the first `boxes` came and
  // button 5 is usable again.
  bool WaitIdle(const CRegistryDlg& dialog, size_t boxes, DWORD ms = 180000) {
    return PumpUntil(
        [&] {
          return recorder_.Count() > boxes && !dialog.IsBusy() &&
                 IsWindowEnabled(dialog.Item(IDC_DELETE));
        },
        ms);
  }
  std::string Text(const CRegistryDlg& dialog, int id) {
    return fw::GetControlText(dialog.Item(id));
  }
  bool IsOurs(HWND list, int row) {
    for (int c = 2; c <= 3; ++c)
      if (fw::list::Text(list, row, c).find(kTag) != std::string::npos) return true;
    return false;
  }

  MessageBoxRecorder recorder_;
  std::string savedFolder_;
};

TEST(RegistryDlgScanner, StatusTextIsCutAt50BytesWithDots) {
  const std::string fifty(50, 'k');
  EXPECT_EQ(RegistryDlgScanner::StatusText(fifty), fifty);
  EXPECT_EQ(RegistryDlgScanner::StatusText(fifty + "L"), fifty + "...");
  // 26 two-byte characters: cut at byte 50 exactly.
  std::string korean;
  for (int i = 0; i < 26; ++i) korean += "키";
  EXPECT_EQ(RegistryDlgScanner::StatusText(korean), korean.substr(0, 50) + "...");
}

TEST_F(RegistryDlgTest, StopDuringTheScanKeepsTheRowsFoundSoFar) {
  TempFolder folder("regdlgstop");
  TheApp().SetProgramFolder(folder.Path());
  // Something rule 1 finds at once, so a row is there to keep.
  const std::string dll = kGone + "\\stop.dll";
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, dll, REG_DWORD, DwordBytes(1)));

  CRegistryDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  HWND list = dialog.Item(IDC_LIST);
  EXPECT_TRUE(dialog.IsBusy());
  EXPECT_EQ(Text(dialog, IDC_DELETE), "중지");
  EXPECT_FALSE(IsWindowEnabled(dialog.Item(IDCANCEL)));
  EXPECT_EQ(Text(dialog, IDC_STATE), "검색중");
  ASSERT_TRUE(PumpUntil([&] { return fw::list::Count(list) >= 1; }, 60000));
  // Esc or the close box while the scan runs: refused.
  Click(dialog.Hwnd(), IDCANCEL);
  EXPECT_TRUE(IsWindow(dialog.Hwnd()));
  const int before = fw::list::Count(list);

  Click(dialog.Hwnd(), IDC_DELETE);
  ASSERT_TRUE(WaitIdle(dialog, 0));

  ASSERT_EQ(recorder_.Count(), 1u);
  const auto box = recorder_.Boxes()[0];
  EXPECT_EQ(box.text, "검색이 중지되었습니다.");
  EXPECT_EQ(box.caption, kTitle);
  EXPECT_EQ(box.style, static_cast<UINT>(MB_OK));
  const int rows = fw::list::Count(list);
  EXPECT_GE(rows, before);
  for (int i = 0; i < rows; ++i) EXPECT_TRUE(fw::list::IsChecked(list, i));
  EXPECT_EQ(Text(dialog, IDC_STATE), "검색중지");
  EXPECT_EQ(Text(dialog, IDC_STATUS), std::to_string(rows) + "개");
  EXPECT_EQ(Text(dialog, IDC_DELETE), "삭제");
  EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDCANCEL)));
  EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDC_DELETE)));

  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, dll.c_str());
  RegCloseKey(key);
}

TEST_F(RegistryDlgTest, AClickLandingAsTheScanEndsDeletesNothing) {
  TempFolder folder("regdlglate");
  TheApp().SetProgramFolder(folder.Path());
  const std::string dll = kGone + "\\late.dll";
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, dll, REG_DWORD, DwordBytes(1)));
  const Cleanup removeValue([&] {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSharedDlls, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, dll.c_str());
      RegCloseKey(key);
    }
  });

  CRegistryDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  HWND list = dialog.Item(IDC_LIST);
  HWND button = dialog.Item(IDC_DELETE);
  // The scan is stopped once our row is listed, so that few rows are there.
  ASSERT_TRUE(PumpUntil(
      [&] {
        for (int i = 0; i < fw::list::Count(list); ++i)
          if (IsOurs(list, i)) return true;
        return false;
      },
      60000));
  // Clicked with the mouse: the button has the keyboard focus.
  SendMessageA(dialog.Hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button), TRUE);
  ASSERT_EQ(GetFocus(), button);
  Click(dialog.Hwnd(), IDC_DELETE);
  // A second click, on its way while the scan ends: nothing happens.
  ASSERT_TRUE(ClickAsTheJobEnds(dialog.Hwnd(), IDC_DELETE, [&] { return !dialog.IsBusy(); }));
  EXPECT_FALSE(dialog.IsBusy());
  EXPECT_EQ(Text(dialog, IDC_DELETE), "삭제");
  EXPECT_FALSE(IsWindowEnabled(button));
  const int rows = fw::list::Count(list);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(button) != FALSE; }, 10000));
  // Disabled, it lost the focus; usable again, it has it back (Esc works).
  EXPECT_EQ(GetFocus(), button);
  ASSERT_EQ(recorder_.Count(), 1u);
  EXPECT_EQ(recorder_.LastText(), "검색이 중지되었습니다.");
  EXPECT_EQ(fw::list::Count(list), rows);
  EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls).count(dll), 1u);
  EXPECT_EQ(GetFileAttributesA(folder.File("backup").c_str()), INVALID_FILE_ATTRIBUTES);

  // A moment later the button deletes as before.
  Click(dialog.Hwnd(), 4);
  for (int i = 0; i < rows; ++i)
    if (IsOurs(list, i)) fw::list::SetChecked(list, i, true);
  Click(dialog.Hwnd(), IDC_DELETE);
  ASSERT_TRUE(WaitIdle(dialog, 1));
  EXPECT_EQ(recorder_.LastText(), "삭제 완료되었습니다.");
  EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls).count(dll), 0u);
}

// Asks the scan to stop (command 2024) before the scan thread exists.
class StoppedBeforeTheScanDlg : public CRegistryDlg {
 protected:
  BOOL OnInitDialog() override {
    Click(Hwnd(), 2024);
    return CRegistryDlg::OnInitDialog();
  }
};

TEST_F(RegistryDlgTest, StopAskedBeforeTheScanStartsIsNotLost) {
  TempFolder folder("regdlgearly");
  TheApp().SetProgramFolder(folder.Path());
  StoppedBeforeTheScanDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  ASSERT_TRUE(WaitIdle(dialog, 0));
  EXPECT_EQ(recorder_.LastText(), "검색이 중지되었습니다.");
  EXPECT_EQ(Text(dialog, IDC_STATE), "검색중지");
}

// What the deletion test plants and checks: keys by root and path.
struct Planted {
  HKEY root;
  std::string rootLong;
  std::string path;
};

TEST_F(RegistryDlgTest, DeletionBacksUpEveryEntryExactlyAndRestoreBringsItBack) {
  TempFolder folder("regdlgdel");
  TempFolder readOnly("regdlgro");
  // "backup" is a file here: neither the folder nor a file in it can be made.
  ASSERT_TRUE(WriteFileBytes(readOnly.File("backup"), "not a folder"));
  TheApp().SetProgramFolder(folder.Path());
  LoggingDisabled = 0;
  LogFilePath = folder.File("Spruce.log");
  const std::string lm = "HKEY_LOCAL_MACHINE", cr = "HKEY_CLASSES_ROOT", cu = "HKEY_CURRENT_USER";

  // Rule 1: a shared DLL's REG_DWORD count (its row's data is empty).
  const std::string dll = kGone + "\\shared.dll";
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kSharedDlls, dll, REG_DWORD, DwordBytes(3)));
  // Rule 2: an empty extension key.
  const std::string ext = "." + kTag;
  DeleteKeyTree(HKEY_CLASSES_ROOT, ext);
  HKEY made;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ext.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &made, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(made);
  // Rule 3: a folder whose name holds "+" and whose data is 300 bytes long.
  const std::string folderName = kGone + "\\a+b\\";
  const std::string longText(300, 'D');
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, kInstallerFolders, folderName, REG_SZ, Bytes(longText)));
  // Rule 5: module keys holding every kind of value, and one with a subkey.
  std::string modulePrefix = kGone + "/";
  for (char& c : modulePrefix)
    if (c == '\\') c = '/';
  const std::string mod1 = std::string(kModuleUsage) + "\\" + modulePrefix + "mod1.dll";
  const std::string mod2 = std::string(kModuleUsage) + "\\" + modulePrefix + "mod2.dll";
  const std::string parent = std::string(kModuleUsage) + "\\" + modulePrefix + "parent.dll";
  const std::string binary("\x00\x2B\x0D\x0A\xFF", 5);
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "", REG_SZ, Bytes("X")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "sz", REG_SZ, Bytes("plain")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "expand", REG_EXPAND_SZ, Bytes("%TEMP%\\x")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "dword", REG_DWORD, DwordBytes(0x12345678)));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "binary", REG_BINARY, binary));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod1, "long", REG_SZ, Bytes(longText)));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod2, "", REG_SZ, Bytes("")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, mod2, "a+b", REG_SZ, Bytes("c+d")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, parent, "kept", REG_SZ, Bytes("yes")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, parent + "\\child", "c", REG_DWORD, DwordBytes(1)));
  // Rule 7: dead program paths in leaf keys, next to values that stay.
  const std::string lmApp = "SOFTWARE\\" + kTag + "\\App";
  const std::string cuApp = "SOFTWARE\\" + kTag + "\\Tool";
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, lmApp, "Path", REG_SZ, Bytes(kGone + "\\App")));
  ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, lmApp, "Keep", REG_DWORD, DwordBytes(7)));
  ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, cuApp, "Run", REG_EXPAND_SZ, Bytes(kGone + "\\t.exe -q")));

  const std::vector<Planted> keys = {
      {HKEY_LOCAL_MACHINE, lm, mod1},  {HKEY_LOCAL_MACHINE, lm, mod2},
      {HKEY_LOCAL_MACHINE, lm, parent}, {HKEY_LOCAL_MACHINE, lm, parent + "\\child"},
      {HKEY_LOCAL_MACHINE, lm, lmApp}, {HKEY_CURRENT_USER, cu, cuApp},
      {HKEY_CLASSES_ROOT, cr, ext}};
  std::map<std::string, Values> original;
  for (const Planted& k : keys) original[k.path] = ReadValues(k.root, k.path);
  const Value dllValue = ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls)[dll];
  const Value folderValue = ReadValues(HKEY_LOCAL_MACHINE, kInstallerFolders)[folderName];
  const Cleanup removePlanted([&] {
    for (const Planted& k : keys) DeleteKeyTree(k.root, k.path);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + kTag);
    DeleteKeyTree(HKEY_CURRENT_USER, "SOFTWARE\\" + kTag);
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\" + kTag + "Earlier");
    HKEY key;
    for (auto [path, name] : {std::pair<const char*, std::string>{kSharedDlls, dll},
                              {kInstallerFolders, folderName}}) {
      if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
        RegDeleteValueA(key, name.c_str());
        RegCloseKey(key);
      }
    }
  });

  // The backup block each of our rows must leave, by key path and value name.
  auto block = [&](const std::string& root, const std::string& path) {
    std::string b = "KEY+" + root + "+" + path + "\r\nXKEY+" + root + "+" + Hex(path) + "\r\n";
    for (const auto& [name, v] : ReadValuesInOrder(HKEY_LOCAL_MACHINE, path)) {
      // The plain line holds what a 255-byte string read gives: short
      // strings only.
      std::string text;
      if ((v.first == REG_SZ || v.first == REG_EXPAND_SZ) && v.second.size() <= 255)
        text = v.second.c_str();
      b += "VAL+" + root + "+" + path + "+" + name + "+" + text + "\r\n" + Typed(root, path, name, v);
    }
    return b;
  };
  std::map<std::string, std::string> expected = {
      {kSharedDlls + std::string("|") + dll,
       "VAL+" + lm + "+" + kSharedDlls + "+" + dll + "+\r\n" +
           "XVAL+" + lm + "+" + Hex(kSharedDlls) + "+" + Hex(dll) + "+4+x03000000\r\n"},
      {ext + "|", "KEY+HKEY_CLASSES_ROOT+" + ext + "\r\nXKEY+HKEY_CLASSES_ROOT+" + Hex(ext) + "\r\n"},
      {kInstallerFolders + std::string("|") + folderName,
       "VAL+" + lm + "+" + kInstallerFolders + "+" + folderName + "+\r\n" +
           Typed(lm, kInstallerFolders, folderName, {REG_SZ, Bytes(longText)})},
      {mod1 + "|", block(lm, mod1)},
      {mod2 + "|", block(lm, mod2)},
      {parent + "|", block(lm, parent)},
      {lmApp + "|Path", "VAL+HKEY_LOCAL_MACHINE+" + lmApp + "+Path+" + kGone + "\\App\r\n" +
                            Typed(lm, lmApp, "Path", {REG_SZ, Bytes(kGone + "\\App")})},
      {cuApp + "|Run", "VAL+HKEY_CURRENT_USER+" + cuApp + "+Run+" + kGone + "\\t.exe -q\r\n" +
                           Typed(cu, cuApp, "Run", {REG_EXPAND_SZ, Bytes(kGone + "\\t.exe -q")})},
  };
  // The specified shapes, spelled out once: a key's default value.
  EXPECT_NE(expected[mod1 + "|"].find("\r\nVAL+HKEY_LOCAL_MACHINE+" + mod1 + "++X\r\n"),
            std::string::npos);

  TestRegistryDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  HWND list = dialog.Item(IDC_LIST);
  ASSERT_TRUE(WaitIdle(dialog, 0));
  ASSERT_EQ(recorder_.LastText(), "검색이 완료되었습니다.");
  EXPECT_EQ(Text(dialog, IDC_STATE), "검색완료");
  EXPECT_EQ(Text(dialog, IDC_STATUS), std::to_string(fw::list::Count(list)) + "개");
  EXPECT_NE(ReadFileBytes(LogFilePath).find("레지스트르리 최적화 종료\r\n"), std::string::npos);

  std::vector<std::string> ours;  // "path|name" of our rows, in list order
  for (int i = 0; i < fw::list::Count(list); ++i) {
    if (!IsOurs(list, i)) continue;
    ours.push_back(fw::list::Text(list, i, 2) + "|" + fw::list::Text(list, i, 3));
    EXPECT_TRUE(expected.count(ours.back())) << ours.back();
  }
  ASSERT_EQ(ours.size(), expected.size());
  auto checkOurs = [&] {
    Click(dialog.Hwnd(), 4);  // clear every check box
    for (int i = 0; i < fw::list::Count(list); ++i)
      if (IsOurs(list, i)) fw::list::SetChecked(list, i, true);
  };
  const std::string backup = folder.File("backup");
  // One deletion run; returns what it appended to the one file it wrote.
  auto run = [&](const std::string& expectedBox, std::string* fileName = nullptr) {
    const auto before = BackupFiles(backup);
    const size_t boxes = recorder_.Count();
    dialog.writes = 0;
    Click(dialog.Hwnd(), IDC_DELETE);
    EXPECT_TRUE(WaitIdle(dialog, boxes));
    EXPECT_EQ(recorder_.LastText(), expectedBox);
    EXPECT_EQ(recorder_.Boxes().back().caption, kTitle);
    EXPECT_EQ(Text(dialog, IDC_DELETE), "삭제");
    EXPECT_TRUE(IsWindowEnabled(dialog.Item(IDCANCEL)));
    std::string appended;
    int changed = 0;
    for (const auto& [name, content] : BackupFiles(backup)) {
      auto old = before.find(name);
      if (old != before.end() && old->second == content) continue;
      ++changed;
      // An earlier file of the same second keeps what it held.
      const std::string kept = old == before.end() ? std::string() : old->second;
      EXPECT_EQ(content.compare(0, kept.size(), kept), 0) << name;
      appended = content.substr(kept.size());
      if (fileName) *fileName = name;
    }
    EXPECT_LE(changed, 1);
    return appended;
  };

  {
    SCOPED_TRACE("no backup possible: nothing is deleted");
    checkOurs();
    const int rows = fw::list::Count(list);
    TheApp().SetProgramFolder(readOnly.Path());
    const size_t boxes = recorder_.Count();
    Click(dialog.Hwnd(), IDC_DELETE);
    ASSERT_TRUE(WaitIdle(dialog, boxes));
    EXPECT_EQ(recorder_.LastText(), "백업 파일을 만들 수 없어 삭제하지 않았습니다.");
    EXPECT_EQ(recorder_.Boxes().back().caption, kTitle);
    EXPECT_EQ(fw::list::Count(list), rows);
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, mod1), original[mod1]);
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls)[dll], dllValue);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ext));
    EXPECT_EQ(Text(dialog, IDC_DELETE), "삭제");
    TheApp().SetProgramFolder(folder.Path());
  }
  std::set<std::string> written;  // backup files our rows went to
  {
    SCOPED_TRACE("nothing checked: an empty file");
    Click(dialog.Hwnd(), 4);
    const int rows = fw::list::Count(list);
    std::string name;
    EXPECT_EQ(run("삭제 완료되었습니다.", &name), "");
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(ReadFileBytes(backup + "\\" + name), "");
    EXPECT_EQ(Text(dialog, IDC_STATE), "삭제완료");
    EXPECT_EQ(fw::list::Count(list), rows);
  }
  // Files of the coming seconds already exist: a run must add to them.
  for (int s = 0; s < 20; ++s) {
    const std::string name = BackupFileName(SecondsFromNow(s));
    if (!testing_support::FileExists(backup + "\\" + name))
      WriteFileBytes(backup + "\\" + name, "KEY+HKEY_CURRENT_USER+Software\\" + kTag + "Earlier\r\n");
  }
  std::string all;  // what our rows appended, run after run
  {
    SCOPED_TRACE("a failed backup write stops before the next deletion");
    checkOurs();
    const int rows = fw::list::Count(list);
    dialog.failAt = 2;
    std::string name;
    all += run("백업 파일에 쓰지 못해 삭제를 중지했습니다.", &name);
    dialog.failAt = 0;
    written.insert(name);
    EXPECT_EQ(fw::list::Count(list), rows - 1);  // the first row went, the second stays
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls).count(dll), 0u);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ext));
  }
  {
    SCOPED_TRACE("stopped after the second row: the rest stays, checked");
    const int rows = fw::list::Count(list);
    dialog.stopAt = 2;
    // A click on a check box while the run goes on is refused.
    dialog.afterWrite = [&](int write) {
      for (int i = fw::list::Count(list) - 1; write == 1 && i >= 0; --i) {
        if (IsOurs(list, i)) {
          fw::list::SetChecked(list, i, false);
          break;
        }
      }
    };
    std::string name;
    all += run("취소 되었습니다.", &name);
    dialog.stopAt = 0;
    dialog.afterWrite = nullptr;
    written.insert(name);
    EXPECT_EQ(fw::list::Count(list), rows - 2);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ext));
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kInstallerFolders).count(folderName), 0u);
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, mod1), original[mod1]);
    int checked = 0;
    for (int i = 0; i < fw::list::Count(list); ++i) checked += fw::list::IsChecked(list, i);
    EXPECT_EQ(checked, static_cast<int>(ours.size()) - 3);
  }
  {
    SCOPED_TRACE("the rest");
    std::string name;
    all += run("삭제 완료되었습니다.", &name);
    written.insert(name);
    for (int i = 0; i < fw::list::Count(list); ++i) EXPECT_FALSE(IsOurs(list, i));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, mod1));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, mod2));
    // A key with a subkey keeps everything; its lines are in the backup.
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, parent), original[parent]);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, parent + "\\child"));
    EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, lmApp),
              (Values{{"Keep", {REG_DWORD, DwordBytes(7)}}}));
    EXPECT_TRUE(ReadValues(HKEY_CURRENT_USER, cuApp).empty());
  }
  std::string wanted;
  for (const std::string& row : ours) wanted += expected[row];
  EXPECT_EQ(all, wanted);

  {
    SCOPED_TRACE("restore the files our rows went to");
    CRegistryRestoreDlg restore;
    ASSERT_TRUE(restore.CreateModeless(nullptr));
    HWND files = restore.Item(IDC_LIST);
    int checked = 0;
    for (int i = 0; i < fw::list::Count(files); ++i) {
      if (written.count(fw::list::Text(files, i, 1))) {
        fw::list::SetChecked(files, i, true);
        ++checked;
      }
    }
    EXPECT_EQ(checked, static_cast<int>(written.size()));
    const size_t boxes = recorder_.Count();
    Click(restore.Hwnd(), IDC_RESTORE);
    ASSERT_EQ(recorder_.Count(), boxes + 1);
    EXPECT_EQ(recorder_.LastText(), "복원이 완료되었습니다.");
    EXPECT_EQ(recorder_.Boxes().back().caption, "레지스트리 복원");
  }
  for (const Planted& k : keys) {
    EXPECT_TRUE(KeyExists(k.root, k.path)) << k.path;
    EXPECT_EQ(ReadValues(k.root, k.path), original[k.path]) << k.path;
  }
  EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kSharedDlls)[dll], dllValue);
  EXPECT_EQ(ReadValues(HKEY_LOCAL_MACHINE, kInstallerFolders)[folderName], folderValue);
}

}  // namespace

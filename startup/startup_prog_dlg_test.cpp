// The startup-program manager over the real Run keys of the test prefix:
// what it lists, in which order and how, which values a deletion really
// removes, and the backup that brings them back.
#include "startup/startup_prog_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <tuple>
#include <utility>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "framework/raii.h"
#include "registry/restore_dlg.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using testing_support::MessageBoxRecorder;
using testing_support::TempFolder;

namespace {

const char kRun[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
// Every value a test plants starts with this, so the prefix's own entries
// can be told apart.
const std::string kTag = "SprStart" + std::to_string(GetCurrentProcessId());

// Plants (type, bytes) as a Run value of root.
void Plant(HKEY root, const std::string& name, DWORD type, const std::string& bytes) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(root, kRun, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                           static_cast<DWORD>(bytes.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

void PlantText(HKEY root, const std::string& name, const std::string& text) {
  Plant(root, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

// The type and bytes of a Run value, or type 0 and "<gone>".
std::pair<DWORD, std::string> Raw(HKEY root, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, kRun, 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, "<gone>"};
  DWORD type = 0;
  char data[1024];
  DWORD size = sizeof data;
  const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return {0, "<gone>"};
  return {type, std::string(data, size)};
}

// The data of a Run value, or "<gone>".
std::string Stored(HKEY root, const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, kRun, 0, KEY_READ, &key) != ERROR_SUCCESS) return "<gone>";
  char data[1024] = {};
  DWORD size = sizeof data - 1;
  const LONG status = RegQueryValueExA(key, name.c_str(), nullptr, nullptr,
                                       reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS ? std::string(data) : "<gone>";
}

// Removes every value a test of this process planted, under both roots.
struct PlantedValues {
  ~PlantedValues() {
    for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
      HKEY key;
      if (RegOpenKeyExA(root, kRun, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) continue;
      std::vector<std::string> ours;
      char name[16384];
      for (DWORD i = 0;; ++i) {
        DWORD size = sizeof name;
        if (RegEnumValueA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
          break;
        if (std::string(name, size).rfind(kTag, 0) == 0) ours.emplace_back(name, size);
      }
      for (const std::string& n : ours) RegDeleteValueA(key, n.c_str());
      RegCloseKey(key);
    }
  }
};

// The names of the backup files in a folder.
std::vector<std::string> BackupFileNames(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.reg").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do names.push_back(data.cFileName);
  while (FindNextFileA(find, &data));
  FindClose(find);
  return names;
}

struct Row {
  int index;
  std::string program, commandLine, location;
  bool checked;
};

// The list rows whose program name carries the tag, with their row numbers.
std::vector<Row> OurRows(const fw::Dialog& dialog) {
  HWND list = dialog.Item(IDC_LIST);
  std::vector<Row> rows;
  for (int i = 0; i < fw::list::Count(list); ++i) {
    Row row{i, fw::list::Text(list, i, 1), fw::list::Text(list, i, 2), fw::list::Text(list, i, 3),
            fw::list::IsChecked(list, i)};
    if (row.program.rfind(kTag, 0) == 0) rows.push_back(row);
  }
  return rows;
}

void PressDelete(const fw::Dialog& dialog) {
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
}

void CheckOurs(const fw::Dialog& dialog) {
  for (const Row& row : OurRows(dialog)) fw::list::SetChecked(dialog.Item(IDC_LIST), row.index, true);
}

// Deletions write their backup into a program folder of the test's own.
class StartupProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = ProgramFolder();
    TheApp().SetProgramFolder(folder_.Path());
  }
  void TearDown() override { TheApp().SetProgramFolder(saved_); }
  std::string BackupFolder() const { return folder_.File("backup"); }

  TempFolder folder_{"startup"};
  std::string saved_;
  PlantedValues cleanup_;
  MessageBoxRecorder boxes_;
};

TEST(StartupPrograms, ListsTheUsersEntriesThenTheMachinesUncheckedWithTheirStoredData) {
  PlantedValues cleanup;
  PlantText(HKEY_CURRENT_USER, kTag + "A", "C:\\Tools\\a.exe /tray");
  PlantText(HKEY_LOCAL_MACHINE, kTag + "B", "C:\\Tools\\b.exe");
  Plant(HKEY_CURRENT_USER, kTag + "Expand", REG_EXPAND_SZ, std::string("%windir%\\x.exe", 15));

  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  EXPECT_EQ(fw::GetControlText(dialog.Hwnd()), "시작프로그램 관리");
  HWND list = dialog.Item(IDC_LIST);
  const std::vector<testing_support::ListColumn> columns = {
      {"선택", 50}, {"프로그램", 100}, {"경로", 233}, {"위치", 200}};
  EXPECT_EQ(testing_support::ListColumns(list), columns);
  EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);

  const std::vector<Row> rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 3u);
  // The user's two (in enumeration order) come before the machine's one.
  const std::set<std::string> users = {rows[0].program, rows[1].program};
  EXPECT_EQ(users, (std::set<std::string>{kTag + "A", kTag + "Expand"}));
  EXPECT_EQ(rows[2].program, kTag + "B");
  EXPECT_LT(rows[1].index, rows[2].index);
  for (const Row& row : rows) {
    EXPECT_FALSE(row.checked);
    EXPECT_EQ(row.location, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run");
    if (row.program == kTag + "A") {
      EXPECT_EQ(row.commandLine, "C:\\Tools\\a.exe /tray");
    }
    if (row.program == kTag + "Expand") {
      EXPECT_EQ(row.commandLine, "%windir%\\x.exe");  // not expanded
    }
  }
}

TEST_F(StartupProgramsTest, NonStringAndOverlongDataListEmptyAndStillDelete) {
  Plant(HKEY_CURRENT_USER, kTag + "Binary", REG_BINARY, std::string("\x01\x02\x03", 3));
  Plant(HKEY_CURRENT_USER, kTag + "Number", REG_DWORD, std::string("\x07\x00\x00\x00", 4));
  PlantText(HKEY_LOCAL_MACHINE, kTag + "Long254", std::string(254, 'a'));
  PlantText(HKEY_LOCAL_MACHINE, kTag + "Long255", std::string(255, 'b'));
  PlantText(HKEY_CURRENT_USER, kTag + "Keep", "C:\\keep.exe");

  MessageBoxRecorder& boxes = boxes_;
  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  std::vector<Row> rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 5u);
  for (const Row& row : rows) {
    if (row.program == kTag + "Long254")
      EXPECT_EQ(row.commandLine, std::string(254, 'a'));
    else if (row.program == kTag + "Keep")
      EXPECT_EQ(row.commandLine, "C:\\keep.exe");
    else
      EXPECT_EQ(row.commandLine, "") << row.program;
    if (row.program != kTag + "Keep") fw::list::SetChecked(dialog.Item(IDC_LIST), row.index, true);
  }
  PressDelete(dialog);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "시작프로그램 관리");
  EXPECT_EQ(boxes.Boxes()[0].text, "삭제 완료되었습니다.");
  EXPECT_EQ(boxes.Boxes()[0].style & 0xF, static_cast<UINT>(MB_OK));
  rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].program, kTag + "Keep");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "Binary"), "<gone>");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "Number"), "<gone>");
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kTag + "Long254"), "<gone>");
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kTag + "Long255"), "<gone>");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "Keep"), "C:\\keep.exe");

  // Nothing checked: the message all the same, and nothing changes.
  PressDelete(dialog);
  EXPECT_EQ(boxes.Count(), 2u);
  EXPECT_EQ(boxes.LastText(), "삭제 완료되었습니다.");
  EXPECT_EQ(OurRows(dialog).size(), 1u);
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "Keep"), "C:\\keep.exe");
}

TEST_F(StartupProgramsTest, ANameInBothRunKeysDeletesOnlyTheCheckedRowsOwnValue) {
  const std::string both = kTag + "Both";
  PlantText(HKEY_CURRENT_USER, both, "C:\\user.exe");
  PlantText(HKEY_LOCAL_MACHINE, both, "C:\\machine.exe");
  // Differ from it only past the first 255 bytes: a name read back into a
  // fixed buffer would name the other value.
  const std::string longName = kTag + std::string(300, 'n');
  PlantText(HKEY_CURRENT_USER, longName + "1", "C:\\one.exe");
  PlantText(HKEY_CURRENT_USER, longName + "2", "C:\\two.exe");

  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  HWND list = dialog.Item(IDC_LIST);
  for (const Row& row : OurRows(dialog))
    if ((row.program == both && row.commandLine == "C:\\machine.exe") || row.program == longName + "2")
      fw::list::SetChecked(list, row.index, true);
  PressDelete(dialog);

  EXPECT_EQ(Stored(HKEY_CURRENT_USER, both), "C:\\user.exe");
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, both), "<gone>");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, longName + "1"), "C:\\one.exe");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, longName + "2"), "<gone>");
  std::vector<std::string> left;
  for (const Row& row : OurRows(dialog)) left.push_back(row.commandLine);
  EXPECT_EQ(left.size(), 2u);
  EXPECT_EQ(std::set<std::string>(left.begin(), left.end()),
            (std::set<std::string>{"C:\\user.exe", "C:\\one.exe"}));
}

TEST_F(StartupProgramsTest, AReadOnlyMachineKeyIsListedAndItsCheckedRowsStay) {
  PlantText(HKEY_LOCAL_MACHINE, kTag + "Machine", "C:\\machine.exe");
  PlantText(HKEY_CURRENT_USER, kTag + "User", "C:\\user.exe");
  testing_support::ReadOnlyKey readOnly(HKEY_LOCAL_MACHINE, kRun);
  ASSERT_TRUE(readOnly.Locked());

  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  std::vector<Row> rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 2u) << "the machine's entries are listed with read access";
  EXPECT_EQ(rows[1].commandLine, "C:\\machine.exe");
  CheckOurs(dialog);
  PressDelete(dialog);

  ASSERT_EQ(boxes_.Count(), 1u);
  EXPECT_EQ(boxes_.LastText(), "체크된 채 남은 항목은 삭제할 수 없습니다. 관리자 권한이 필요합니다.");
  EXPECT_EQ(boxes_.Boxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(rows[0].program, kTag + "Machine");
  EXPECT_TRUE(rows[0].checked);
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kTag + "Machine"), "C:\\machine.exe");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "User"), "<gone>");
  // Only what was deleted is in the backup.
  const std::string backup = testing_support::ReadFileBytes(
      BackupFolder() + "\\" + BackupFileNames(BackupFolder()).at(0));
  EXPECT_NE(backup.find(kTag + "User"), std::string::npos);
  EXPECT_EQ(backup.find(kTag + "Machine"), std::string::npos);
}

TEST_F(StartupProgramsTest, DeletedValuesComeBackByteForByteFromTheBackup) {
  const std::vector<std::tuple<HKEY, std::string, DWORD, std::string>> planted = {
      {HKEY_CURRENT_USER, kTag + "Sz", REG_SZ, std::string("C:\\a b\\a.exe /x+y") + '\0'},
      {HKEY_CURRENT_USER, kTag + "Expand", REG_EXPAND_SZ, std::string("%windir%\\x.exe") + '\0'},
      {HKEY_CURRENT_USER, kTag + "Bin+ary", REG_BINARY, std::string("\0\r\n+\xff", 5)},
      {HKEY_CURRENT_USER, kTag + "Long", REG_SZ, std::string(400, 'l') + '\0'},
      {HKEY_LOCAL_MACHINE, kTag + "Number", REG_DWORD, std::string("\x07\x00\x00\x00", 4)},
      {HKEY_LOCAL_MACHINE, kTag + "Multi", REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
  };
  std::vector<std::pair<DWORD, std::string>> stored;
  for (const auto& [root, name, type, bytes] : planted) {
    Plant(root, name, type, bytes);
    stored.push_back(Raw(root, name));
    EXPECT_EQ(stored.back(), std::make_pair(type, bytes)) << name;
  }

  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  ASSERT_EQ(OurRows(dialog).size(), planted.size());
  CheckOurs(dialog);
  PressDelete(dialog);
  EXPECT_EQ(boxes_.LastText(), "삭제 완료되었습니다.");
  EXPECT_TRUE(OurRows(dialog).empty());
  for (const auto& [root, name, type, bytes] : planted) EXPECT_EQ(Raw(root, name).second, "<gone>");

  // One backup file, which the restore dialog lists and brings back.
  const std::vector<std::string> files = BackupFileNames(BackupFolder());
  ASSERT_EQ(files.size(), 1u);
  {
    CRegistryRestoreDlg restore;
    ASSERT_TRUE(restore.CreateModeless());
    ASSERT_EQ(fw::list::Count(restore.Item(IDC_LIST)), 1);
    EXPECT_EQ(fw::list::Text(restore.Item(IDC_LIST), 0, 1), files[0]);
  }
  CRegistryRestoreDlg::RestoreBackup(
      testing_support::ReadFileBytes(BackupFolder() + "\\" + files[0]));
  for (size_t i = 0; i < planted.size(); ++i) {
    const auto& [root, name, type, bytes] = planted[i];
    EXPECT_EQ(Raw(root, name), stored[i]) << name;
  }
}

TEST_F(StartupProgramsTest, NothingIsDeletedWithoutABackupFile) {
  PlantText(HKEY_CURRENT_USER, kTag + "User", "C:\\user.exe");
  PlantText(HKEY_LOCAL_MACHINE, kTag + "Machine", "C:\\machine.exe");
  // "backup" is a file here: neither the folder nor a file in it can be made.
  ASSERT_TRUE(testing_support::WriteFileBytes(BackupFolder(), "not a folder"));

  CStartProgDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless());
  CheckOurs(dialog);
  PressDelete(dialog);
  ASSERT_EQ(boxes_.Count(), 1u);
  EXPECT_EQ(boxes_.LastText(), "백업 파일을 만들 수 없어 삭제하지 않았습니다.");
  EXPECT_EQ(boxes_.Boxes()[0].caption, "시작프로그램 관리");
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "User"), "C:\\user.exe");
  EXPECT_EQ(Stored(HKEY_LOCAL_MACHINE, kTag + "Machine"), "C:\\machine.exe");
  const std::vector<Row> rows = OurRows(dialog);
  ASSERT_EQ(rows.size(), 2u);
  for (const Row& row : rows) EXPECT_TRUE(row.checked);
}

TEST(StartupEntries, AValueAlreadyGoneCountsAsDeleted) {
  PlantedValues cleanup;
  TempFolder folder("startup-gone");
  fw::UniqueHandle backup(CreateFileA(folder.File("b.reg").c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_ALWAYS, 0, nullptr));
  ASSERT_TRUE(backup.Valid());
  PlantText(HKEY_CURRENT_USER, kTag + "Soon", "C:\\soon.exe");
  const std::vector<StartupEntry> entries = CollectStartupEntries();
  auto ours = std::find_if(entries.begin(), entries.end(),
                           [](const StartupEntry& e) { return e.program == kTag + "Soon"; });
  ASSERT_NE(ours, entries.end());
  EXPECT_EQ(ours->root, HKEY_CURRENT_USER);
  EXPECT_TRUE(DeleteStartupEntry(*ours, backup.Get()) == StartupDeletion::kDeleted);
  EXPECT_EQ(Stored(HKEY_CURRENT_USER, kTag + "Soon"), "<gone>");
  // Gone already, or its whole key gone: nothing starts it any more.
  EXPECT_TRUE(DeleteStartupEntry(*ours, backup.Get()) == StartupDeletion::kDeleted);
  StartupEntry elsewhere = *ours;
  elsewhere.location = "SOFTWARE\\SpruceNoSuchKey\\Run";
  EXPECT_TRUE(DeleteStartupEntry(elsewhere, backup.Get()) == StartupDeletion::kDeleted);
}

}  // namespace

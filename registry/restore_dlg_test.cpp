// The restore dialog over real files and the real registry of the prefix:
// its listing, the replay of files written before typed lines existed, and
// the deletion of backup files with its question.
#include "registry/restore_dlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using testing_support::DeleteKeyTree;
using testing_support::FileExists;
using testing_support::MessageBoxRecorder;
using testing_support::TempFolder;
using testing_support::WriteFileBytes;

namespace {

const char kTitle[] = "레지스트리 복원";
const std::string kTag = "sprrst" + std::to_string(GetCurrentProcessId());

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// A value's type and bytes; type 0 when the value (or its key) is missing.
std::pair<DWORD, std::string> ReadValue(HKEY root, const std::string& path,
                                        const std::string& name) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return {0, ""};
  char data[1024];
  DWORD type = 0, size = sizeof data;
  LONG status = RegQueryValueExA(key, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return {0, ""};
  return {type, std::string(data, size)};
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::string Sz(const std::string& text) { return std::string(text.c_str(), text.size() + 1); }

class RegistryRestoreDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedFolder_ = ProgramFolder();
    TheApp().SetProgramFolder(folder_.Path());
    backup_ = folder_.File("backup");
    CreateDirectoryA(backup_.c_str(), nullptr);
  }
  void TearDown() override { TheApp().SetProgramFolder(savedFolder_); }

  std::vector<std::string> Rows(const CRegistryRestoreDlg& dialog) {
    std::vector<std::string> names;
    HWND list = dialog.Item(IDC_LIST);
    for (int i = 0; i < fw::list::Count(list); ++i) {
      EXPECT_EQ(fw::list::Text(list, i, 0), "");
      names.push_back(fw::list::Text(list, i, 1));
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  void CheckRow(const CRegistryRestoreDlg& dialog, const std::string& name) {
    HWND list = dialog.Item(IDC_LIST);
    for (int i = 0; i < fw::list::Count(list); ++i)
      if (fw::list::Text(list, i, 1) == name) fw::list::SetChecked(list, i, true);
  }

  TempFolder folder_{"regrestore"};
  std::string backup_;
  std::string savedFolder_;
  MessageBoxRecorder recorder_;
};

TEST_F(RegistryRestoreDlgTest, ListsBackupFilesAndLeavesTheCurrentDirectory) {
  const std::string dated = "2026년01월05일-09시03분07초.reg";
  ASSERT_TRUE(WriteFileBytes(backup_ + "\\" + dated, ""));
  ASSERT_TRUE(WriteFileBytes(backup_ + "\\other.reg", ""));
  ASSERT_TRUE(WriteFileBytes(backup_ + "\\notes.txt", ""));
  char before[MAX_PATH] = {}, after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);

  CRegistryRestoreDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, before);
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{dated, "other.reg"}));
  HWND list = dialog.Item(IDC_LIST);
  for (int i = 0; i < fw::list::Count(list); ++i) EXPECT_FALSE(fw::list::IsChecked(list, i));

  // Without a backup folder the list is empty, and restoring says so.
  TempFolder empty("regrestore-empty");
  TheApp().SetProgramFolder(empty.Path());
  CRegistryRestoreDlg none;
  ASSERT_TRUE(none.CreateModeless(nullptr));
  EXPECT_TRUE(Rows(none).empty());
  Click(none.Hwnd(), IDC_RESTORE);
  ASSERT_EQ(recorder_.Count(), 1u);
  EXPECT_EQ(recorder_.LastText(), "복원할 내용이없습니다.");
  EXPECT_EQ(recorder_.Boxes()[0].caption, kTitle);
  EXPECT_EQ(recorder_.Boxes()[0].style, static_cast<UINT>(MB_OK));
}

TEST_F(RegistryRestoreDlgTest, RestoresAFileWithoutTypedLinesAsText) {
  const std::string cu = "Software\\" + kTag;
  const std::string lm = "SOFTWARE\\" + kTag + "\\App";
  const std::string ext = "." + kTag;
  DeleteKeyTree(HKEY_CURRENT_USER, cu);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + kTag);
  DeleteKeyTree(HKEY_CLASSES_ROOT, ext);
  DeleteKeyTree(HKEY_CURRENT_CONFIG, cu);
  const std::string file =
      "KEY+HKEY_CLASSES_ROOT+" + ext + "\r\n" +
      "VAL+HKEY_LOCAL_MACHINE+" + lm + "+Path+C:\\App\r\n" +
      "KEY+HKEY_CURRENT_USER+\\" + cu + "\\Lead\r\n" +  // leading backslash dropped
      "VAL+HKEY_CURRENT_USER+" + cu + "\\Def++X\r\n" +  // the key's default value
      "VAL+HKEY_CURRENT_USER+" + cu + "\\Empty+Name+\r\n" +
      "VAL+HKEY_CURRENT_USER+" + cu + "\\Plus+Name+a+b\r\n" +
      "VAL+HKEY_CURRENT_USER+" + cu + "\\Long+Big+" + std::string(300, 'z') + "\r\n" +
      "KEY+HKEY_CURRENT_CONFIG+" + cu + "\r\n" +
      "VAL+HKEY_CURRENT_CONFIG+" + cu + "+V+cc\r\n" +
      "FOO+HKEY_CURRENT_USER+" + cu + "\\Foo\r\n" +
      "KEY+hkey_current_user+" + cu + "\\Case\r\n" +
      "KEY+HKEY_CURRENT_USER\r\n";
  ASSERT_TRUE(WriteFileBytes(backup_ + "\\old.reg", file));
  ASSERT_TRUE(WriteFileBytes(backup_ + "\\gone.reg", "KEY+HKEY_CURRENT_USER+" + cu + "\\Gone\r\n"));

  CRegistryRestoreDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));
  Click(dialog.Hwnd(), IDC_RESTORE);  // nothing checked
  EXPECT_EQ(recorder_.LastText(), "복원할 내용이없습니다.");
  EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ext));

  CheckRow(dialog, "old.reg");
  CheckRow(dialog, "gone.reg");
  DeleteFileA((backup_ + "\\gone.reg").c_str());  // can't be opened: passed over
  for (int replay = 0; replay < 2; ++replay) {  // replaying writes the same again
    Click(dialog.Hwnd(), IDC_RESTORE);
    EXPECT_EQ(recorder_.LastText(), "복원이 완료되었습니다.");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ext));
    EXPECT_EQ(ReadValue(HKEY_LOCAL_MACHINE, lm, "Path"), std::make_pair(DWORD{REG_SZ}, Sz("C:\\App")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, cu + "\\Lead"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, cu + "\\Def", ""), std::make_pair(DWORD{REG_SZ}, Sz("X")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, cu + "\\Empty", "Name"),
              std::make_pair(DWORD{REG_SZ}, Sz("")));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, cu + "\\Plus", "Name"),
              std::make_pair(DWORD{REG_SZ}, Sz("a+b")));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, cu + "\\Long"));
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, cu + "\\Long", "Big").first, 0u);  // over 254 bytes
    EXPECT_EQ(ReadValue(HKEY_CURRENT_CONFIG, cu, "V"), std::make_pair(DWORD{REG_SZ}, Sz("cc")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, cu + "\\Foo"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, cu + "\\Case"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, cu + "\\Gone"));
  }
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"gone.reg", "old.reg"}));  // not refreshed
  EXPECT_TRUE(FileExists(backup_ + "\\old.reg"));

  DeleteKeyTree(HKEY_CURRENT_USER, cu);
  DeleteKeyTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\" + kTag);
  DeleteKeyTree(HKEY_CLASSES_ROOT, ext);
  DeleteKeyTree(HKEY_CURRENT_CONFIG, cu);
}

TEST_F(RegistryRestoreDlgTest, DeletesCheckedFilesOnlyAfterYes) {
  for (const char* name : {"a.reg", "b.reg", "c.reg"})
    ASSERT_TRUE(WriteFileBytes(backup_ + "\\" + name, "x"));
  CRegistryRestoreDlg dialog;
  ASSERT_TRUE(dialog.CreateModeless(nullptr));

  Click(dialog.Hwnd(), IDC_DELETE_BACKUPS);  // nothing checked, Yes
  ASSERT_EQ(recorder_.Count(), 2u);
  const auto question = recorder_.Boxes()[0];
  EXPECT_EQ(question.text, "선택한 백업파일을 삭제하시겠습니까?");
  EXPECT_EQ(question.caption, kTitle);
  EXPECT_EQ(question.style, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(recorder_.LastText(), "삭제할 파일이 없습니다.");

  CheckRow(dialog, "a.reg");
  CheckRow(dialog, "c.reg");
  recorder_.QueueAnswer(IDNO);
  Click(dialog.Hwnd(), IDC_DELETE_BACKUPS);
  EXPECT_EQ(recorder_.Count(), 3u);  // the question only
  EXPECT_TRUE(FileExists(backup_ + "\\a.reg"));
  EXPECT_EQ(Rows(dialog).size(), 3u);

  Click(dialog.Hwnd(), IDC_DELETE_BACKUPS);
  EXPECT_EQ(recorder_.LastText(), "삭제 완료되었습니다.");
  EXPECT_FALSE(FileExists(backup_ + "\\a.reg"));
  EXPECT_TRUE(FileExists(backup_ + "\\b.reg"));
  EXPECT_FALSE(FileExists(backup_ + "\\c.reg"));
  EXPECT_EQ(Rows(dialog), (std::vector<std::string>{"b.reg"}));
}

}  // namespace

// The privacy cleaner and forced delete driven from the main window, as a
// user drives them: planted traces cleared, a file another program holds
// open chosen in the open-file dialog and deleted through ForceDel.dll.
#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/raii.h"
#include "resources/resource.h"
#include "tests/e2e/e2e_support.h"

using namespace testing_support;

namespace {

const char kPrivacy[] = "개인정보 삭제";
const char kForceDel[] = "파일 강제삭제";
const char kTypedUrls[] = "Software\\Microsoft\\Internet Explorer\\TypedURLs";
const char kRunMru[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const char kWordPad[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List";

void SetValue(const char* key, const char* name, const std::string& data) {
  HKEY k;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                 static_cast<DWORD>(data.size() + 1));
  RegCloseKey(k);
}

int ValueCount(const char* key) {
  HKEY k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return -1;
  DWORD values = 0;
  RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(k);
  return static_cast<int>(values);
}

std::string Special(int csidl) {
  char path[MAX_PATH] = {};
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? path : "";
}

bool IsHeld(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  return h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
}

TEST(PrivacyEndToEnd, ClearsPlantedTracesAndForceDeletesAHeldFile) {
  SetValue(kTypedUrls, "url1", "http://spruce.test/");
  SetValue(kRunMru, "a", "notepad\\1");
  SetValue(kWordPad, "File1", "C:\\letter.doc");
  const std::string cookie = Special(CSIDL_COOKIES) + "\\spruce-e2e@spruce.test.txt";
  const std::string recent = Special(CSIDL_RECENT) + "\\spruce-e2e.txt.lnk";
  ASSERT_TRUE(WriteFileBytes(cookie, "cookie"));
  ASSERT_TRUE(WriteFileBytes(recent, "link"));

  TempFolder program("e2e-privacy");
  ASSERT_TRUE(CopyFileA((BinFolder() + "\\ForceDel.dll").c_str(),
                        program.File("ForceDel.dll").c_str(), FALSE));
  TempFolder documents("e2e-held");
  const std::string held = documents.File("보고서.doc");
  fw::UniqueHandle holder(
      StartProcess("\"" + BinFolder() + "\\hold_file.exe\" \"" + held + "\"", documents.Path()));
  ASSERT_TRUE(holder.Valid());

  driver::Process spruce;
  // A failed step must not leave the programs running behind the test.
  struct EndOnReturn {
    driver::Process& spruce;
    HANDLE holder;
    ~EndOnReturn() {
      if (!spruce.WaitExit(0)) spruce.Kill();
      if (WaitForSingleObject(holder, 0) != WAIT_OBJECT_0) TerminateProcess(holder, 1);
    }
  } end{spruce, holder.Get()};
  HWND main = e2e::StartSpruce(spruce, program.Path());
  ASSERT_NE(main, nullptr);

  // The privacy cleaner: every box ticked, one run.
  HWND dialog = e2e::OpenTool(spruce, main, IDC_BTN_HISTORY, kPrivacy);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(driver::ControlText(dialog, IDC_HISTORY_STATE), "준비");
  driver::Click(dialog, IDC_DELETE);
  driver::MessageBoxInfo box;
  ASSERT_EQ(e2e::AnswerBox(spruce.Id(), kPrivacy, 120000), "삭제 완료되었습니다");
  EXPECT_TRUE(driver::WaitForControlText(dialog, IDC_HISTORY_STATE, "삭제완료", 10000));
  EXPECT_TRUE(driver::WaitForControlText(dialog, IDC_DELETE, "삭제", 10000));
  e2e::KeepScreenshot(dialog, "readme-privacy");
  EXPECT_EQ(ValueCount(kTypedUrls), -1);
  EXPECT_EQ(ValueCount(kRunMru), -1);
  EXPECT_EQ(ValueCount(kWordPad), 0);
  EXPECT_FALSE(FileExists(cookie));
  EXPECT_FALSE(FileExists(recent));
  driver::Click(dialog, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(dialog, 10000));

  // Forced delete: the held file chosen in the open-file dialog.
  for (int i = 0; i < 400 && !IsHeld(held); ++i) Sleep(25);
  ASSERT_TRUE(IsHeld(held));
  dialog = e2e::OpenTool(spruce, main, IDC_BTN_FORCEDEL, kForceDel);
  ASSERT_NE(dialog, nullptr);
  driver::Click(dialog, IDC_FORCEDEL_ADD);
  ASSERT_TRUE(driver::AnswerOpenFileDialog(spruce.Id(), held, 30000));
  HWND list = GetDlgItem(dialog, IDC_LIST);
  std::vector<driver::ListRow> rows;
  for (int i = 0; i < 200 && rows.empty(); ++i, Sleep(25)) rows = driver::ReadList(list, 2);
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_TRUE(rows[0].checked);
  EXPECT_EQ(rows[0].cells[1], held);
  e2e::KeepScreenshot(dialog, "readme-forcedel");

  driver::Click(dialog, IDC_FORCEDEL_DELETE);
  ASSERT_TRUE(driver::WaitForMessageBox(spruce.Id(), kForceDel, box, 30000));
  EXPECT_EQ(box.text, "선택한 파일을 삭제하시겠습니까?");
  ASSERT_TRUE(driver::AnswerMessageBox(box, IDYES));
  for (int i = 0; i < 400 && !driver::ReadList(list, 2).empty(); ++i) Sleep(25);
  EXPECT_TRUE(driver::ReadList(list, 2).empty());
  EXPECT_FALSE(FileExists(held));
  // The holder's handle was closed inside it: it notices and ends.
  EXPECT_EQ(WaitForSingleObject(holder.Get(), 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  GetExitCodeProcess(holder.Get(), &code);
  EXPECT_EQ(code, 3u);

  driver::Click(dialog, IDCANCEL);
  EXPECT_TRUE(driver::WaitForWindowGone(dialog, 10000));
  EXPECT_TRUE(e2e::CloseSpruce(spruce, main));
}

}  // namespace

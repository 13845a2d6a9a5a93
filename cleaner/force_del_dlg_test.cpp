// The forced-delete dialog under Wine, with ForceDel.dll (or a library
// without its export, or none) in a program folder of the test's own.
#include "cleaner/force_del_dlg.h"

#include <gtest/gtest.h>

#include <thread>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "resources/resource.h"
#include "tests/driver/driver.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

const char kTitle[] = "파일 강제삭제";
const char kQuestion[] = "선택한 파일을 삭제하시겠습니까?";

// A folder of the test's own, holding the library given (under the name
// ForceDel.dll), made the program folder and the working directory.
class ProgramFolderScope {
 public:
  explicit ProgramFolderScope(const char* library) : folder_("forcedel-dlg"), old_(ProgramFolder()) {
    if (library)
      CopyFileA((BinFolder() + "\\" + library).c_str(), folder_.File("ForceDel.dll").c_str(), FALSE);
    TheApp().SetProgramFolder(folder_.Path());
    GetCurrentDirectoryA(MAX_PATH, oldDirectory_);
    SetCurrentDirectoryA(folder_.Path().c_str());
  }
  ~ProgramFolderScope() {
    SetCurrentDirectoryA(oldDirectory_);
    TheApp().SetProgramFolder(old_);
  }
  const TempFolder& Folder() const { return folder_; }
  std::string Library() const { return folder_.File("ForceDel.dll"); }

 private:
  TempFolder folder_;
  std::string old_;
  char oldDirectory_[MAX_PATH] = {};
};

class ForceDelDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dialog_.CreateModeless(nullptr)); }

  HWND List() const { return dialog_.Item(IDC_LIST); }
  void Click(int id) {
    SendMessageA(dialog_.Hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(dialog_.Item(id)));
  }
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int i = 0; i < fw::list::Count(List()); ++i)
      rows.push_back((fw::list::IsChecked(List(), i) ? "[x] " : "[ ] ") +
                     fw::list::Text(List(), i, 1));
    return rows;
  }
  void ExpectBox(size_t index, const std::string& caption, const std::string& text, UINT style) {
    const std::vector<RecordedBox> boxes = boxes_.Boxes();
    ASSERT_LT(index, boxes.size());
    EXPECT_EQ(boxes[index].caption, caption);
    EXPECT_EQ(boxes[index].text, text);
    EXPECT_EQ(boxes[index].style, style);
  }

  MessageBoxRecorder boxes_;
  CForceDelDlg dialog_;
};

TEST_F(ForceDelDialogTest, OpensWithAnEmptyTwoColumnListAndEnterDoesNothing) {
  EXPECT_EQ(fw::list::Count(List()), 0);
  EXPECT_EQ(SendMessageA(List(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);
  const char* headers[] = {"선택", "파일명"};
  const int widths[] = {50, 415};
  for (int column = 0; column < 2; ++column) {
    char text[64] = {};
    LVCOLUMNA info = {};
    info.mask = LVCF_TEXT | LVCF_WIDTH;
    info.pszText = text;
    info.cchTextMax = sizeof text;
    ASSERT_TRUE(SendMessageA(List(), LVM_GETCOLUMNA, column, reinterpret_cast<LPARAM>(&info)));
    EXPECT_STREQ(text, headers[column]);
    EXPECT_EQ(info.cx, widths[column]);
  }
  EXPECT_EQ(fw::GetControlText(dialog_.Hwnd()), kTitle);
  EXPECT_EQ(fw::GetControlText(dialog_.Item(IDC_TITLE)), "파일 강제삭제 :");
  LOGFONTA font = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog_.Item(IDC_TITLE), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(font.lfWeight, 700);
  Click(IDOK);
  EXPECT_TRUE(IsWindow(dialog_.Hwnd()));
  Click(IDCANCEL);
  EXPECT_FALSE(IsWindow(dialog_.Hwnd()));
}

TEST_F(ForceDelDialogTest, AMissingLibraryOrExportIsReportedAndNothingIsDeleted) {
  TempFolder files("forcedel-files");
  const std::string file = files.File("a.txt");
  ASSERT_TRUE(WriteFileBytes(file, "a"));
  dialog_.AddFile(file);
  {
    ProgramFolderScope program(nullptr);
    dialog_.SetLibraryFolder(program.Folder().Path());
    boxes_.QueueAnswer(IDNO);
    Click(IDC_FORCEDEL_DELETE);
    ASSERT_EQ(boxes_.Count(), 1u);  // "no" ends it there
    ExpectBox(0, kTitle, kQuestion, MB_YESNO | MB_ICONQUESTION);
    Click(IDC_FORCEDEL_DELETE);
    ASSERT_EQ(boxes_.Count(), 3u);
    ExpectBox(2, kTitle, "ForceDel.dll 파일을 찾을 수 없습니다.", MB_OK);
  }
  {
    ProgramFolderScope program("ForceDelWithoutExport.dll");
    dialog_.SetLibraryFolder(program.Folder().Path());
    Click(IDC_FORCEDEL_DELETE);
    ASSERT_EQ(boxes_.Count(), 5u);
    ExpectBox(4, kTitle, "내부Dll에러로 인해 삭제할 수 없습니다.", MB_OK);
    EXPECT_EQ(GetModuleHandleA(program.Library().c_str()), nullptr);  // unloaded
  }
  EXPECT_EQ(Rows(), std::vector<std::string>{"[x] " + file});
  EXPECT_TRUE(FileExists(file));
}

TEST_F(ForceDelDialogTest, DeletesTheTickedRowsAndStopsAtTheFirstFailure) {
  ProgramFolderScope program("ForceDel.dll");
  dialog_.SetLibraryFolder(program.Folder().Path());
  TempFolder files("forcedel-files");
  const std::string a = files.File("a.txt"), b = files.File("b.txt"), c = files.File("c.txt");
  for (const std::string& f : {a, b, c}) ASSERT_TRUE(WriteFileBytes(f, "x"));

  // Nothing ticked: the question, and nothing else.
  dialog_.AddFile(a);
  fw::list::SetChecked(List(), 0, false);
  Click(IDC_FORCEDEL_DELETE);
  EXPECT_EQ(boxes_.Count(), 1u);
  EXPECT_TRUE(FileExists(a));

  // a ticked, b not, a again (gone by then: the library answers 0), c.
  fw::list::SetChecked(List(), 0, true);
  dialog_.AddFile(b);
  fw::list::SetChecked(List(), 1, false);
  dialog_.AddFile(a);
  dialog_.AddFile(c);
  Click(IDC_FORCEDEL_DELETE);
  ASSERT_EQ(boxes_.Count(), 3u);
  ExpectBox(1, kTitle, kQuestion, MB_YESNO | MB_ICONQUESTION);
  ExpectBox(2, "파일삭재 실패",
            a + " 파일을 삭제할 수 없습니다.\r\n재부팅후 다시 시도해 보시기 바랍니다.", MB_OK);
  EXPECT_FALSE(FileExists(a));
  EXPECT_TRUE(FileExists(b));
  EXPECT_TRUE(FileExists(c));  // after the failure nothing more is tried
  EXPECT_EQ(Rows(), (std::vector<std::string>{"[ ] " + b, "[x] " + a, "[x] " + c}));
  EXPECT_EQ(GetModuleHandleA(program.Library().c_str()), nullptr);

  // Without the failing row the rest goes, rows and files.
  fw::list::DeleteRow(List(), 1);
  fw::list::SetChecked(List(), 0, true);
  Click(IDC_FORCEDEL_DELETE);
  EXPECT_EQ(boxes_.Count(), 4u);  // the question only
  EXPECT_EQ(fw::list::Count(List()), 0);
  EXPECT_FALSE(FileExists(b));
  EXPECT_FALSE(FileExists(c));
}

TEST_F(ForceDelDialogTest, ChoosingAFileAddsATickedRowAndKeepsTheCurrentDirectory) {
  TempFolder start("forcedel-cwd"), files("forcedel-pick");
  const std::string file = files.File("picked.txt");
  ASSERT_TRUE(WriteFileBytes(file, "pick"));
  char before[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, before);
  ASSERT_TRUE(SetCurrentDirectoryA(start.Path().c_str()));

  // The open-file dialog runs modally inside the click; another thread
  // answers it as a user would.
  bool answered = false;
  std::thread user([&] { answered = driver::AnswerOpenFileDialog(GetCurrentProcessId(), file); });
  Click(IDC_FORCEDEL_ADD);
  user.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(Rows(), std::vector<std::string>{"[x] " + file});
  char after[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, start.Path().c_str());

  // Cancelling adds nothing.
  std::thread cancel([&] { answered = driver::AnswerOpenFileDialog(GetCurrentProcessId(), ""); });
  Click(IDC_FORCEDEL_ADD);
  cancel.join();
  EXPECT_TRUE(answered);
  EXPECT_EQ(fw::list::Count(List()), 1);
  EXPECT_EQ(boxes_.Count(), 0u);
  SetCurrentDirectoryA(before);
}

TEST_F(ForceDelDialogTest, LoadsTheLibraryBesideTheProgramFileNotFromTheWorkingDirectory) {
  // Started from a download folder holding a library of the same name: the
  // one beside the program file (here the test program's) does the work.
  ProgramFolderScope downloads("ForceDelWithoutExport.dll");
  TempFolder files("forcedel-files");
  const std::string file = files.File("a.txt");
  ASSERT_TRUE(WriteFileBytes(file, "a"));
  dialog_.AddFile(file);
  Click(IDC_FORCEDEL_DELETE);
  ASSERT_EQ(boxes_.Count(), 1u);  // the question only
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(fw::list::Count(List()), 0);
}

TEST_F(ForceDelDialogTest, GoesOnAnsweringWhileTheLibraryWorksAndTakesNoExitMeanwhile) {
  // The library takes its time, as a search through stuck handles does.
  ProgramFolderScope program("ForceDelSlow.dll");
  dialog_.SetLibraryFolder(program.Folder().Path());
  fw::UniqueHandle called(CreateEventA(nullptr, TRUE, FALSE, "SpruceForceDelCalled"));
  fw::UniqueHandle goOn(CreateEventA(nullptr, TRUE, FALSE, "SpruceForceDelGoOn"));
  ASSERT_TRUE(called.Valid() && goOn.Valid());
  TempFolder files("forcedel-files");
  const std::string file = files.File("slow.txt");
  ASSERT_TRUE(WriteFileBytes(file, "slow"));
  dialog_.AddFile(file);

  bool reached = false, answered = false, buttonsOff = false;
  HWND dialog = dialog_.Hwnd();
  std::thread user([&] {
    reached = WaitForSingleObject(called.Get(), 10000) == WAIT_OBJECT_0;
    DWORD_PTR result = 0;
    answered = SendMessageTimeoutA(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result) != 0;
    buttonsOff = !IsWindowEnabled(GetDlgItem(dialog, IDC_FORCEDEL_DELETE)) &&
                 !IsWindowEnabled(GetDlgItem(dialog, IDC_FORCEDEL_ADD)) &&
                 !IsWindowEnabled(GetDlgItem(dialog, IDCANCEL));
    // Esc or the close box while the library works: the dialog stays.
    SendMessageTimeoutA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0, SMTO_NORMAL,
                        2000, &result);
    SetEvent(goOn.Get());
  });
  Click(IDC_FORCEDEL_DELETE);
  user.join();
  EXPECT_TRUE(reached);
  EXPECT_TRUE(answered);
  EXPECT_TRUE(buttonsOff);
  ASSERT_TRUE(IsWindow(dialog));
  EXPECT_EQ(boxes_.Count(), 1u);
  EXPECT_FALSE(FileExists(file));
  EXPECT_EQ(fw::list::Count(List()), 0);
  EXPECT_TRUE(IsWindowEnabled(dialog_.Item(IDC_FORCEDEL_DELETE)));
  EXPECT_TRUE(IsWindowEnabled(dialog_.Item(IDCANCEL)));
}

}  // namespace

// The hard-disk optimizer dialog under Wine: the real scan of the prefix's
// folders and recycle bin, real deletions and the real deletion lists. Other
// tests leave junk in the same folders, so every deletion here ticks only
// the planted rows (except where a test means "everything").
#include "cleaner/disk_clean_dlg.h"

#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/cleaner_app.h"
#include "cleaner/backup_slots.h"
#include "framework/controls.h"
#include "resources/resource.h"
#include "tests/support/late_click.h"
#include "tests/support/recorder.h"
#include "tests/support/wine_env.h"

using namespace testing_support;

namespace {

const char kCaption[] = "하드디스크 최적화";

std::string UserTemp() { return JunkScanner::JunkFolders()[1]; }
std::string Tag(const char* what) {
  return std::string("spruce-") + what + "-" + std::to_string(GetCurrentProcessId());
}
std::string Text(const CDiskCleanDlg& d, int id) { return fw::GetControlText(d.Item(id)); }

// Points the program folder (and so the backup folder) at a fresh folder.
class ProgramFolderScope {
 public:
  ProgramFolderScope() : folder_("diskclean"), old_(ProgramFolder()) {
    TheApp().SetProgramFolder(folder_.Path());
  }
  ~ProgramFolderScope() { TheApp().SetProgramFolder(old_); }
  std::string Backup() const { return folder_.Path() + "\\backup"; }
  // Names of the slot lists ("disk-...-N.txt" with N 1 to 3), sorted by slot.
  std::vector<std::string> Lists() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAA d;
    HANDLE f = FindFirstFileA((Backup() + "\\disk-*.txt").c_str(), &d);
    if (f == INVALID_HANDLE_VALUE) return names;
    do {
      if (diskclean::SlotOfFileName(d.cFileName)) names.push_back(d.cFileName);
    } while (FindNextFileA(f, &d));
    FindClose(f);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
      return a[a.size() - 5] < b[b.size() - 5];
    });
    return names;
  }

 private:
  TempFolder folder_;
  std::string old_;
};

// The job has ended and button 5 is usable again.
bool Settled(const CDiskCleanDlg& d) {
  return !d.IsWorking() && IsWindowEnabled(d.Item(IDC_DELETE));
}

void OpenAndScan(CDiskCleanDlg& d) {
  ASSERT_TRUE(d.CreateModeless(nullptr));
  ASSERT_TRUE(PumpUntil([&] { return Settled(d); }));
}

void ClickDelete(CDiskCleanDlg& d) {
  SendMessageA(d.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
  ASSERT_TRUE(PumpUntil([&] { return Settled(d); }));
}

int RowOf(HWND list, const std::string& path, const std::string& name) {
  for (int i = 0, n = fw::list::Count(list); i < n; ++i)
    if (fw::list::Text(list, i, 1) == path && fw::list::Text(list, i, 2) == name) return i;
  return -1;
}

// Leaves ticked only the rows keep picks.
void TickOnly(HWND list, const std::function<bool(int)>& keep) {
  for (int i = 0, n = fw::list::Count(list); i < n; ++i) fw::list::SetChecked(list, i, keep(i));
}

int64_t BinItems() {
  SHQUERYRBINFO info = {};
  info.cbSize = sizeof info;
  if (FAILED(SHQueryRecycleBinA("C:", &info))) return -1;
  return info.i64NumItems;
}

void EmptyBin() {
  SHEmptyRecycleBinA(nullptr, "C:\\", SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
}

// Moves a new file of size bytes to the recycle bin.
void PlantBinItem(size_t size) {
  TempFolder folder("bin");
  std::string file = folder.File("binned.dat");
  ASSERT_TRUE(WriteFileBytes(file, std::string(size, 'b')));
  std::string from = file + '\0';
  SHFILEOPSTRUCTA op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = from.c_str();
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT;
  ASSERT_EQ(SHFileOperationA(&op), 0);
}

// Sends a click on button 5 from inside the first notification code the
// dialog gets, while rows are being applied. Before that it tries to tick
// probeRow.
struct StopOnNotify {
  UINT code;
  int probeRow = -1;
  bool fired = false;
  bool probeTicked = false;
  static LRESULT CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR self) {
    auto* s = reinterpret_cast<StopOnNotify*>(self);
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lp)->code == s->code && !s->fired) {
      s->fired = true;
      HWND list = GetDlgItem(dlg, IDC_LIST);
      if (s->probeRow >= 0) {
        fw::list::SetChecked(list, s->probeRow, true);
        s->probeTicked = fw::list::IsChecked(list, s->probeRow);
      }
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
    }
    return DefSubclassProc(dlg, msg, wp, lp);
  }
};

TEST(DiskCleanDialog, ScansThenDeletesTheTickedFilesAndRecordsThem) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  const std::string sub = UserTemp() + "\\" + Tag("dlg");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(sub + "\\small.txt", "12345"));
  ASSERT_TRUE(WriteFileBytes(sub + "\\kilo.bin", std::string(1536, 'k')));
  ASSERT_TRUE(WriteFileBytes(sub + "\\locked.txt", "locked"));
  ASSERT_TRUE(WriteFileBytes(sub + "\\kept.txt", "kept"));
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);

  CDiskCleanDlg d;
  OpenAndScan(d);
  HWND list = d.Item(IDC_LIST);
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, kCaption);
  EXPECT_EQ(boxes.Boxes()[0].text, "검색이 완료되었습니다.");
  EXPECT_EQ(boxes.Boxes()[0].style, static_cast<UINT>(MB_OK));
  EXPECT_EQ(Text(d, IDC_STATE), "검색완료");
  const int rows = fw::list::Count(list);
  EXPECT_EQ(Text(d, IDC_STATUS).rfind(std::to_string(rows) + "개, ", 0), 0u) << Text(d, IDC_STATUS);
  EXPECT_EQ(Text(d, IDC_DELETE), "삭제");
  EXPECT_TRUE(IsWindowEnabled(d.Item(IDCANCEL)));
  EXPECT_EQ(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x25, 0x25);
  LOGFONTA bold = {};
  GetObjectA(reinterpret_cast<HFONT>(SendMessageA(d.Item(IDC_TITLE), WM_GETFONT, 0, 0)),
             sizeof bold, &bold);
  EXPECT_EQ(bold.lfWeight, 700);

  const int small = RowOf(list, sub, "small.txt"), kilo = RowOf(list, sub, "kilo.bin");
  ASSERT_GE(small, 0);
  ASSERT_GE(kilo, 0);
  EXPECT_EQ(fw::list::Text(list, small, 3), "5 Byte");
  EXPECT_EQ(fw::list::Text(list, kilo, 3), "1 KB");
  EXPECT_EQ(fw::list::Text(list, small, 0), "");
  EXPECT_TRUE(fw::list::IsChecked(list, small));
  EXPECT_EQ(fw::list::Data(list, small), JunkItem::kFile);

  // Held open without delete sharing: it leaves the list but stays.
  HANDLE locked = CreateFileA((sub + "\\locked.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  const int lockedRow = RowOf(list, sub, "locked.txt");
  TickOnly(list, [&](int i) { return i == small || i == kilo || i == lockedRow; });
  ClickDelete(d);
  CloseHandle(locked);

  EXPECT_EQ(boxes.LastText(), "삭제 완료되었습니다");
  EXPECT_EQ(Text(d, IDC_STATE), "삭제완료");
  EXPECT_EQ(Text(d, IDC_STATUS), "");
  EXPECT_FALSE(IsWindowVisible(d.Item(IDC_PROGRESS)));
  EXPECT_TRUE(IsWindowVisible(d.Item(IDC_STATUS)));
  EXPECT_EQ(fw::list::Count(list), rows - 3);
  EXPECT_EQ(RowOf(list, sub, "small.txt"), -1);
  EXPECT_EQ(RowOf(list, sub, "locked.txt"), -1);
  EXPECT_GE(RowOf(list, sub, "kept.txt"), 0);
  EXPECT_FALSE(FileExists(sub + "\\small.txt"));
  EXPECT_FALSE(FileExists(sub + "\\kilo.bin"));
  EXPECT_TRUE(FileExists(sub + "\\locked.txt"));
  char after[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, after);
  EXPECT_STREQ(after, cwd);

  const std::vector<std::string> lists = program.Lists();
  ASSERT_EQ(lists.size(), 1u);
  std::string expected[2] = {sub + "\\small.txt\r\n", sub + "\\kilo.bin\r\n"};
  if (kilo < small) std::swap(expected[0], expected[1]);
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + lists[0]), expected[0] + expected[1]);

  // The status line: 60 bytes whole, 61 cut to 60 and "...", at most every
  // 100 ms, and an unchanged folder is not handed over again.
  fw::UiFeed feed(d.Hwnd());
  DialogJunkScanner probe(d, feed);
  const std::string p60 = "C:\\" + std::string(57, 'p');
  probe.OnFolderEntered(p60);
  feed.Flush();
  EXPECT_EQ(Text(d, IDC_STATUS), p60);
  probe.OnFolderEntered(p60 + "q");
  feed.Flush();
  EXPECT_EQ(Text(d, IDC_STATUS), p60);  // too soon: it waits
  Sleep(120);
  probe.OnFolderEntered(p60 + "q");
  feed.Flush();
  EXPECT_EQ(Text(d, IDC_STATUS), p60 + "...");
  SetWindowTextA(d.Item(IDC_STATUS), "elsewhere");
  Sleep(120);
  probe.OnFolderEntered(p60 + "r");  // the same cut text as before
  feed.Flush();
  EXPECT_EQ(Text(d, IDC_STATUS), "elsewhere");
  RemoveTree(sub);
}

TEST(DiskCleanDialog, RotatesThreeListsThroughTheIndex) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  const std::string idx = program.Backup() + "\\diskclean.idx";
  CreateDirectoryA(program.Backup().c_str(), nullptr);
  // Slot digits 0 and 4-9 are never live slots: these stay.
  ASSERT_TRUE(WriteFileBytes(program.Backup() + "\\disk-old-0.txt", "zero"));
  ASSERT_TRUE(WriteFileBytes(program.Backup() + "\\disk-old-7.txt", "seven"));
  const std::string file = UserTemp() + Tag("rotate") + ".txt";
  ASSERT_TRUE(WriteFileBytes(file, "r"));

  CDiskCleanDlg d;
  OpenAndScan(d);
  HWND list = d.Item(IDC_LIST);
  const int row = RowOf(list, UserTemp(), Tag("rotate") + ".txt");
  ASSERT_GE(row, 0);
  TickOnly(list, [&](int i) { return i == row; });
  ClickDelete(d);
  EXPECT_EQ(ReadFileBytes(idx), "2");
  std::vector<std::string> lists = program.Lists();
  ASSERT_EQ(lists.size(), 1u);
  EXPECT_EQ(lists[0][lists[0].size() - 5], '1');
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + lists[0]),
            UserTemp() + "\\" + Tag("rotate") + ".txt\r\n");

  // Every deletion takes the next slot, even with nothing ticked.
  TickOnly(list, [](int) { return false; });
  ClickDelete(d);
  EXPECT_EQ(ReadFileBytes(idx), "3");
  ClickDelete(d);
  EXPECT_EQ(ReadFileBytes(idx), "1");
  ASSERT_EQ(program.Lists().size(), 3u);
  ClickDelete(d);  // the fourth: slot 1 again, its old list gone
  lists = program.Lists();
  ASSERT_EQ(lists.size(), 3u);
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + lists[0]), "");
  EXPECT_EQ(ReadFileBytes(idx), "2");
  EXPECT_EQ(boxes.LastText(), "삭제 완료되었습니다");
  EXPECT_TRUE(FileExists(program.Backup() + "\\disk-old-0.txt"));
  EXPECT_TRUE(FileExists(program.Backup() + "\\disk-old-7.txt"));

  // Out of range or not a number: slot 1; the index then holds just "2".
  for (const char* text : {"7", "text", "13"}) {
    ASSERT_TRUE(WriteFileBytes(program.Backup() + "\\" + program.Lists()[0], "old slot 1"));
    ASSERT_TRUE(WriteFileBytes(idx, text));
    ClickDelete(d);
    EXPECT_EQ(ReadFileBytes(idx), "2") << text;
    EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[0]), "") << text;
  }

  // An index that cannot be opened: the message, slot 1, the index untouched.
  DeleteFileA(idx.c_str());
  ASSERT_TRUE(CreateDirectoryA(idx.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(program.Backup() + "\\" + program.Lists()[0], "old slot 1"));
  const size_t before = boxes.Count();
  ClickDelete(d);
  std::vector<RecordedBox> all = boxes.Boxes();
  ASSERT_EQ(all.size(), before + 2);
  EXPECT_EQ(all[before].text, "디스크삭제 인덱스 파일을 생성할 수 없습니다.");
  EXPECT_EQ(all[before].caption, kCaption);
  EXPECT_EQ(all[before + 1].text, "삭제 완료되었습니다");
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[0]), "");
  EXPECT_EQ(program.Lists().size(), 3u);
  EXPECT_TRUE(GetFileAttributesA(idx.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
  DeleteFileA(file.c_str());
}

TEST(DiskCleanDialog, EmptiesTheBinOnlyForARealRecycleBinRow) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  EmptyBin();
  PlantBinItem(3000);
  ASSERT_EQ(BinItems(), 1);
  const std::string binNamed = UserTemp() + "\\" + Tag("bin") + "\\휴지통";
  CreateDirectoryA((UserTemp() + "\\" + Tag("bin")).c_str(), nullptr);
  ASSERT_TRUE(CreateDirectoryA(binNamed.c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(binNamed + "\\junk.txt", "junk"));

  CDiskCleanDlg d;
  OpenAndScan(d);
  HWND list = d.Item(IDC_LIST);
  const int bin = RowOf(list, "C 드라이브 휴지통", "1 개");
  ASSERT_GE(bin, 0);
  EXPECT_EQ(fw::list::Text(list, bin, 3), "2 KB");
  EXPECT_EQ(fw::list::Data(list, bin), JunkItem::kRecycleBin);

  // A file in a folder named 휴지통 is a file: deleted, the bin left alone.
  const int junk = RowOf(list, binNamed, "junk.txt");
  ASSERT_GE(junk, 0);
  TickOnly(list, [&](int i) { return i == junk; });
  ClickDelete(d);
  EXPECT_FALSE(FileExists(binNamed + "\\junk.txt"));
  EXPECT_EQ(BinItems(), 1);
  ASSERT_EQ(program.Lists().size(), 1u);
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[0]),
            binNamed + "\\junk.txt\r\n");

  const int binNow = RowOf(list, "C 드라이브 휴지통", "1 개");
  TickOnly(list, [&](int i) { return i == binNow; });
  ClickDelete(d);
  EXPECT_EQ(BinItems(), 0);
  EXPECT_EQ(RowOf(list, "C 드라이브 휴지통", "1 개"), -1);
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[1]),
            "C 드라이브 휴지통 1 개(2 KB)\r\n");
  RemoveTree(UserTemp() + "\\" + Tag("bin"));
}

TEST(DiskCleanDialog, StopDuringTheWalkKeepsTheRowsAndExitWaitsForTheScan) {
  MessageBoxRecorder boxes;
  EmptyBin();
  PlantBinItem(10);
  CDiskCleanDlg d;
  ASSERT_TRUE(d.CreateModeless(nullptr));
  // Busy: no exit, no Enter, button 5 stops.
  SendMessageA(d.Hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  SendMessageA(d.Hwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_TRUE(IsWindow(d.Hwnd()));
  EXPECT_FALSE(IsWindowEnabled(d.Item(IDCANCEL)));
  EXPECT_EQ(Text(d, IDC_DELETE), "중지");
  // Stop while the first rows (the recycle bin's come first) are inserted.
  // The walk goes on meanwhile and ends at its next entry (the engine's own
  // test pins that point): what was found by then stays, and no more.
  StopOnNotify stop{LVN_INSERTITEM};
  SetWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1, reinterpret_cast<DWORD_PTR>(&stop));
  ASSERT_TRUE(PumpUntil([&] { return !d.IsWorking(); }));
  RemoveWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1);

  HWND list = d.Item(IDC_LIST);
  EXPECT_TRUE(stop.fired);
  EXPECT_EQ(boxes.LastText(), "검색이 중지되었습니다.");
  EXPECT_EQ(Text(d, IDC_STATE), "검색중지");
  EXPECT_EQ(RowOf(list, "C 드라이브 휴지통", "1 개"), 0);
  EXPECT_EQ(Text(d, IDC_STATUS).rfind(std::to_string(fw::list::Count(list)) + "개, ", 0), 0u);
  EXPECT_EQ(Text(d, IDC_DELETE), "삭제");
  EXPECT_FALSE(d.IsBusy());

  // Stop and close at once: the exit waits (serving the scan's messages)
  // for the scan to end instead of blocking it.
  CDiskCleanDlg again;
  ASSERT_TRUE(again.CreateModeless(nullptr));
  SendMessageA(again.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
  HWND window = again.Hwnd();
  SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(again.IsWorking());
  EXPECT_EQ(boxes.LastText(), "검색이 중지되었습니다.");
  EmptyBin();
}

TEST(DiskCleanDialog, AClickLandingAsTheScanEndsDeletesNothing) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  EmptyBin();
  PlantBinItem(10);
  CDiskCleanDlg d;
  ASSERT_TRUE(d.CreateModeless(nullptr));
  HWND list = d.Item(IDC_LIST);
  HWND button = d.Item(IDC_DELETE);
  // The scan is stopped at its first row, the recycle bin's, so that few
  // rows are there; a second click is on its way while the scan ends.
  StopOnNotify stop{LVN_INSERTITEM};
  SetWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1, reinterpret_cast<DWORD_PTR>(&stop));
  ASSERT_TRUE(ClickAsTheJobEnds(d.Hwnd(), IDC_DELETE, [&] { return !d.IsWorking(); }));
  RemoveWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1);
  EXPECT_TRUE(stop.fired);
  EXPECT_FALSE(d.IsWorking());
  EXPECT_EQ(Text(d, IDC_DELETE), "삭제");
  EXPECT_FALSE(IsWindowEnabled(button));
  const int rows = fw::list::Count(list);
  ASSERT_TRUE(PumpUntil([&] { return IsWindowEnabled(button) != FALSE; }, 10000));
  ASSERT_EQ(boxes.Count(), 1u);
  EXPECT_EQ(boxes.LastText(), "검색이 중지되었습니다.");
  EXPECT_EQ(fw::list::Count(list), rows);
  const int bin = RowOf(list, "C 드라이브 휴지통", "1 개");
  ASSERT_GE(bin, 0);
  EXPECT_TRUE(fw::list::IsChecked(list, bin));
  EXPECT_EQ(BinItems(), 1);
  EXPECT_EQ(GetFileAttributesA(program.Backup().c_str()), INVALID_FILE_ATTRIBUTES);

  // A moment later the button deletes as before.
  TickOnly(list, [&](int i) { return i == bin; });
  ClickDelete(d);
  EXPECT_EQ(boxes.LastText(), "삭제 완료되었습니다");
  EXPECT_EQ(BinItems(), 0);
}

TEST(DiskCleanDialog, StopDuringADeletionLeavesTheUnvisitedRows) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  const std::string sub = UserTemp() + "\\" + Tag("halt");
  ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
  for (const char* name : {"a.txt", "b.txt", "c.txt", "stay.txt"})
    ASSERT_TRUE(WriteFileBytes(sub + "\\" + name, name));

  // The run waits after its first file until the stop has come: the worker
  // does not wait for the dialog, so without this the three files would be
  // gone before the first removal reaches the list.
  struct HeldDialog : CDiskCleanDlg {
    int deleted = 0;
    bool DeleteJunkFile(LinkSafeDeleter& deleter, const std::string& folder,
                        const std::string& name) override {
      const bool gone = CDiskCleanDlg::DeleteJunkFile(deleter, folder, name);
      if (++deleted == 1)
        for (int i = 0; i < 1000 && IsBusy(); ++i) Sleep(10);
      return gone;
    }
  } d;
  OpenAndScan(d);
  HWND list = d.Item(IDC_LIST);
  std::vector<int> mine;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) mine.push_back(RowOf(list, sub, name));
  std::sort(mine.begin(), mine.end());
  ASSERT_GE(mine[0], 0);
  const std::string first = fw::list::Text(list, mine[0], 2);
  TickOnly(list, [&](int i) { return std::find(mine.begin(), mine.end(), i) != mine.end(); });
  const std::string state = Text(d, IDC_STATE), status = Text(d, IDC_STATUS);
  const int rows = fw::list::Count(list);

  StopOnNotify stop{LVN_DELETEITEM};
  stop.probeRow = RowOf(list, sub, "stay.txt");
  SetWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1, reinterpret_cast<DWORD_PTR>(&stop));
  ClickDelete(d);
  RemoveWindowSubclass(d.Hwnd(), &StopOnNotify::Proc, 1);

  EXPECT_TRUE(stop.fired);
  EXPECT_FALSE(stop.probeTicked);  // ticks are refused while deleting
  EXPECT_EQ(boxes.LastText(), "취소 되었습니다.");
  EXPECT_EQ(Text(d, IDC_STATE), state);
  EXPECT_EQ(Text(d, IDC_STATUS), status);
  EXPECT_EQ(fw::list::Count(list), rows - 1);
  EXPECT_FALSE(FileExists(sub + "\\" + first));
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    if (name == first) continue;
    EXPECT_TRUE(FileExists(sub + "\\" + name)) << name;
    const int row = RowOf(list, sub, name);
    ASSERT_GE(row, 0) << name;
    EXPECT_TRUE(fw::list::IsChecked(list, row));
  }
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[0]),
            sub + "\\" + first + "\r\n");
  EXPECT_TRUE(IsWindowEnabled(d.Item(IDCANCEL)));
  RemoveTree(sub);
}

TEST(DiskCleanDialog, NeverReachesThroughALinkToACanaryFolder) {
  MessageBoxRecorder boxes;
  ProgramFolderScope program;
  TempFolder canary("canary");
  ASSERT_TRUE(CreateDirectoryA(canary.File("inner").c_str(), nullptr));
  ASSERT_TRUE(WriteFileBytes(canary.File("canary-top.txt"), "top"));
  ASSERT_TRUE(WriteFileBytes(canary.File("inner\\canary-inner.txt"), "inner"));
  const std::string temp = UserTemp().substr(0, UserTemp().size() - 1);
  const std::string dirLink = Tag("dirlink"), fileLink = Tag("filelink");
  const std::string links[2] = {UnixFileName(temp) + "/" + dirLink,
                                UnixFileName(temp) + "/" + fileLink};
  ASSERT_FALSE(UnixFileName(temp).empty());
  struct Unlink {
    const std::string* links;
    std::string dir, file;
    ~Unlink() {
      RunUnixCommand("/bin/rm -f " + links[0] + " " + links[1],
              [&] { return !FileExists(dir) && !FileExists(file); });
    }
  } unlink{links, temp + "\\" + dirLink, temp + "\\" + fileLink};
  RunUnixCommand("/bin/ln -s " + UnixFileName(canary.Path()) + " " + links[0],
          [&] { return FileExists(unlink.dir); });
  RunUnixCommand("/bin/ln -s " + UnixFileName(canary.File("canary-top.txt")) + " " + links[1],
          [&] { return FileExists(unlink.file); });
  ASSERT_TRUE(GetFileAttributesA((temp + "\\" + dirLink).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
  ASSERT_EQ(ReadFileBytes(temp + "\\" + fileLink), "top");

  CDiskCleanDlg d;
  OpenAndScan(d);
  HWND list = d.Item(IDC_LIST);
  for (int i = 0, n = fw::list::Count(list); i < n; ++i) {
    EXPECT_EQ(fw::list::Text(list, i, 1).find(dirLink), std::string::npos) << i;
    EXPECT_EQ(fw::list::Text(list, i, 2).find("canary"), std::string::npos) << i;
  }
  EXPECT_GE(RowOf(list, UserTemp(), fileLink), 0);  // a file link is a file

  // Everything but the recycle bins. Wine follows a file link on every file
  // operation, so the link cannot go alone there: it must then stay, with
  // what it points to, and not be recorded.
  TickOnly(list, [&](int i) { return fw::list::Data(list, i) == JunkItem::kFile; });
  ClickDelete(d);
  EXPECT_EQ(boxes.LastText(), "삭제 완료되었습니다");
  EXPECT_EQ(RowOf(list, UserTemp(), fileLink), -1);
  EXPECT_EQ(ReadFileBytes(program.Backup() + "\\" + program.Lists()[0]).find(fileLink),
            std::string::npos);
  EXPECT_EQ(ReadFileBytes(canary.File("canary-top.txt")), "top");
  EXPECT_EQ(ReadFileBytes(canary.File("inner\\canary-inner.txt")), "inner");
}

}  // namespace

// The hard-disk optimizer against the bare file system, in one run:
//   - the scan through the dialog (opening to "검색완료") against a bare
//     FindFirstFileA walk of the same planted tree;
//   - the deletion through the dialog (list, progress and deletion list
//     included) against a bare DeleteFileA loop over a copy of the tree.
// Usage: disk_bench [files]   (default 50,000, in 1,110 nested folders of
// the user temp folder). Prints the figures and the ratios.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "cleaner/disk_clean_dlg.h"
#include "framework/controls.h"
#include "framework/msgbox.h"
#include "bench/stopwatch.h"
#include "resources/resource.h"

namespace {

double Now() { return NowSeconds(); }

void Pump(CDiskCleanDlg& dialog) {
  while (dialog.IsWorking()) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

// root, 10 folders, 10 in each, 10 in each of those (1,111 folders with the
// root); the files spread over the 1,000 leaves.
int Plant(const std::string& root, int files) {
  CreateDirectoryA(root.c_str(), nullptr);
  int made = 0;
  for (int leaf = 0; leaf < 1000; ++leaf) {
    std::string folder = root + "\\a" + std::to_string(leaf / 100);
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\b" + std::to_string(leaf / 10 % 10);
    CreateDirectoryA(folder.c_str(), nullptr);
    folder += "\\c" + std::to_string(leaf % 10);
    CreateDirectoryA(folder.c_str(), nullptr);
    const int here = files / 1000 + (leaf < files % 1000 ? 1 : 0);
    for (int i = 0; i < here; ++i) {
      HANDLE h = CreateFileA((folder + "\\f" + std::to_string(i) + ".tmp").c_str(), GENERIC_WRITE,
                             0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (h == INVALID_HANDLE_VALUE) continue;
      DWORD written = 0;
      WriteFile(h, "junk", 4, &written, nullptr);
      CloseHandle(h);
      ++made;
    }
  }
  return made;
}

// The bare walk: names and sizes from the find data, nothing else.
void Walk(const std::string& folder, std::vector<std::string>* paths, long long& count,
          unsigned long long& bytes) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const char* name = data.cFileName;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
      Walk(folder + "\\" + name, paths, count, bytes);
    } else {
      ++count;
      bytes += (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
      if (paths) paths->push_back(folder + "\\" + name);
    }
  } while (FindNextFileA(find, &data));
  FindClose(find);
}

void RemoveFolders(const std::string& folder) {
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((folder + "\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveFolders(path);
      else
        DeleteFileA(path.c_str());
    } while (FindNextFileA(find, &data));
    FindClose(find);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 50000;
  InitCommonControls();
  CoInitialize(nullptr);
  std::string lastBox;
  fw::SetMessageBoxHook([&](HWND, const std::string&, const std::string& text, UINT) {
    lastBox = text;
    return IDOK;
  });

  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string program = "C:\\spruce-bench-program-" + tag;
  CreateDirectoryA(program.c_str(), nullptr);
  TheApp().SetProgramFolder(program);
  const std::string temp = JunkScanner::JunkFolders()[1];
  const std::string root = temp + "spruce-bench-" + tag;
  // The scan names the tree's folders with the doubled backslash.
  const std::string listed = temp + "\\spruce-bench-" + tag;

  // The copy for the bare loop lies outside the scanned folders.
  const std::string copy = "C:\\spruce-bench-copy-" + tag;
  double t = Now();
  const int planted = Plant(root, files);
  Plant(copy, files);
  std::printf("planted 2 x %d files in 1,110 folders each in %.2f s\n", planted, Now() - t);

  long long count = 0;
  unsigned long long bytes = 0;
  Walk(root, nullptr, count, bytes);  // warms the caches as the dialog will find them
  count = 0;
  t = Now();
  Walk(root, nullptr, count, bytes);
  const double bareWalk = Now() - t;

  int rows = 0, benchRows = 0, left = 0, deleted = 0;
  double dialogScan = 0, dialogDelete = 0, bareDelete = 0;
  {
    t = Now();
    CDiskCleanDlg dialog;
    if (!dialog.CreateModeless(nullptr)) {
      std::printf("the dialog did not open\n");
      return 1;
    }
    Pump(dialog);
    dialogScan = Now() - t;
    const std::string state = fw::GetControlText(dialog.Item(IDC_STATE));
    HWND list = dialog.Item(IDC_LIST);
    rows = fw::list::Count(list);
    for (int i = 0; i < rows; ++i) {
      const bool mine = fw::list::Text(list, i, 1).compare(0, listed.size(), listed) == 0;
      benchRows += mine;
      if (!mine) fw::list::SetChecked(list, i, false);
    }
    std::printf("scan: %s, %d rows (%d of the tree)\n", state == "검색완료" ? "done" : "NOT DONE",
                rows, benchRows);

    // The bare loop, with the dialog open as the user would have it.
    std::vector<std::string> paths;
    long long copied = 0;
    Walk(copy, &paths, copied, bytes);
    t = Now();
    for (const std::string& p : paths) deleted += DeleteFileA(p.c_str()) ? 1 : 0;
    bareDelete = Now() - t;

    t = Now();
    SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
    Pump(dialog);
    dialogDelete = Now() - t;
    left = fw::list::Count(dialog.Item(IDC_LIST));
    std::printf("delete: %s, %d rows left\n",
                lastBox == "삭제 완료되었습니다" ? "done" : "NOT DONE", left);
  }
  long long remaining = 0;
  Walk(root, nullptr, remaining, bytes);
  RemoveFolders(root);
  RemoveFolders(copy);
  RemoveFolders(program);

  std::printf("\n%-44s %8s\n", "", "seconds");
  std::printf("%-44s %8.2f  (%lld files)\n", "bare FindFirstFileA walk", bareWalk, count);
  std::printf("%-44s %8.2f  ratio %.2f (goal <= 3)\n", "scan through the dialog, open to done",
              dialogScan, dialogScan / bareWalk);
  std::printf("%-44s %8.2f  (%d files)\n", "bare DeleteFileA loop over the copy", bareDelete,
              deleted);
  std::printf("%-44s %8.2f  ratio %.2f (goal <= 1.5)\n", "deletion through the dialog",
              dialogDelete, dialogDelete / bareDelete);
  std::printf("files of the tree left after the dialog's deletion: %lld\n", remaining);
  CoUninitialize();
  return benchRows == planted && remaining == 0 ? 0 : 1;
}

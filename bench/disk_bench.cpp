// The hard-disk optimizer against the bare file system, in one run:
//   - the scan through the dialog (opening to "검색완료") against a bare
//     FindFirstFileA walk of the same planted tree;
//   - the deletion through the dialog (list, progress and deletion list
//     included) against a bare DeleteFileA loop over a copy of the tree.
// Usage: disk_bench [files] [rounds]   (default 50,000 files in 1,110 nested
// folders of the user temp folder, 3 rounds). Each round plants anew and
// measures all four; the ratios are taken within a round (the machine's
// load changes between rounds) and their medians reported. Within a round
// the bare figures are taken half before and half after the dialog's, so
// that a change of load during the round falls on both sides alike.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "cleaner/disk_clean_dlg.h"
#include "framework/controls.h"
#include "framework/msgbox.h"
#include "framework/wait.h"
#include "bench/plant.h"
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
    made += PlantFiles(folder, files / 1000 + (leaf < files % 1000 ? 1 : 0));
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

struct Round {
  double bareWalk = 0, dialogScan = 0, bareDelete = 0, dialogDelete = 0;
  bool ok = false;
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

Round RunRound(int files, const std::string& tag) {
  Round r;
  std::string lastBox;
  fw::SetMessageBoxHook([&](HWND, const std::string&, const std::string& text, UINT) {
    lastBox = text;
    return IDOK;
  });
  const std::string temp = JunkScanner::JunkFolders()[1];
  const std::string root = temp + "spruce-bench-" + tag;
  // The scan names the tree's folders with the doubled backslash.
  const std::string listed = temp + "\\spruce-bench-" + tag;
  // The copy for the bare loop lies beside the tree, as deep in the same
  // temp folder (under Wine every folder of a path costs a lookup), and is
  // planted after the scan so that the dialog does not list it.
  const std::string copy = temp + "spruce-bench-copy-" + tag;
  double t = Now();
  const int planted = Plant(root, files);
  std::printf("planted %d files in 1,110 folders in %.2f s\n", planted, Now() - t);

  long long count = 0;
  unsigned long long bytes = 0;
  Walk(root, nullptr, count, bytes);  // warms the caches as the dialog will find them
  count = 0;
  t = Now();
  Walk(root, nullptr, count, bytes);
  r.bareWalk = Now() - t;

  int rows = 0, benchRows = 0, left = 0, deleted = 0;
  {
    t = Now();
    CDiskCleanDlg dialog;
    if (!dialog.CreateModeless(nullptr)) {
      std::printf("the dialog did not open\n");
      return r;
    }
    Pump(dialog);
    r.dialogScan = Now() - t;
    // The bare walk again: the two halves of the figure frame the scan, so
    // that the machine's changing load falls on both sides alike.
    long long again = 0;
    t = Now();
    Walk(root, nullptr, again, bytes);
    r.bareWalk = (r.bareWalk + Now() - t) / 2;
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
    Plant(copy, files);
    std::vector<std::string> paths;
    long long copied = 0;
    Walk(copy, &paths, copied, bytes);
    // Half of the bare loop before the dialog's deletion and half after it,
    // for the same reason.
    const size_t half = paths.size() / 2;
    t = Now();
    for (size_t i = 0; i < half; ++i) deleted += DeleteFileA(paths[i].c_str()) ? 1 : 0;
    r.bareDelete = Now() - t;

    // Button 5 is usable only a moment after the scan ended (long since,
    // after the bare loop above; this only makes sure).
    fw::WaitWhilePumping([&] { return IsWindowEnabled(dialog.Item(IDC_DELETE)) != FALSE; });
    t = Now();
    SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(IDC_DELETE, BN_CLICKED), 0);
    Pump(dialog);
    r.dialogDelete = Now() - t;

    t = Now();
    for (size_t i = half; i < paths.size(); ++i) deleted += DeleteFileA(paths[i].c_str()) ? 1 : 0;
    r.bareDelete += Now() - t;
    left = fw::list::Count(dialog.Item(IDC_LIST));
    std::printf("delete: %s, %d rows left\n",
                lastBox == "삭제 완료되었습니다" ? "done" : "NOT DONE", left);
  }
  long long remaining = 0;
  Walk(root, nullptr, remaining, bytes);
  RemoveFolders(root);
  RemoveFolders(copy);

  std::printf("  bare walk %.2f s (%lld files), scan through the dialog %.2f s: ratio %.2f\n",
              r.bareWalk, count, r.dialogScan, r.dialogScan / r.bareWalk);
  std::printf("  bare DeleteFileA loop %.2f s (%d files), deletion through the dialog %.2f s: "
              "ratio %.2f\n",
              r.bareDelete, deleted, r.dialogDelete, r.dialogDelete / r.bareDelete);
  std::printf("  files of the tree left after the dialog's deletion: %lld\n", remaining);
  r.ok = benchRows == planted && remaining == 0;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::atoi(argv[1]) : 50000;
  const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 3);
  InitCommonControls();
  CoInitialize(nullptr);

  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string program = "C:\\spruce-bench-program-" + tag;
  CreateDirectoryA(program.c_str(), nullptr);
  TheApp().SetProgramFolder(program);

  std::vector<double> scanRatio, deleteRatio;
  std::vector<Round> all;
  bool ok = true;
  for (int i = 0; i < rounds; ++i) {
    std::printf("round %d\n", i + 1);
    Round r = RunRound(files, tag + "-" + std::to_string(i));
    ok = ok && r.ok;
    all.push_back(r);
    scanRatio.push_back(r.dialogScan / r.bareWalk);
    deleteRatio.push_back(r.dialogDelete / r.bareDelete);
  }
  RemoveFolders(program);

  auto median = [&](double Round::*field) {
    std::vector<double> v;
    for (const Round& r : all) v.push_back(r.*field);
    return Median(v);
  };
  std::printf("\nmedians of %d rounds                          seconds\n", rounds);
  std::printf("%-44s %8.2f\n", "bare FindFirstFileA walk", median(&Round::bareWalk));
  std::printf("%-44s %8.2f  ratio %.2f (goal <= 3)\n", "scan through the dialog, open to done",
              median(&Round::dialogScan), Median(scanRatio));
  std::printf("%-44s %8.2f\n", "bare DeleteFileA loop over the copy", median(&Round::bareDelete));
  std::printf("%-44s %8.2f  ratio %.2f (goal <= 1.5)\n", "deletion through the dialog",
              median(&Round::dialogDelete), Median(deleteRatio));
  CoUninitialize();
  return ok ? 0 : 1;
}

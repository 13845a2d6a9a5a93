// Speed of the registry optimizer under the platform it runs on. Plants a
// synthetic tree under HKCU\SOFTWARE\SpruceBench (leaf keys with a program
// path each, some of them dead), then measures in one run:
//   - `reg query HKCU\SOFTWARE\SpruceBench /s`, the platform's own walk;
//   - the full scan through the dialog, from opening it to "검색완료";
//   - filling the list with findings handed to the dialog-bound scanner from
//     a worker, against the floor: the same rows inserted by the dialog's
//     own thread with redraw off, in the same run.
// usage: registry_bench [vendors] [apps per vendor] [findings] [rounds]
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cleaner_app.h"
#include "framework/controls.h"
#include "framework/msgbox.h"
#include "framework/worker.h"
#include "registry/registry_dlg.h"
#include "bench/stopwatch.h"
#include "resources/resource.h"

namespace {

const char kBenchKey[] = "SOFTWARE\\SpruceBench";

// Milliseconds.
double Now() { return NowSeconds() * 1000.0; }

void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Dispatches messages until done() holds; false at the time limit. Like a
// modal loop it sleeps until a message comes: a thread waking every few
// milliseconds slows the scan down measurably under Wine. The checks run
// after every message and at least every 100 ms.
template <class F>
bool PumpUntil(F done, DWORD limitMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > limitMs) return false;
    Pump();
    if (!done()) MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  return true;
}

void SetString(HKEY key, const char* name, const std::string& text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
}

// vendors x apps leaf keys with two values each; every 50th program path
// is dead. Returns the number of keys planted and the dead ones.
int Plant(int vendors, int apps, int* dead) {
  SHDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string alive = std::string(windows) + "\\notepad.exe";
  int keys = 1;
  *dead = 0;
  for (int v = 0; v < vendors; ++v) {
    for (int a = 0; a < apps; ++a) {
      char path[128];
      std::snprintf(path, sizeof path, "%s\\Vendor%03d\\App%03d", kBenchKey, v, a);
      HKEY key;
      if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                          nullptr) != ERROR_SUCCESS)
        continue;
      const int n = v * apps + a;
      if (n % 50 == 0) {
        char gone[128];
        std::snprintf(gone, sizeof gone, "C:\\SpruceBenchGone\\v%d\\app%d.exe", v, a);
        SetString(key, "Path", gone);
        ++*dead;
      } else {
        SetString(key, "Path", alive);
      }
      SetString(key, "Version", "1.0");
      RegCloseKey(key);
      ++keys;
    }
    ++keys;  // the vendor key
  }
  return keys;
}

// Runs `reg query` over the tree with its output thrown away; milliseconds.
double TimeRegQuery() {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE nul = CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0,
                           nullptr);
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = nul;
  si.hStdError = nul;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi = {};
  std::string command = std::string("reg.exe query HKCU\\") + kBenchKey + " /s";
  const double start = Now();
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                      &pi)) {
    CloseHandle(nul);
    return -1;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  const double ms = Now() - start;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  CloseHandle(nul);
  return ms;
}

// Opens the dialog and waits for the end of its scan; milliseconds.
// rows: the rows listed.
double TimeDialogScan(int* rows) {
  CRegistryDlg dialog;
  const double start = Now();
  if (!dialog.CreateModeless(nullptr)) return -1;
  HWND state = dialog.Item(IDC_STATE);
  if (!PumpUntil([&] { return fw::GetControlText(state) == "검색완료"; }, 600000)) return -1;
  const double ms = Now() - start;
  PumpUntil([&] { return !dialog.IsBusy(); }, 60000);
  *rows = fw::list::Count(dialog.Item(IDC_LIST));
  return ms;
}

// The same rules without a dialog: what the walk itself costs; milliseconds.
double TimeEngineScan() {
  RegistryScanner scanner;
  const double start = Now();
  scanner.RunAllRules();
  return Now() - start;
}

struct FillJob {
  CRegistryDlg* dialog;
  int findings;
};

void MakeFinding(int i, RegistryFinding& f) {
  char path[96];
  std::snprintf(path, sizeof path, "SOFTWARE\\SpruceBench\\Vendor%03d\\App%03d", i / 100, i % 100);
  f.root = "HKCU";
  f.valueName = "Path";
  f.keyPath = path;
  f.data = std::string("C:\\SpruceBenchGone\\") + path + ".exe";
}

DWORD WINAPI FillThread(void* param) {
  auto* job = static_cast<FillJob*>(param);
  RegistryDlgScanner scanner(*job->dialog);
  RegistryFinding f;
  for (int i = 0; i < job->findings; ++i) {
    MakeFinding(i, f);
    scanner.OnFound(f);
  }
  job->dialog->Feed().Flush();
  return 0;
}

// Opens a dialog, stops its own scan at once and empties its list; the
// list, or null.
HWND OpenEmptyDialog(CRegistryDlg& dialog) {
  if (!dialog.CreateModeless(nullptr)) return nullptr;
  SendMessageA(dialog.Hwnd(), WM_COMMAND, MAKEWPARAM(2024, BN_CLICKED), 0);
  if (!PumpUntil([&] { return !dialog.IsBusy(); }, 600000)) return nullptr;
  HWND list = dialog.Item(IDC_LIST);
  fw::list::DeleteAll(list);
  Pump();
  return list;
}

// Hands findings to a dialog-bound scanner from a worker thread, as the
// scan does, and waits until they are all rows; milliseconds.
double TimeListFill(int findings) {
  CRegistryDlg dialog;
  HWND list = OpenEmptyDialog(dialog);
  if (!list) return -1;
  FillJob job{&dialog, findings};
  const double start = Now();
  fw::UniqueHandle thread = fw::StartWorkerThread(&FillThread, &job, THREAD_PRIORITY_NORMAL);
  if (!PumpUntil([&] { return fw::list::Count(list) >= findings; }, 600000)) return -1;
  const double ms = Now() - start;
  WaitForSingleObject(thread.Get(), INFINITE);
  return ms;
}

// The floor: the same rows inserted by the dialog's own thread with redraw
// off, with no worker and no hand-over; milliseconds.
double TimeUiThreadFill(int findings) {
  CRegistryDlg dialog;
  HWND list = OpenEmptyDialog(dialog);
  if (!list) return -1;
  RegistryFinding f;
  const double start = Now();
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < findings; ++i) {
    MakeFinding(i, f);
    fw::list::AppendRow(list, {std::string(), f.root, f.keyPath, f.valueName, f.data}, true);
  }
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  return Now() - start;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int vendors = argc > 1 ? std::atoi(argv[1]) : 200;
  const int apps = argc > 2 ? std::atoi(argv[2]) : 100;
  const int findings = argc > 3 ? std::atoi(argv[3]) : 50000;
  const int rounds = std::max(1, argc > 4 ? std::atoi(argv[4]) : 3);

  InitCommonControls();
  CoInitialize(nullptr);
  // The end-of-run message boxes answer themselves.
  fw::SetMessageBoxHook([](HWND, const std::string&, const std::string&, UINT) { return IDOK; });
  // A program folder of its own: no ignore list, no backups anywhere else.
  char temp[MAX_PATH] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string folder = std::string(temp) + "SpruceBench";
  CreateDirectoryA(folder.c_str(), nullptr);
  TheApp().SetProgramFolder(folder);

  int dead = 0;
  double t = Now();
  const int keys = Plant(vendors, apps, &dead);
  std::printf("planted            %d keys under HKCU\\%s (%d dead paths) in %.0f ms\n", keys,
              kBenchKey, dead, Now() - t);

  TimeRegQuery();  // warm up: the first start of reg.exe loads its libraries
  std::vector<double> query, scan, engine;
  int rows = 0;
  for (int r = 0; r < rounds; ++r) {
    query.push_back(TimeRegQuery());
    scan.push_back(TimeDialogScan(&rows));
    engine.push_back(TimeEngineScan());
    std::printf("round %d            reg query /s %.0f ms, dialog scan %.0f ms, engine alone %.0f ms\n",
                r + 1, query.back(), scan.back(), engine.back());
  }
  const double q = Median(query), s = Median(scan);
  std::printf("reg query /s       %.0f ms (median of %d)\n", q, rounds);
  std::printf("dialog full scan   %.0f ms (median of %d), %d rows listed\n", s, rounds, rows);
  std::printf("engine alone       %.0f ms (median of %d): the same rules without a window\n",
              Median(engine), rounds);
  std::printf("scan / reg query   %.2f (goal: 1.5 or less)\n", s / q);

  std::vector<double> fill, alone;
  for (int r = 0; r < rounds; ++r) {
    fill.push_back(TimeListFill(findings));
    alone.push_back(TimeUiThreadFill(findings));
    std::printf("round %d            list fill %.0f rows/s, dialog thread alone %.0f rows/s\n", r + 1,
                findings * 1000.0 / fill.back(), findings * 1000.0 / alone.back());
  }
  const double f = Median(fill), u = Median(alone);
  std::printf("list fill          %d rows in %.0f ms = %.0f rows/s (median of %d; goal: 100000 or more)\n",
              findings, f, findings * 1000.0 / f, rounds);
  std::printf("dialog thread only %d rows in %.0f ms = %.0f rows/s (median of %d): the floor\n",
              findings, u, findings * 1000.0 / u, rounds);
  std::printf("fill / floor rate  %.2f\n", u / f);

  SHDeleteKeyA(HKEY_CURRENT_USER, kBenchKey);
  CoUninitialize();
  return 0;
}

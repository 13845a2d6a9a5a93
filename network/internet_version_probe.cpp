// Runs the internet optimizer once, over a simulated path of MTU 1500, under
// whatever Windows version Wine reports for this program, and prints what
// it saw; the registry writes stay in the prefix for the caller to read.
//   internet_version_probe probe     "실행", every question answered Yes
//   internet_version_probe restore   "윈도우 초기값 복구"
// Output lines: "os <tag>", then "box <text>" per message box (CR LF as \n).
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "network/simulated_internet_dlg.h"
#include "resources/resource.h"
#include "tests/support/recorder.h"

int main(int argc, char** argv) {
  if (argc != 2 || (strcmp(argv[1], "probe") != 0 && strcmp(argv[1], "restore") != 0)) {
    std::fprintf(stderr, "usage: internet_version_probe probe|restore\n");
    return 2;
  }
  const bool probe = strcmp(argv[1], "probe") == 0;
  InitCommonControls();
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);

  testing_support::MessageBoxRecorder boxes;
  SimulatedPath path;
  SimulatedInternetDlg dialog(path);
  if (!dialog.CreateModeless(nullptr)) return 3;
  std::printf("os %s\n", dialog.OsTag().c_str());
  SendMessageA(dialog.Hwnd(), WM_COMMAND,
               MAKEWPARAM(probe ? IDOK : IDC_INTERNET_DEFAULTS, BN_CLICKED), 0);
  const bool ended = testing_support::PumpUntil([&] { return !dialog.IsProbing(); }, 120000);
  for (const testing_support::RecordedBox& box : boxes.Boxes()) {
    std::string text = box.text;
    for (std::string::size_type at; (at = text.find("\r\n")) != std::string::npos;)
      text.replace(at, 2, "\\n");
    std::printf("box %s\n", text.c_str());
  }
  std::fflush(stdout);
  WSACleanup();
  return ended ? 0 : 4;
}

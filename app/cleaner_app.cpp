#include "app/cleaner_app.h"

#include <windows.h>
#include <commctrl.h>
#include <io.h>
#include <objbase.h>

#include <ctime>

#include "app/activity_log.h"
#include "app/main_dlg.h"
#include "framework/control_host.h"
#include "framework/msgbox.h"
#include "framework/wait.h"
#include "resources/resource.h"
#include "updater/install_swap.h"

CCleanerApp::CCleanerApp() : fw::Application("Spruce.INI") {}

bool CCleanerApp::InitInstance() {
  InitCommonControls();
  InitApplication();

  if (!InitSockets()) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_SOCKETS_FAILED, text, sizeof text);
    fw::AppMessageBox(text, MB_OK);
    return false;
  }
  EnableControlHosting();

  char today[32];
  std::time_t now = std::time(nullptr);
  std::strftime(today, sizeof today, "%Y.%m.%d", std::localtime(&now));
  previousRunDate_ = GetProfileString("Spruce", "RecentExecTime", "");
  WriteProfileString("Spruce", "RecentExecTime", today);

  char folder[260] = {};
  GetCurrentDirectoryA(sizeof folder, folder);
  programFolder_ = folder;
  // An upgrade cut short is rolled back or finished before anything reads the folder.
  RecoverInterruptedUpgrade(programFolder_);

  if (_access((programFolder_ + "\\createlog.dat").c_str(), 0) == 0) LoggingDisabled = 0;
  LogFilePath = programFolder_ + "\\Spruce.log";
  WriteLog("프로그램 시작");

  if (FAILED(CoInitialize(nullptr))) {
    fw::AppMessageBox("Failed to initialize OLE\n", MB_OK);
  } else {
    CMainDlg dialog;
    SetMainWindow(nullptr);
    dialog.DoModal();
  }
  return false;  // the program ends when the main window has closed
}

int CCleanerApp::ExitInstance() {
  WriteLog("프로그램 종료");
  CoUninitialize();
  return fw::Application::ExitInstance();
}

CCleanerApp& TheApp() {
  static CCleanerApp app;
  return app;
}

bool PumpMessages() {
  TheApp();  // the pump goes through the application object
  return fw::PumpMessages();
}

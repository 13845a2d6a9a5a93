#include "updater/updater_app.h"

#include <windows.h>
#include <commctrl.h>

#include "framework/control_host.h"
#include "framework/msgbox.h"
#include "updater/install_swap.h"
#include "updater/updater_dlg.h"
#include "updater/updater_res.h"

CUpdaterApp::CUpdaterApp() : fw::Application("SpruceUp.INI") {}

bool CUpdaterApp::InitInstance() {
  RecoverInterruptedUpgrade(UpdaterFolder());
  InitCommonControls();
  InitApplication();
  if (!InitSockets()) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_UPDATER_SOCKETS, text, sizeof text);
    fw::AppMessageBox(text, MB_OK);
    return false;
  }
  EnableControlHosting();
  CUpdaterDlg dialog;
  dialog.DoModal();
  return false;  // the program ends when the window has closed
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  static CUpdaterApp app;
  return app.Run(instance);
}

// Entry of every Windows test program. Sockets and COM are initialised as the
// program initialises them, so dialogs behave as they do in Spruce.exe.
#include <winsock2.h>
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include "app/cleaner_app.h"
#include "framework/control_host.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  InitCommonControls();
  WSADATA data;
  WSAStartup(MAKEWORD(1, 1), &data);
  EnableControlHosting();
  CoInitialize(nullptr);
  char folder[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, folder);
  TheApp().SetProgramFolder(folder);
  int result = RUN_ALL_TESTS();
  CoUninitialize();
  WSACleanup();
  return result;
}

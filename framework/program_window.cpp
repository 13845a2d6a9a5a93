#include "framework/program_window.h"

namespace fw {

HICON SetUpProgramWindow(HWND window, UINT aboutString, UINT iconId) {
  HINSTANCE module = GetModuleHandleA(nullptr);
  char about[256] = {};
  HMENU system = GetSystemMenu(window, FALSE);
  if (system && LoadStringA(module, aboutString, about, sizeof about) > 0) {
    AppendMenuA(system, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(system, MF_STRING, kAboutCommand, about);
  }
  HICON icon = LoadIconA(module, MAKEINTRESOURCEA(iconId));
  SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  return icon;
}

void DrawCentredIcon(HWND window, HDC dc, HICON icon) {
  RECT client;
  GetClientRect(window, &client);
  DrawIcon(dc, (client.right - GetSystemMetrics(SM_CXICON) + 1) / 2,
           (client.bottom - GetSystemMetrics(SM_CYICON) + 1) / 2, icon);
}

}  // namespace fw

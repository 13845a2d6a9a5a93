// Chores shared by the two programs' main windows: the about item of the
// system menu, the window icon, and the icon drawn while minimised.
#pragma once
#include <windows.h>

namespace fw {

// The system-menu command that opens a program's about box.
constexpr UINT kAboutCommand = 16;

// Appends a separator and the about item (string resource aboutString,
// command kAboutCommand) to the window's system menu when the string
// exists, and makes icon resource iconId the window's big and small icon,
// which it returns (a shared icon: nothing to destroy).
HICON SetUpProgramWindow(HWND window, UINT aboutString, UINT iconId);

// Draws icon centred in the window's client area, as a minimised dialog
// paints itself.
void DrawCentredIcon(HWND window, HDC dc, HICON icon);

}  // namespace fw

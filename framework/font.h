// Font helpers shared by the tool dialogs.
#pragma once
#include <windows.h>

#include "framework/raii.h"

namespace fw {

// A copy of the window's font (the dialog font when the window is a dialog or
// a control of one) with the given weight; empty when it cannot be made.
Font MakeFontCopy(HWND window, LONG weight);

// Gives the dialog's control the bold (700) copy of the dialog font; the
// returned font must live as long as the control shows it.
Font SetBoldCaption(HWND dialog, int controlId);

}  // namespace fw

// The tool dialogs the main window opens, each run modally and destroyed
// when its modal loop returns. Defined beside each tool's dialog.
#pragma once
#include <windows.h>

void OpenRegistryOptimizer(HWND owner);  // button 1000
void OpenRegistryRestore(HWND owner);    // button 1007
void OpenDiskCleaner(HWND owner);        // button 1001

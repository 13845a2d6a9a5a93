// The tool dialogs the main window opens, each run modally and destroyed
// when its modal loop returns. Defined beside each tool's dialog.
#pragma once
#include <windows.h>

void OpenRegistryOptimizer(HWND owner);  // button 1000
void OpenRegistryRestore(HWND owner);    // button 1007
void OpenDiskCleaner(HWND owner);        // button 1001
void OpenMemoryOptimizer(HWND owner);    // button 1002
void OpenInternetOptimizer(HWND owner);  // button 1003
void OpenStartupPrograms(HWND owner);    // button 1004
void OpenPrivacyCleaner(HWND owner);     // button 1005
void OpenSmart(HWND owner);              // button 1006 (NT line only)
void OpenSystemInfo(HWND owner);         // button 1008
void OpenDiskTemperature(HWND owner);    // button 1010 (NT line only)
void OpenMyIp(HWND owner);               // button 1012
void OpenUsageTime(HWND owner);          // button 1014 (NT line only)
void OpenForceDelete(HWND owner);        // button 1027 (NT line only)

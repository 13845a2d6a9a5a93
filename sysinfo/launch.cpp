#include "app/tools.h"

// Not built yet: the button does nothing.
void OpenSystemInfo(HWND) {}
void OpenUsageTime(HWND) {}

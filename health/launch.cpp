#include "app/tools.h"

// Not built yet: the button does nothing.
void OpenSmart(HWND) {}
void OpenDiskTemperature(HWND) {}

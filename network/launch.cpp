#include "app/tools.h"

// Not built yet: the button does nothing.
void OpenInternetOptimizer(HWND) {}
void OpenMyIp(HWND) {}

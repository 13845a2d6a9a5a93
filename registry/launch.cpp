#include "app/tools.h"

// The registry tools are being written; until then their buttons do nothing.
void OpenRegistryOptimizer(HWND) {}
void OpenRegistryRestore(HWND) {}

#include "app/tools.h"

// The disk cleaner is being written; until then its button does nothing.
void OpenDiskCleaner(HWND) {}

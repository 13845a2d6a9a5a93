#include "app/tools.h"

// Not built yet: the button does nothing.
void OpenPrivacyCleaner(HWND) {}
void OpenForceDelete(HWND) {}

// protected_storage_probe: runs ClearProtectedStorage once and ends. The
// tests start it under the Windows version they set for it in Wine.
#include "cleaner/privacy_traces.h"

int main() {
  ClearProtectedStorage();
  return 0;
}

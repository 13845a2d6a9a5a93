// A library named like ForceDel.dll in the tests, whose Delete takes as long
// as a search through stuck handles would: it signals the event
// "SpruceForceDelCalled" and waits (up to a minute) for the event
// "SpruceForceDelGoOn" before deleting the file plainly.
#include <windows.h>

extern "C" __declspec(dllexport) int __cdecl Delete(const char* path) {
  HANDLE called = OpenEventA(EVENT_MODIFY_STATE, FALSE, "SpruceForceDelCalled");
  HANDLE goOn = OpenEventA(SYNCHRONIZE, FALSE, "SpruceForceDelGoOn");
  if (called) {
    SetEvent(called);
    CloseHandle(called);
  }
  if (goOn) {
    WaitForSingleObject(goOn, 60000);
    CloseHandle(goOn);
  }
  return DeleteFileA(path) ? 1 : 0;
}
